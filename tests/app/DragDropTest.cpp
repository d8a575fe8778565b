// Dragging rows of the file list and of the burn list, and files from other
// programs, into the burn list of the main window. The desktop's drag is
// played by the test: it sends the window the events a drag would.
#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "BrowsingWindow.h"
#include "app/BurnListDragDrop.h"
#include "decode/FileSeconds.h"
#include "resources/BrowseTexts.h"
#include "resources/BurnListDropTexts.h"
#include "resources/ImageRecorderTexts.h"

using namespace quillstar;
using test::BrowsingWindow;

namespace {

// A drag over the window: it enters at the first point, moves through the
// others, then drops at the last one or leaves the window. It records what
// the window answered at each point and where the marker stood.
struct DragPath {
    QList<QPoint> points;
    bool drop = true;

    QList<bool> allowed;
    QList<QRect> marker;  // null where no marker showed
    bool dropTaken = false;
};

void Play(QWidget& window, const QMimeData* data, Qt::DropActions actions, DragPath& path, const QWidget* marker)
{
    for (qsizetype i = 0; i < path.points.size(); ++i) {
        const QEvent::Type type = i == 0 ? QEvent::DragEnter : QEvent::DragMove;
        QDragMoveEvent move(path.points[i], actions, data, Qt::LeftButton, Qt::NoModifier, type);
        QApplication::sendEvent(&window, &move);
        path.allowed.append(move.isAccepted());
        path.marker.append(marker->isVisible() ? marker->geometry() : QRect());
    }
    if (path.drop) {
        QDropEvent drop(path.points.back(), actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        path.dropTaken = drop.isAccepted();
    } else {
        QDragLeaveEvent leave;
        QApplication::sendEvent(&window, &leave);
    }
}

QStringList Numbered(const QString& prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QString("%1%2.mp3").arg(prefix).arg(i, 2, 10, QChar('0')));
    return names;
}

}  // namespace

class DragDropTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        w_ = std::make_unique<BrowsingWindow>(QStringList{"a.mp3", "b.mp3", "c.mp3", "song.wav", "Album.mp3/"});
        w_->Browse(w_->Drive());
        path_ = DragPath();
        runs_ = 0;
        drop_ = w_->window->DragDrop();
        drop_->SetDragRunner([this](QDrag& drag, Qt::DropAction action) {
            ++runs_;
            image_ = drag.pixmap();
            hotSpot_ = drag.hotSpot();
            action_ = action;
            Play(*w_->window, drag.mimeData(), action, path_, drop_->Marker());
        });
    }

    void cleanup() { w_.reset(); }

    void NoDragStartsWithoutASelectedRowInView()
    {
        w_->Burn().AddFiles("/elsewhere/", Numbered("t", 40));
        QVERIFY(!w_->window->BeginDrag(BurnListModel::DragSource::BurnList, w_->Burn(), QPoint(5, 5)));
        w_->Files().clearSelection();
        QVERIFY(!w_->window->BeginDrag(BurnListModel::DragSource::FileList, w_->Files(), QPoint(5, 5)));
        // Selected, but scrolled out of sight: there is nothing to show.
        w_->Burn().topLevelItem(0)->setSelected(true);
        w_->Burn().scrollToBottom();
        QVERIFY(!w_->window->BeginDrag(BurnListModel::DragSource::BurnList, w_->Burn(), QPoint(5, 5)));
        QCOMPARE(runs_, 0);
    }

    void DropsOnTheTreeTheFileListOrOutsideAddNothing()
    {
        w_->Burn().AddFiles("/elsewhere/", {"x.mp3"});
        w_->Select({"c.mp3"});
        const QPoint onRows = BurnPoint(QPoint(40, 3));
        const QPoint onTree = w_->Tree().viewport()->mapTo(w_->window.get(), QPoint(20, 5));
        const QPoint onFiles = w_->Files().viewport()->mapTo(w_->window.get(), QPoint(20, 5));

        path_.points = {onRows, onTree};
        QVERIFY(DragFromFiles());
        QCOMPARE(path_.allowed, (QList<bool>{true, false}));
        QVERIFY(path_.marker[0].isValid());
        QVERIFY(!path_.marker[1].isValid());
        QVERIFY(!path_.dropTaken);

        path_ = DragPath();
        path_.points = {onRows, onFiles};
        QVERIFY(DragFromFiles());
        QCOMPARE(path_.allowed, (QList<bool>{true, true}));  // the drag cursor, but no drop
        QVERIFY(!path_.dropTaken);

        path_ = DragPath();
        path_.points = {onRows};
        path_.drop = false;  // released outside the window
        QVERIFY(DragFromFiles());
        QVERIFY(!drop_->Marker()->isVisible());

        // Rows of the burn list are refused over the file list too.
        path_ = DragPath();
        path_.points = {onRows, onFiles};
        w_->Burn().topLevelItem(0)->setSelected(true);
        QVERIFY(w_->window->BeginDrag(BurnListModel::DragSource::BurnList, w_->Burn(), QPoint(40, 3)));
        QCOMPARE(action_, Qt::MoveAction);
        QCOMPARE(path_.allowed, (QList<bool>{true, false}));

        QTest::qWait(20);
        QCOMPARE(w_->TrackTitles(), QStringList{"x"});
    }

    void ADropBelowTheLastRowAppends()
    {
        w_->Burn().AddFiles("/elsewhere/", {"x.mp3", "y.mp3"});
        w_->Select({"c.mp3", "a.mp3"});
        const int pitch = RowPitch();
        path_.points = {BurnPoint(QPoint(40, 5)), BurnPoint(QPoint(40, w_->Burn().viewport()->height() - 3))};
        QVERIFY(DragFromFiles());
        QVERIFY(path_.dropTaken);
        QCOMPARE(action_, Qt::CopyAction);
        // The picture spans the two rows and the one between them, across the
        // whole list, and keeps its place to the pointer.
        const QRect a = w_->Files().visualRect(w_->Files().model()->index(w_->RowOf("a.mp3"), 0));
        QCOMPARE(image_.deviceIndependentSize().toSize(), QSize(w_->Files().viewport()->width(), 3 * a.height()));
        QCOMPARE(hotSpot_, QPoint(10, 5) - QPoint(0, a.top()) - QPoint(8, 8));
        // The marker moves from the first row's upper edge to under the last row.
        QCOMPARE(path_.marker[0], QRect(18, 0, w_->Burn().viewport()->width() - 18, 2));
        QCOMPARE(path_.marker[1].top(), 2 * pitch);
        QCOMPARE(drop_->DropIndex(), 2);
        QTRY_COMPARE(w_->TrackTitles(), (QStringList{"x", "y", "a", "c"}));
        QCOMPARE(w_->Burn().topLevelItem(3)->text(1), QString("04"));
    }

    void ADropOnTheFirstVisibleRowOfAListScrolledByTenGoesBeforeRow10()
    {
        w_->Burn().AddFiles("/elsewhere/", Numbered("t", 30));
        w_->Burn().scrollToItem(w_->Burn().topLevelItem(10), QAbstractItemView::PositionAtTop);
        QCOMPARE(w_->Burn().indexAt(QPoint(1, 1)).row(), 10);
        w_->Select({"b.mp3"});
        path_.points = {BurnPoint(QPoint(40, RowPitch() / 2))};
        QVERIFY(DragFromFiles());
        QCOMPARE(path_.marker[0].top(), 0);
        QCOMPARE(drop_->DropIndex(), 10);
        QTRY_COMPARE(w_->TrackTitles().size(), 31);
        QCOMPARE(w_->TrackTitles().mid(9, 3), (QStringList{"t09", "b", "t10"}));
    }

    void RowsOfTheBurnListMoveWithinIt()
    {
        w_->Burn().AddFiles("/elsewhere/", Numbered("t", 5));
        w_->Burn().topLevelItem(0)->setSelected(true);
        w_->Burn().topLevelItem(1)->setSelected(true);
        path_.points = {BurnPoint(QPoint(40, 3)), BurnPoint(QPoint(40, 3 * RowPitch() + 2))};
        QVERIFY(w_->window->BeginDrag(BurnListModel::DragSource::BurnList, w_->Burn(), QPoint(40, 3)));
        QTRY_COMPARE(w_->TrackTitles(), (QStringList{"t02", "t00", "t01", "t03", "t04"}));
    }

    void MusicFilesFromAFileManagerLandLikeAFileListDrag()
    {
        w_->Burn().AddFiles("/elsewhere/", {"x.mp3", "y.mp3"});
        QFile upper(w_->Drive("LOUD.MP3"));
        QVERIFY(upper.open(QIODevice::WriteOnly));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(w_->Drive("a.mp3")), QUrl::fromLocalFile(w_->Drive("song.wav")),
                      QUrl::fromLocalFile(w_->Drive("Album.mp3")), QUrl("https://example.com/web.mp3"),
                      QUrl::fromLocalFile(w_->Drive("missing.mp3")), QUrl::fromLocalFile(w_->Drive("LOUD.MP3"))});
        QVERIFY(data.hasFormat("text/uri-list"));
        path_.points = {BurnPoint(QPoint(40, RowPitch() + 3))};
        Play(*w_->window, &data, Qt::CopyAction, path_, drop_->Marker());
        QCOMPARE(path_.allowed, QList<bool>{true});
        QVERIFY(path_.dropTaken);
        QTRY_COMPARE(w_->TrackTitles(), (QStringList{"x", "a", "song", "LOUD", "y"}));
        QCOMPARE(QString::fromStdString(w_->window->TrackList().Tracks()[1].path), w_->Drive("a.mp3"));

        // Nothing to take: refused everywhere, and a drop adds nothing. Nor
        // can another program pass its data off as rows of this one.
        for (const char* format : {"text/uri-list", burnlistdrop::kDragMimeType}) {
            QMimeData other;
            if (QByteArray(format) == "text/uri-list")
                other.setUrls({QUrl::fromLocalFile(w_->Drive("Album.mp3"))});
            else
                other.setData(format, QByteArray());
            path_ = DragPath();
            path_.points = {BurnPoint(QPoint(40, 3))};
            Play(*w_->window, &other, Qt::CopyAction, path_, drop_->Marker());
            QCOMPARE(path_.allowed, QList<bool>{false});
            QVERIFY(!path_.dropTaken);
        }
        QTest::qWait(20);
        QCOMPARE(w_->TrackTitles().size(), 5);
    }

    // Real files, timed by the engine: the same mixed selection added from
    // the file list and dropped from a file manager.
    void AMixedSelectionAddsItsMusicFilesWithTheirTitlesAndTimes()
    {
        w_ = std::make_unique<BrowsingWindow>(QStringList{"cover.png", "Album/"}, FileSeconds);
        drop_ = w_->window->DragDrop();
        for (const auto& [name, seconds] : {std::pair{"Song.flac", "3"}, std::pair{"tune.m4a", "2"}}) {
            if (QProcess::execute(
                    "ffmpeg", {"-v", "error", "-f", "lavfi", "-i", QString("sine=d=") + seconds, w_->Drive(name)}) != 0)
                QSKIP("ffmpeg is not installed (scripts/install-deps installs it)");
        }
        const QStringList mixed = {"Album", "cover.png", "Song.flac", "tune.m4a"};
        const auto expectMusicAdded = [this] {
            QTRY_COMPARE(w_->TrackTitles(), (QStringList{"Song", "tune"}));
            QCOMPARE(w_->window->TrackList().Tracks()[0].seconds, 3);
            QCOMPARE(w_->window->TrackList().Tracks()[1].seconds, 2);
        };
        w_->Browse(w_->Drive());
        const QAbstractItemModel* rows = w_->Files().model();
        QCOMPARE(rows->index(w_->RowOf("Song.flac"), browse::kTypeColumn).data().toString(), QString("FLAC audio"));
        QCOMPARE(rows->index(w_->RowOf("tune.m4a"), browse::kTypeColumn).data().toString(), QString("MPEG-4 audio"));
        w_->Select(mixed);
        w_->Files().AddToList();
        expectMusicAdded();

        w_->Burn().ClearAll();
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : mixed)
            urls.append(QUrl::fromLocalFile(w_->Drive(name)));
        data.setUrls(urls);
        path_.points = {BurnPoint(QPoint(40, 3))};
        Play(*w_->window, &data, Qt::CopyAction, path_, drop_->Marker());
        QVERIFY(path_.dropTaken);
        expectMusicAdded();
    }

    // The drops come while the files of an add are timed (the counting
    // window lets events through between files); they wait for the add
    // and land in the order they came.
    void DropsDuringTimingLandInOrderAfterIt()
    {
        w_->Burn().SetProbeProgressDelay(std::chrono::milliseconds(0));
        QList<bool> taken;
        for (const char* name : {"b.mp3", "a.mp3"}) {
            QTimer::singleShot(0, [this, &taken, name] {
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(w_->Drive(name))});
                DragPath below;
                below.points = {BurnPoint(QPoint(40, w_->Burn().viewport()->height() - 3))};
                Play(*w_->window, &data, Qt::CopyAction, below, drop_->Marker());
                taken.append(below.dropTaken);
            });
        }
        w_->Burn().AddFiles("/elsewhere/", Numbered("t", 6));
        QCOMPARE(taken, (QList<bool>{true, true}));
        QTRY_COMPARE(w_->TrackTitles().mid(5), (QStringList{"t05", "b", "a"}));
    }

private:
    bool DragFromFiles()
    {
        return w_->window->BeginDrag(BurnListModel::DragSource::FileList, w_->Files(), QPoint(10, 5));
    }

    QPoint BurnPoint(const QPoint& inRows) const { return w_->Burn().viewport()->mapTo(w_->window.get(), inRows); }

    int RowPitch() const { return w_->Burn().visualItemRect(w_->Burn().topLevelItem(0)).height(); }

    std::unique_ptr<BrowsingWindow> w_;
    BurnListDragDrop* drop_ = nullptr;
    DragPath path_;
    int runs_ = 0;
    QPixmap image_;
    QPoint hotSpot_;
    Qt::DropAction action_ = Qt::IgnoreAction;
};

int main(int argc, char** argv)
{
    qputenv(aspi::kDrivesVariable, "");
    qunsetenv(aspi::kImageRecorderVariable);
    QApplication application(argc, argv);
    DragDropTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DragDropTest.moc"
