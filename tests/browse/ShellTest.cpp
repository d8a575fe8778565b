#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ModalWatcher.h"
#include "SandboxHome.h"
#include "browse/DriveList.h"
#include "browse/ShellFileOperation.h"

using namespace quillstar;
using test::ModalWatcher;

namespace {

void MakeFile(const QString& path, const QByteArray& content = "data")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(sandbox_.isValid());
        UseSandboxHome(sandbox_);
    }

    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>(sandbox_.path() + "/case-XXXXXX");
        root_ = dir_->path() + "/";
    }

    void drivesAreRootHomeThenRealVolumes()
    {
        QDir(root_).mkpath("home/ann");
        QDir(root_).mkpath("media/usb");
        QDir(root_).mkpath("boot");
        MakeFile(root_ + "hosts");
        const std::vector<DriveList::Volume> volumes{{"/", "ext4", true},
                                                     {root_ + "proc", "proc", true},
                                                     {root_ + "run", "tmpfs", true},
                                                     {root_ + "snap/core", "squashfs", true},
                                                     {root_ + "media/usb/", "vfat", true},
                                                     {root_ + "hosts", "ext4", true},     // a file mounted over a file
                                                     {root_ + "boot", "ext4", false},     // not ready
                                                     {root_ + "home/ann", "ext4", true},  // the home folder once only
                                                     {root_ + "media/usb", "vfat", true}};
        QCOMPARE(DriveList::FromVolumes(root_ + "home/ann/", volumes),
                 (QStringList{"/", root_ + "home/ann", root_ + "media/usb"}));

        QStringList drives = DriveList::Read();
        QCOMPARE(drives.first(), QString("/"));
        QCOMPARE(drives.value(1), QDir::homePath());
        QCOMPARE(drives.removeDuplicates(), 0);
    }

    void renameNeverReplacesAnExistingItem()
    {
        QDir(root_).mkpath("Music");
        QDir(root_).mkpath("Songs");
        MakeFile(root_ + "Songs/keep.mp3");
        {
            ModalWatcher answerer;
            QVERIFY(!ShellFileOperation::Rename(root_ + "Music", root_ + "Songs", nullptr));
            QCOMPARE(answerer.texts.size(), 1);
        }
        QVERIFY(QFileInfo(root_ + "Music").isDir());
        QVERIFY(QFileInfo::exists(root_ + "Songs/keep.mp3"));
        {
            ModalWatcher answerer;
            QVERIFY(!ShellFileOperation::Rename(root_ + "Missing", root_ + "Other", nullptr));
            QCOMPARE(answerer.texts.size(), 1);
        }
        QVERIFY(ShellFileOperation::Rename(root_ + "Music", root_ + "MUSIC", nullptr));
        QVERIFY(QFileInfo(root_ + "MUSIC").isDir());
    }

    void anUnusableTrashKeepsTheItem()
    {
        // A file where the trash folder belongs: Qt would otherwise move the item
        // into a "files" folder below the working directory.
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        QDir().mkpath(data);
        MakeFile(data + "/Trash");
        QDir(root_).mkpath("Music");
        {
            ModalWatcher answerer;
            QCOMPARE(ShellFileOperation::Delete({root_ + "Music"}, false, nullptr), ShellFileOperation::Result::Failed);
            QCOMPARE(answerer.texts.size(), 1);
        }
        QVERIFY(QFileInfo(root_ + "Music").isDir());
        QVERIFY(!QFileInfo::exists(QDir::currentPath() + "/files/Music"));
        QFile::remove(data + "/Trash");
    }

    // Deleting for good, after a Yes: a link goes, not what it links to, and
    // the first file that cannot be deleted ends the deleting there.
    void deletingForGoodRemovesALinkNotItsTargetAndStopsAtTheFirstFailure()
    {
        QDir(root_).mkpath("Real");
        MakeFile(root_ + "Real/song.mp3");
        QVERIFY(QFile::link(root_ + "Real", root_ + "Link"));
        MakeFile(root_ + "c.mp3");
        ModalWatcher answerer(QMessageBox::Yes);
        QCOMPARE(ShellFileOperation::Delete({root_ + "Link", root_ + "b.mp3", root_ + "c.mp3"}, true, nullptr),
                 ShellFileOperation::Result::Failed);
        QCOMPARE(answerer.texts.size(), 2);  // the confirmation, then the failure
        QVERIFY(!QFileInfo(root_ + "Link").isSymLink());
        QVERIFY(QFileInfo::exists(root_ + "Real/song.mp3"));
        QVERIFY(QFileInfo::exists(root_ + "c.mp3"));
    }

private:
    QTemporaryDir sandbox_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString root_;
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
