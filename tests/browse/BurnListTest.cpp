#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <map>

#include "FakeOwner.h"
#include "ListInput.h"
#include "ModalWatcher.h"
#include "browse/BurnList.h"
#include "browse/BurnListOwner.h"
#include "browse/FileList.h"
#include "resources/BurnListControlTexts.h"

using namespace quillstar;
using test::ModalWatcher;

namespace {

// Stands in for the main window: holds the track list and records the
// totals the burn list shows.
class FakeBurnListOwner : public BurnListOwner {
public:
    CSerializer& TrackList() override { return trackList; }
    void ShowTotals(const QString& text, int) override { totals.append(text); }
    bool BeginDrag(BurnListModel::DragSource, QAbstractItemView&, const QPoint&) override { return true; }

    CSerializer trackList;
    QStringList totals;
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

bool Ignore(const QString&)
{
    return true;
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
        list_ = std::make_unique<BurnList>(owner_, probe_.Function(), Ignore);
        list_->show();
    }

    void addTakesTheFileListSelectionInRowOrder()
    {
        QTemporaryDir folder;
        for (const QString name : {"a.mp3", "c.mp3"})
            QVERIFY(QFile(folder.path() + "/" + name).open(QIODevice::WriteOnly));
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
        probe_.seconds[QFile::encodeName(folder.path() + "/a.mp3").toStdString()] = 42;
        list_->AddSelectionToBurnList(files);
        QCOMPARE(Column(*list_, 0), (QStringList{"a", "c"}));
        QCOMPARE(Column(*list_, 3), (QStringList{folder.path() + "/a.mp3", folder.path() + "/c.mp3"}));
        QCOMPARE(Column(*list_, 2), (QStringList{"00:42", "00:00"}));
    }

    void aTitleIsCheckedAndKeptInTheTrackList()
    {
        list_->AddFiles("/m/", {"a.mp3", "b.mp3"});
        const int totalsShown = owner_.totals.size();
        SelectRows(*list_, {1});
        ModalWatcher watcher;
        for (const QString& refused : {QString("AC/DC"), QString()}) {
            QTest::keyClick(list_.get(), Qt::Key_F2);
            TypeLabel(*list_, refused);
        }
        // The empty title is refused without a word.
        QTRY_COMPARE(watcher.texts, QStringList{"Filename can't contain one of the following characters:\n"
                                                "/ \\ : * ? \" < > |"});
        QCOMPARE(Column(*list_, 0), (QStringList{"a", "b"}));
        // 255 characters are taken; the edit field takes no 256th.
        QTest::keyClick(list_.get(), Qt::Key_F2);
        QVERIFY(LabelEditor(*list_));
        QCOMPARE(LabelEditor(*list_)->maxLength(), 255);
        TypeLabel(*list_, QString(256, QChar('x')));
        const QString longest(255, QChar('x'));
        QTRY_COMPARE(TrackTitles(owner_.trackList), (QStringList{"a", longest}));
        QCOMPARE(list_->topLevelItem(1)->text(0), longest);
        QCOMPARE(owner_.totals.size(), totalsShown);  // a title does not change the totals
    }

    void deleteRemovesTheSelectedRowsRenumbersAndKeepsEditedTitles()
    {
        list_->AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
        QVERIFY(list_->ChangeTitle(1, "Bee"));
        QVERIFY(list_->ChangeTitle(4, "Eee"));
        SelectRows(*list_, {0, 2, 3});
        probe_.seconds["/m/e.mp3"] = 6;
        QTest::keyClick(list_.get(), Qt::Key_Delete);
        QCOMPARE(Column(*list_, 0), (QStringList{"Bee", "Eee"}));
        QCOMPARE(Column(*list_, 1), (QStringList{"01", "02"}));
        QCOMPARE(Column(*list_, 2), (QStringList{"01:40", "00:06"}));  // timed again
        QCOMPARE(TrackTitles(owner_.trackList), (QStringList{"Bee", "Eee"}));
        QCOMPARE(owner_.totals.back(), QString("01:48 - 2 Tracks"));
        // Nothing selected: nothing happens.
        QTest::keyClick(list_.get(), Qt::Key_Delete);
        QCOMPARE(list_->topLevelItemCount(), 2);
    }

    // Timing many files takes a while: a window counts them, so the program
    // is not taken for frozen.
    void longAddsAndDeletesCountTheFilesInAWindow()
    {
        QStringList labels;
        probe_.whileProbing = [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible())
                    labels.append(dialog->labelText());
            }
        };
        list_->AddFiles("/m/", {"a.mp3", "b.mp3", "c.mp3"});
        QVERIFY(labels.isEmpty());  // quick: no window
        list_->SetProbeProgressDelay(std::chrono::milliseconds(0));
        list_->AddFiles("/m/", {"c.mp3", "d.mp3", "e.mp3"});
        QCOMPARE(labels, (QStringList{"Reading the length of file 2 of 3...", "Reading the length of file 3 of 3..."}));
        QVERIFY(list_->window()->findChildren<QProgressDialog*>().isEmpty());
        labels.clear();
        SelectRows(*list_, {0});
        list_->DeleteSelection();
        QCOMPARE(labels.size(), 4);
        QCOMPARE(labels.back(), QString("Reading the length of file 5 of 5..."));
    }

private:
    FakeBurnListOwner owner_;
    FakeProbe probe_;
    std::unique_ptr<BurnList> list_;
};

QTEST_MAIN(BurnListTest)
#include "BurnListTest.moc"
