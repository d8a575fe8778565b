// The file list's commands in the main window: double clicks and keys that
// browse, and deleting and renaming files and folders, with what they do to
// the folder tree.
#include <QMessageBox>
#include <QStandardPaths>
#include <QTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "../browse/ListInput.h"
#include "../browse/ModalWatcher.h"
#include "../browse/SandboxHome.h"
#include "BrowsingWindow.h"
#include "resources/BrowseTexts.h"
#include "resources/ImageRecorderTexts.h"

using namespace quillstar;
using test::BrowsingWindow;
using test::ModalWatcher;

namespace {

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

    void DoubleClicksAndBackspaceBrowseUpToTheDriveListAndBackInTheTreeToo()
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
        QCOMPARE(w_->TreeSelection(), w_->Drive() + "/");

        w_->Browse(w_->Drive("Music"));
        w_->Files().setFocus();
        for (const QString& folder : {w_->Drive() + "/", QString(), QString()}) {
            QTest::keyClick(&w_->Files(), Qt::Key_Backspace);
            QCOMPARE(w_->Files().CurrentFolder(), folder);
        }
        QCOMPARE(w_->Names(), QStringList{w_->Drive()});
        QVERIFY(w_->opened.isEmpty());
    }

    void DeleteMovesTheSelectionButDotDotToTheTrashAndTheTreeFollows()
    {
        ModalWatcher watcher;
        w_->Browse(w_->Drive());
        w_->Select({"..", "three.wav"});
        QTest::keyClick(&w_->Files(), Qt::Key_Delete);
        QVERIFY(QFileInfo::exists(Trash() + "three.wav"));
        QVERIFY(QFileInfo(w_->Drive()).isDir());
        QCOMPARE(w_->Names(), (QStringList{"..", "Music", "one.mp3", "two.mp3"}));
        w_->Select({".."});
        QTest::keyClick(&w_->Files(), Qt::Key_Delete, Qt::ShiftModifier);

        w_->Browse(w_->Drive("Music"));
        w_->Select({"Old"});
        QTest::keyClick(&w_->Files(), Qt::Key_Delete);
        QVERIFY(QFileInfo(Trash() + "Old").isDir());
        QCOMPARE(w_->TreeSelection(), w_->Drive("Music/"));
        QVERIFY(!FolderTree::FindChild(w_->Tree().currentItem(), "Old"));
        QCOMPARE(w_->Names(), (QStringList{"..", "song.mp3"}));
        QVERIFY(watcher.seen.isEmpty());
    }

    // The tree and the list show the folder; opening it shows it empty and
    // says why, and nothing waits on it.
    void AFolderThatCannotBeReadSaysWhyWhenOpened()
    {
        QVERIFY(QDir(w_->Drive()).mkpath("Locked/Deep"));
        QVERIFY(QFile::setPermissions(w_->Drive("Locked"), QFileDevice::Permissions()));
        QVERIFY(ReadLikeAnyUser(true));
        ModalWatcher watcher;
        w_->Browse(w_->Drive());
        QVERIFY(w_->Names().contains("Locked"));
        QVERIFY(FolderTree::FindChild(w_->Tree().currentItem(), "Locked"));
        w_->Browse(w_->Drive("Locked"));
        QVERIFY(ReadLikeAnyUser(false));
        QFile::setPermissions(w_->Drive("Locked"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(watcher.texts,
                 QStringList{QString("Cannot open the folder \"%1/\": Permission denied.").arg(w_->Drive("Locked"))});
        QCOMPARE(w_->Names(), QStringList{".."});
        QCOMPARE(w_->Tree().currentItem()->childCount(), 0);
    }

    void RenamingChecksTheNameWantsOneRowAndShowsAFolderInTheTree()
    {
        ModalWatcher watcher;
        w_->Browse(w_->Drive());
        w_->Select({"one.mp3", "two.mp3"});
        QTest::keyClick(&w_->Files(), Qt::Key_F2);
        QVERIFY(!LabelEditor(w_->Files()));

        w_->Select({"one.mp3"});
        const int row = w_->RowOf("one.mp3");
        for (const char* name : {"a*b.mp3", "zz.mp3"}) {
            QTest::keyClick(&w_->Files(), Qt::Key_F2);
            TypeLabel(w_->Files(), name);
        }
        QTRY_COMPARE(watcher.texts, QStringList{browse::kInvalidNameText});
        // Renamed in place: the row stays where it was until the next sort.
        QTRY_VERIFY(QFileInfo::exists(w_->Drive("zz.mp3")));
        QVERIFY(!QFileInfo::exists(w_->Drive("one.mp3")));
        QCOMPARE(w_->RowOf("zz.mp3"), row);

        w_->Select({"Music"});
        QTest::keyClick(&w_->Files(), Qt::Key_F2);
        TypeLabel(w_->Files(), "Songs");
        QTRY_VERIFY(QFileInfo(w_->Drive("Songs")).isDir());
        QCOMPARE(w_->TreeSelection(), w_->Drive() + "/");
        QVERIFY(FolderTree::FindChild(w_->Tree().currentItem(), "Songs"));
        QVERIFY(!FolderTree::FindChild(w_->Tree().currentItem(), "Music"));
    }

private:
    void DoubleClick(const QString& name)
    {
        QWidget* rows = w_->Files().viewport();
        const QPoint at = w_->RowCenter(name);
        QTest::mouseClick(rows, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(rows, Qt::LeftButton, Qt::NoModifier, at);
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
