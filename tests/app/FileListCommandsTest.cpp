// The file list's commands in the main window: its context menu, keys,
// double clicks, label editing and drag start, and what they do to the
// folder tree and the burn list.
#include <QContextMenuEvent>
#include <QDrag>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "../browse/ListInput.h"
#include "../browse/SandboxHome.h"
#include "BrowsingWindow.h"
#include "ModalWatcher.h"
#include "app/BurnListDragDrop.h"
#include "browse/PropertiesDialog.h"
#include "resources/BrowseTexts.h"
#include "resources/FileListCommandTexts.h"
#include "resources/ImageRecorderTexts.h"

using namespace quillstar;
using test::BrowsingWindow;
using test::ModalWatcher;

namespace {

// The commands in menu order.
enum Command { kAdd, kOpen, kRename, kDelete, kProperties };

MenuSeen OpenMenu(FileList& list, QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse, int choose = -1)
{
    return OpenMenu(list, filelist::kFilesListMenuName, reason, QPoint(30, 30), choose);
}

QString Trash()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/";
}

// Root reads every folder; without these two capabilities this thread meets
// a folder's permissions as any user does.
bool ReadLikeAnyUser(bool likeAnyUser)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, caps) != 0)
        return false;
    const uint32_t reading = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    caps[0].effective = likeAnyUser ? caps[0].effective & ~reading : caps[0].effective | (caps[0].permitted & reading);
    return syscall(SYS_capset, &header, caps) == 0;
}

}  // namespace

class FileListCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        w_ = std::make_unique<BrowsingWindow>(
            QStringList{"one.mp3", "two.mp3", "three.wav", "Music/", "Music/Old/", "Music/song.mp3"});
    }

    void cleanup() { w_.reset(); }

    void DoubleClickedFoldersOpenAndDotDotInADrivesRootShowsTheDriveList()
    {
        w_->Browse(w_->Drive());
        DoubleClick("Music");
        QCOMPARE(w_->Files().CurrentFolder(), w_->Drive("Music/"));
        QCOMPARE(w_->TreeSelection(), w_->Drive("Music/"));
        DoubleClick("..");
        QCOMPARE(w_->Files().CurrentFolder(), w_->Drive() + "/");
        DoubleClick("..");
        QCOMPARE(w_->Files().CurrentFolder(), QString());
        QCOMPARE(w_->Names(), QStringList{w_->Drive()});
        QCOMPARE(w_->Tree().currentItem(), w_->Tree().topLevelItem(0));
        DoubleClick(w_->Drive());
        QCOMPARE(w_->Files().CurrentFolder(), w_->Drive() + "/");
        QCOMPARE(w_->TreeSelection(), w_->Drive() + "/");
    }

    void DoubleClickingAFileDoesNothingWhileOpenStartsItsProgram()
    {
        w_->Browse(w_->Drive());
        DoubleClick("one.mp3");
        // Long enough for a click on a selected name to have started editing it.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QVERIFY(w_->opened.isEmpty());
        QCOMPARE(w_->Files().CurrentFolder(), w_->Drive() + "/");
        QVERIFY(!LabelEditor(w_->Files()));
        OpenMenu(w_->Files(), QContextMenuEvent::Mouse, kOpen);
        QCOMPARE(w_->opened, QStringList{w_->Drive("one.mp3")});
    }

    void BackspaceDoesNothingInTheDriveListAndLeavesARootFolderForIt()
    {
        w_->Browse(QString());
        w_->Files().setFocus();
        QTest::keyClick(&w_->Files(), Qt::Key_Backspace);
        QCOMPARE(w_->Files().CurrentFolder(), QString());
        QCOMPARE(w_->Names(), QStringList{w_->Drive()});

        w_->Browse(w_->Drive("Music"));
        QTest::keyClick(&w_->Files(), Qt::Key_Backspace);
        QCOMPARE(w_->Files().CurrentFolder(), w_->Drive() + "/");
        QCOMPARE(w_->TreeSelection(), w_->Drive() + "/");
        QTest::keyClick(&w_->Files(), Qt::Key_Backspace);
        QCOMPARE(w_->Files().CurrentFolder(), QString());
        QCOMPARE(w_->Tree().currentItem(), w_->Tree().topLevelItem(0));
    }

    void TheMenuGreysWhatCannotBeDone()
    {
        using Enabled = QList<bool>;  // add, open, rename, delete, properties
        w_->Browse(QString());
        w_->Files().clearSelection();
        QCOMPARE(OpenMenu(w_->Files()).enabled, (Enabled{false, false, false, false, false}));

        // A drive can be opened and has properties, but keeps its name.
        w_->Select({w_->Drive()});
        QCOMPARE(OpenMenu(w_->Files()).enabled, (Enabled{false, true, false, false, true}));
        QTest::keyClick(&w_->Files(), Qt::Key_F2);
        QVERIFY(!LabelEditor(w_->Files()));
        OpenMenu(w_->Files(), QContextMenuEvent::Mouse, kProperties);
        auto* properties = w_->window->findChild<PropertiesDialog*>();
        QVERIFY(properties);
        QCOMPARE(properties->windowTitle(), QString("Drive Properties"));

        w_->Browse(w_->Drive());
        w_->Select({"..", "one.mp3"});
        QCOMPARE(OpenMenu(w_->Files()).enabled, (Enabled{true, true, false, false, false}));
        w_->Select({"Music"});
        QCOMPARE(OpenMenu(w_->Files()).enabled, (Enabled{false, true, true, true, true}));
        OpenMenu(w_->Files(), QContextMenuEvent::Mouse, kAdd);
        w_->Select({"one.mp3", "two.mp3"});
        QCOMPARE(OpenMenu(w_->Files()).enabled, (Enabled{true, true, true, true, true}));
        OpenMenu(w_->Files(), QContextMenuEvent::Mouse, kAdd);
        QCOMPARE(w_->TrackTitles(), (QStringList{"one", "two"}));
    }

    void OnlySelectionsWithMusicCanBeDragged()
    {
        int drags = 0;
        w_->window->DragDrop()->SetDragRunner([&](QDrag&, Qt::DropAction) { ++drags; });
        w_->Browse(w_->Drive());
        w_->Select({"Music"});
        DragRow("Music");
        QCOMPARE(drags, 0);
        w_->Select({"Music", "three.wav"});
        DragRow("three.wav");
        QCOMPARE(drags, 1);
    }

    void DeleteSkipsDotDot()
    {
        ModalWatcher watcher;
        w_->Browse(w_->Drive());
        w_->Select({"..", "three.wav"});
        QTest::keyClick(&w_->Files(), Qt::Key_Delete);
        QVERIFY(watcher.seen.isEmpty());
        QVERIFY(!QFileInfo::exists(w_->Drive("three.wav")));
        QVERIFY(QFileInfo::exists(Trash() + "three.wav"));
        QVERIFY(QFileInfo(w_->Drive()).isDir());
        QCOMPARE(w_->Names(), (QStringList{"..", "Music", "one.mp3", "two.mp3"}));

        // Only ".." selected: nothing to delete, nothing asked.
        w_->Select({".."});
        QTest::keyClick(&w_->Files(), Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(watcher.seen.isEmpty());
    }

    void DeletingAFolderRebuildsTheTreeOnTheCurrentFolder()
    {
        w_->Browse(w_->Drive("Music"));
        QVERIFY(FolderTree::FindChild(w_->Tree().currentItem(), "Old"));
        w_->Select({"Old"});
        QTest::keyClick(&w_->Files(), Qt::Key_Delete);
        QVERIFY(QFileInfo(Trash() + "Old").isDir());
        QCOMPARE(w_->TreeSelection(), w_->Drive("Music/"));
        QVERIFY(!FolderTree::FindChild(w_->Tree().currentItem(), "Old"));
        QCOMPARE(w_->Files().CurrentFolder(), w_->Drive("Music/"));
        QCOMPARE(w_->Names(), (QStringList{"..", "song.mp3"}));
    }

    // The tree and the list show the folder; opening it shows it empty and
    // says why, and nothing waits on it.
    void AFolderThatCannotBeReadSaysWhyWhenOpened()
    {
        QVERIFY(QDir(w_->Drive()).mkpath("Locked/Deep"));
        QVERIFY(QFile::setPermissions(w_->Drive("Locked"), QFileDevice::Permissions()));
        QVERIFY(ReadLikeAnyUser(true));
        QString told;
        ModalWatcher watcher([&told](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                told = box->text();
            return false;
        });
        w_->Browse(w_->Drive());
        QVERIFY(w_->Names().contains("Locked"));
        QVERIFY(FolderTree::FindChild(w_->Tree().currentItem(), "Locked"));
        w_->Browse(w_->Drive("Locked"));
        QVERIFY(ReadLikeAnyUser(false));
        QFile::setPermissions(w_->Drive("Locked"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(told, QString("Cannot open the folder \"%1/\": Permission denied.").arg(w_->Drive("Locked")));
        QCOMPARE(w_->Names(), QStringList{".."});
        QCOMPARE(w_->Tree().currentItem()->childCount(), 0);
    }

    void RenamingChecksTheNameAndF2WantsOneRow()
    {
        QStringList told;
        ModalWatcher watcher([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                told.append(box->text());
            return false;
        });
        w_->Browse(w_->Drive());
        w_->Select({"one.mp3", "two.mp3"});
        QTest::keyClick(&w_->Files(), Qt::Key_F2);
        QVERIFY(!LabelEditor(w_->Files()));

        w_->Select({"one.mp3"});
        const int row = w_->RowOf("one.mp3");
        QTest::keyClick(&w_->Files(), Qt::Key_F2);
        TypeLabel(w_->Files(), "a*b.mp3");
        QCOMPARE(told, QStringList{browse::kInvalidNameText});
        QVERIFY(QFileInfo::exists(w_->Drive("one.mp3")));
        QCOMPARE(w_->RowOf("one.mp3"), row);

        // Renamed in place: the row stays where it was until the next sort.
        QTest::keyClick(&w_->Files(), Qt::Key_F2);
        TypeLabel(w_->Files(), "zz.mp3");
        QVERIFY(QFileInfo::exists(w_->Drive("zz.mp3")));
        QVERIFY(!QFileInfo::exists(w_->Drive("one.mp3")));
        QCOMPARE(w_->RowOf("zz.mp3"), row);

        // A renamed folder shows in the tree under its new name.
        w_->Select({"Music"});
        QTest::keyClick(&w_->Files(), Qt::Key_F2);
        TypeLabel(w_->Files(), "Songs");
        QVERIFY(QFileInfo(w_->Drive("Songs")).isDir());
        QCOMPARE(w_->TreeSelection(), w_->Drive() + "/");
        QVERIFY(FolderTree::FindChild(w_->Tree().currentItem(), "Songs"));
        QVERIFY(!FolderTree::FindChild(w_->Tree().currentItem(), "Music"));
        QCOMPARE(told.size(), 1);
    }

    void TheKeyboardMenuOpensAtTheListsTopLeft()
    {
        w_->Browse(w_->Drive());
        w_->Select({"one.mp3"});
        FileList& list = w_->Files();
        const MenuSeen seen = OpenMenu(list, QContextMenuEvent::Keyboard);
        QVERIFY(seen.opened);
        QCOMPARE(seen.position, list.mapToGlobal(list.contentsRect().topLeft() + QPoint(5, 5)));
        QVERIFY(OpenMenu(list).position != seen.position);
    }

private:
    void DoubleClick(const QString& name)
    {
        QWidget* rows = w_->Files().viewport();
        const QPoint at = w_->RowCenter(name);
        QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(rows, Qt::LeftButton, Qt::NoModifier, at);
    }

    void DragRow(const QString& name)
    {
        QWidget* rows = w_->Files().viewport();
        const QPoint at = w_->RowCenter(name);
        QTest::mousePress(rows, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(rows, at + QPoint(0, 2));
        QTest::mouseMove(rows, at + QPoint(0, 40));
        QTest::mouseRelease(rows, Qt::LeftButton, Qt::NoModifier, at + QPoint(0, 40));
    }

    std::unique_ptr<BrowsingWindow> w_;
};

int main(int argc, char** argv)
{
    QTemporaryDir sandbox;
    UseSandboxHome(sandbox);
    qputenv(aspi::kDrivesVariable, "");
    qunsetenv(aspi::kImageRecorderVariable);
    QApplication application(argc, argv);
    FileListCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FileListCommandsTest.moc"
