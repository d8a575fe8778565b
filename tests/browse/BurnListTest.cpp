#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <map>

#include "FakeOwner.h"
#include "ListInput.h"
#include "MessageBoxAnswerer.h"
#include "browse/BurnList.h"
#include "browse/BurnListOwner.h"
#include "browse/FileList.h"
#include "resources/BrowseTexts.h"
#include "resources/BurnListControlTexts.h"

using namespace quillstar;

namespace {

// Stands in for the main window: holds the track list and records what the
// burn list shows and starts.
class FakeBurnListOwner : public BurnListOwner {
public:
    CSerializer& TrackList() override { return trackList; }
    void ShowTotals(const QString& text, int) override { totals.append(text); }
    bool BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list, const QPoint& point) override
    {
        drags.append({source, &list, point});
        return true;
    }

    struct Drag {
        BurnListModel::DragSource source;
        QAbstractItemView* list;
        QPoint point;
    };
    CSerializer trackList;
    QStringList totals;
    QList<Drag> drags;
};

// Times files from a table (0 for others) and counts the probes.
struct FakeProbe {
    std::map<std::string, int> seconds;
    int probes = 0;
    std::function<void()> whileProbing;

    DurationCache::Probe Function()
    {
        return [this](const std::string& path) {
            ++probes;
            if (whileProbing)
                whileProbing();
            const auto found = seconds.find(path);
            return found == seconds.end() ? 0 : found->second;
        };
    }
};

QStringList Column(const BurnList& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        texts.append(list.topLevelItem(row)->text(column));
    return texts;
}

QStringList TrackTitles(const CSerializer& trackList)
{
    QStringList titles;
    for (const TrackInfo& track : trackList.Tracks())
        titles.append(QString::fromStdString(track.title));
    return titles;
}

void SelectRows(BurnList& list, const QList<int>& rows)
{
    list.clearSelection();
    for (const int row : rows)
        list.topLevelItem(row)->setSelected(true);
    if (!rows.isEmpty())
        list.setCurrentItem(list.topLevelItem(rows.back()), 0, QItemSelectionModel::NoUpdate);
}

MenuSeen OpenMenu(BurnList& list, QContextMenuEvent::Reason reason, const QPoint& at, int choose = -1)
{
    return OpenMenu(list, burnlist::kAudioFilesListMenuName, reason, at, choose);
}

}  // namespace

class BurnListTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        owner_ = FakeBurnListOwner();
        probe_ = FakeProbe();
        probe_.seconds = {{"/m/a.mp3", 225}, {"/m/b.mp3", 100}, {"/m/c.mp3", 61}, {"/m/d.mp3", 7627}, {"/m/e.mp3", 5}};
    }

    void rowsShowTitleTrackTimeAndFile()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.AddFiles("/m/", {});
        QCOMPARE(owner_.totals, QStringList{"00:00 - 0 Track"});  // shown even with nothing to add
        list.AddFiles("/m/", {"a.mp3", "d.mp3"});
        QCOMPARE(Column(list, 0), (QStringList{"a", "d"}));
        QCOMPARE(Column(list, 1), (QStringList{"01", "02"}));
        QCOMPARE(Column(list, 2), (QStringList{"03:45", "127:07"}));
        QCOMPARE(Column(list, 3), (QStringList{"/m/a.mp3", "/m/d.mp3"}));
        QCOMPARE(list.topLevelItem(0)->textAlignment(burnlist::kTrackColumn) & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignRight));
        QVERIFY(!list.topLevelItem(0)->icon(burnlist::kTitleColumn).pixmap(16, 16).isNull());
        QVERIFY(list.selectedItems().isEmpty());
    }

    void addTakesTheFileListSelectionInRowOrder()
    {
        QTemporaryDir folder;
        for (const QString name : {"a.mp3", "c.mp3"}) {
            QFile file(folder.path() + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // A pipe is listed but never taken: timing it would wait for a writer.
        QCOMPARE(::mkfifo(QFile::encodeName(folder.path() + "/b.mp3").constData(), 0600), 0);
        FakeOwner browserOwner;
        FileList files(browserOwner, [] { return QStringList{"/"}; });
        files.ShowFolder(folder.path());
        // Rows: "..", a.mp3, b.mp3, c.mp3 (sorted by name).
        QCOMPARE(files.model()->rowCount(), 4);
        for (const int row : {3, 2, 1})
            files.selectionModel()->select(files.model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const std::string a_path = QFile::encodeName(folder.path() + "/a.mp3").toStdString();
        probe_.seconds[a_path] = 42;

        BurnList list(owner_, probe_.Function(), Ignore);
        list.AddSelectionToBurnList(files);
        QCOMPARE(Column(list, 0), (QStringList{"a", "c"}));
        QCOMPARE(Column(list, 3), (QStringList{folder.path() + "/a.mp3", folder.path() + "/c.mp3"}));
        QCOMPARE(Column(list, 2), (QStringList{"00:42", "00:00"}));
    }

    void emptyListShowsNoMenu()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.show();
        QVERIFY(!OpenMenu(list, QContextMenuEvent::Mouse, QPoint(20, 30)).opened);
        QVERIFY(!OpenMenu(list, QContextMenuEvent::Keyboard, QPoint(20, 30)).opened);
    }

    void menuGreysItsCommandsWithoutSelectionAndOpensAtFiveFiveFromTheKeyboard()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.move(40, 40);
        list.resize(400, 300);
        list.show();
        list.AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3"});
        auto* menu = list.findChild<QMenu*>(burnlist::kAudioFilesListMenuName);
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 2);

        const MenuSeen unselected = OpenMenu(list, QContextMenuEvent::Mouse, QPoint(200, 250));
        QVERIFY(unselected.opened);
        QCOMPARE(unselected.enabled, (QList<bool>{false, false}));
        QCOMPARE(unselected.position, list.viewport()->mapToGlobal(QPoint(200, 250)));

        SelectRows(list, {1});
        const MenuSeen keyboard = OpenMenu(list, QContextMenuEvent::Keyboard, QPoint(150, 150));
        QCOMPARE(keyboard.enabled, (QList<bool>{true, true}));
        const int frame = list.frameWidth();
        QCOMPARE(keyboard.position, list.mapToGlobal(QPoint(frame + 5, frame + 5)));

        // The menu's commands come back to the list.
        OpenMenu(list, QContextMenuEvent::Keyboard, QPoint(), 1);
        QCOMPARE(Column(list, 0), (QStringList{"a", "c"}));
        SelectRows(list, {1});
        OpenMenu(list, QContextMenuEvent::Keyboard, QPoint(), 0);
        QTRY_VERIFY(LabelEditor(list));
        QCOMPARE(list.currentColumn(), int(burnlist::kTitleColumn));
    }

    void renameChecksTheTitleAndSyncsTheTrackList()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.show();
        list.AddFiles("/m/", {"a.mp3", "b.mp3"});
        const int totalsShown = owner_.totals.size();
        SelectRows(list, {1});
        {
            MessageBoxAnswerer answerer;
            QTest::keyClick(&list, Qt::Key_F2);
            TypeLabel(list, "AC/DC");
            QTRY_COMPARE(answerer.texts.size(), 1);
            QCOMPARE(answerer.texts.front(), QString("Filename can't contain one of the following characters:\n"
                                                     "/ \\ : * ? \" < > |"));
            QCOMPARE(answerer.icons.front(), QMessageBox::Warning);
        }
        QCOMPARE(Column(list, 0), (QStringList{"a", "b"}));
        {
            MessageBoxAnswerer answerer;
            QTest::keyClick(&list, Qt::Key_F2);
            TypeLabel(list, "");
            QVERIFY(answerer.texts.isEmpty());
        }
        QCOMPARE(Column(list, 0), (QStringList{"a", "b"}));
        QCOMPARE(TrackTitles(owner_.trackList), (QStringList{"a", "b"}));

        // 255 characters are taken; the edit field takes no 256th.
        QTest::keyClick(&list, Qt::Key_F2);
        QLineEdit* editor = LabelEditor(list);
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), 255);
        TypeLabel(list, QString(256, QChar('x')));
        const QString longest(255, QChar('x'));
        QCOMPARE(list.topLevelItem(1)->text(0), longest);
        QCOMPARE(TrackTitles(owner_.trackList), (QStringList{"a", longest}));
        QCOMPARE(owner_.totals.size(), totalsShown);  // a title does not change the totals
    }

    void f2EditsTheFirstSelectedTitleOrNothing()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.show();
        list.AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3"});
        list.setCurrentItem(list.topLevelItem(2), 0, QItemSelectionModel::NoUpdate);
        QVERIFY(list.selectedItems().isEmpty());
        QTest::keyClick(&list, Qt::Key_F2);
        QVERIFY(!LabelEditor(list));

        SelectRows(list, {1, 2});
        QTest::keyClick(&list, Qt::Key_F2);
        QVERIFY(LabelEditor(list));
        QCOMPARE(LabelEditor(list)->text(), QString("b"));
    }

    void deleteRemovesSelectedRowsRenumbersAndKeepsEditedTitles()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.show();
        list.AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
        QVERIFY(list.ChangeTitle(1, "Bee"));
        QVERIFY(list.ChangeTitle(4, "Eee"));
        SelectRows(list, {0, 2, 3});
        probe_.probes = 0;
        probe_.seconds["/m/e.mp3"] = 6;
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(Column(list, 0), (QStringList{"Bee", "Eee"}));
        QCOMPARE(Column(list, 1), (QStringList{"01", "02"}));
        QCOMPARE(Column(list, 2), (QStringList{"01:40", "00:06"}));  // timed again
        QCOMPARE(probe_.probes, 2);
        QCOMPARE(TrackTitles(owner_.trackList), (QStringList{"Bee", "Eee"}));
        QCOMPARE(owner_.totals.back(), QString("01:48 - 2 Tracks"));
        QVERIFY(list.selectedItems().isEmpty());

        // Nothing selected: nothing happens.
        const int totalsShown = owner_.totals.size();
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(owner_.totals.size(), totalsShown);
    }

    void doubleClickOpensTheLastSelectedFile()
    {
        QStringList opened;
        BurnList list(owner_, probe_.Function(), [&](const QString& path) {
            opened.append(path);
            return true;
        });
        list.show();
        list.AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3"});
        list.OpenLastSelected();
        QVERIFY(opened.isEmpty());
        const QPoint second = list.visualItemRect(list.topLevelItem(1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QCOMPARE(opened, QStringList{"/m/b.mp3"});
        SelectRows(list, {0, 2});
        list.OpenLastSelected();
        QCOMPARE(opened.back(), QString("/m/c.mp3"));
    }

    void draggingARowTellsTheOwner()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.resize(400, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3"});
        SelectRows(list, {0, 1});
        const QPoint start = list.visualItemRect(list.topLevelItem(1)).center();
        QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(list.viewport(), start + QPoint(0, 2));
        QTest::mouseMove(list.viewport(), start + QPoint(0, 40));
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, start + QPoint(0, 40));
        QCOMPARE(owner_.drags.size(), 1);
        QCOMPARE(owner_.drags[0].source, BurnListModel::DragSource::BurnList);
        QCOMPARE(owner_.drags[0].list, &list);
        QCOMPARE(owner_.drags[0].point, start);
    }

    void longAddsCountTheFilesInAWindow()
    {
        BurnList list(owner_, probe_.Function(), Ignore);
        list.show();
        QStringList labels;
        probe_.whileProbing = [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible())
                    labels.append(dialog->labelText());
            }
        };
        list.AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3"});
        QVERIFY(labels.isEmpty());  // quick: no window

        list.SetProbeProgressDelay(std::chrono::milliseconds(0));
        list.AddFiles("/m/", {"c.mp3", "d.mp3", "e.mp3"});
        QCOMPARE(labels, (QStringList{"Reading the length of file 2 of 3...", "Reading the length of file 3 of 3..."}));
        QVERIFY(list.window()->findChildren<QProgressDialog*>().isEmpty());
        QCOMPARE(list.topLevelItemCount(), 6);

        // A delete times the rows that stay and counts them the same way.
        labels.clear();
        SelectRows(list, {0});
        list.DeleteSelection();
        QCOMPARE(labels.size(), 4);
        QCOMPARE(labels.back(), QString("Reading the length of file 5 of 5..."));
    }

private:
    static bool Ignore(const QString&) { return true; }

    FakeBurnListOwner owner_;
    FakeProbe probe_;
};

QTEST_MAIN(BurnListTest)
#include "BurnListTest.moc"
