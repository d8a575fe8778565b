#include <QDir>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "FakeOwner.h"
#include "ModalWatcher.h"
#include "SandboxHome.h"
#include "browse/FolderTree.h"
#include "resources/BrowseTexts.h"

using namespace quillstar;
using test::ModalWatcher;

namespace {

void MakeFolders(const QString& root, const QStringList& folders)
{
    for (const QString& folder : folders)
        QVERIFY(QDir(root).mkpath(folder));
}

QStringList ChildTexts(const QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts.append(item->child(i)->text(0));
    return texts;
}

}  // namespace

class FolderTreeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(sandbox_.isValid());
        UseSandboxHome(sandbox_);
    }

    void init()
    {
        testDir_ = std::make_unique<QTemporaryDir>(sandbox_.path() + "/case-XXXXXX");
        drive_ = testDir_->path() + "/Drive";
        QVERIFY(QDir().mkpath(drive_));
        owner_ = FakeOwner();
        tree_ = std::make_unique<FolderTree>(owner_, [this] { return QStringList{drive_, drive_ + "/Missing"}; });
        tree_->show();
    }

    void theDrivesAreReadWhenExpandedWithTheirFoldersSortedInAnyCase()
    {
        MakeFolders(drive_, {"m", "K", "z", "a", "Q", "c", "Y", "e", "G", "i", "W", "B", ".hidden", "a/inner"});
        QVERIFY(QFile(drive_ + "/a-file").open(QIODevice::WriteOnly));
        QVERIFY(tree_->Initialize());
        QTreeWidgetItem* root = tree_->topLevelItem(0);
        QCOMPARE(root->text(0), QString(browse::kComputerText));
        QCOMPARE(ChildTexts(root), (QStringList{drive_, drive_ + "/Missing"}));
        // A drive is never read before it is expanded: the missing one has
        // its expand button too.
        QCOMPARE(root->child(1)->childCount(), 1);
        QTreeWidgetItem* drive = root->child(0);
        tree_->expandItem(drive);
        QCOMPARE(ChildTexts(drive),
                 (QStringList{".hidden", "a", "B", "c", "e", "G", "i", "K", "m", "Q", "W", "Y", "z"}));
        QCOMPARE(drive->child(1)->childCount(), 1);  // "a" holds a folder
        QCOMPARE(drive->child(2)->childCount(), 0);
        QCOMPARE(tree_->ItemPath(drive->child(1)), drive_ + "/a/");

        FolderTree broken(owner_, [] { return QStringList(); });
        QVERIFY(!broken.Initialize());
        QCOMPARE(broken.topLevelItem(0)->childCount(), 0);
    }

    void aDriveCanBeNeitherRenamedNorDeleted()
    {
        tree_->Initialize();
        tree_->setCurrentItem(tree_->topLevelItem(0)->child(0));
        ModalWatcher watcher(QMessageBox::Yes);
        QTest::keyClick(tree_.get(), Qt::Key_F2);
        QVERIFY(!tree_->findChild<QLineEdit*>());
        QVERIFY(!tree_->RenameFolder(tree_->currentItem(), "Other"));
        QTest::keyClick(tree_.get(), Qt::Key_Delete, Qt::ShiftModifier);
        QCoreApplication::processEvents();
        QVERIFY(watcher.seen.isEmpty());
        QVERIFY(QFileInfo(drive_).isDir());
    }

    void renameRefusesBadNamesAndRenamesGoodOnesOnDisk()
    {
        MakeFolders(drive_, {"Music/Rock"});
        tree_->Initialize();
        QVERIFY(tree_->SelectPath(drive_ + "/Music"));
        QTreeWidgetItem* music = tree_->currentItem();
        {
            ModalWatcher watcher;
            QVERIFY(!tree_->RenameFolder(music, "Mu:sic"));
            QVERIFY(!tree_->RenameFolder(music, ""));
            QCOMPARE(watcher.texts, QStringList{browse::kInvalidNameText});
            QCOMPARE(watcher.icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        }
        QCOMPARE(music->text(0), QString("Music"));

        // Through the edit field, as the user does it.
        owner_.chosen.clear();
        QTest::keyClick(tree_.get(), Qt::Key_F2);
        auto* editor = tree_->findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), browse::kMaxLabelLength);
        editor->setText("Songs");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(music->text(0), QString("Songs"));
        QVERIFY(QFileInfo(drive_ + "/Songs/Rock").isDir());
        QVERIFY(!QFileInfo::exists(drive_ + "/Music"));
        QCOMPARE(owner_.chosen, QStringList{drive_ + "/Songs/"});
        QCOMPARE(tree_->ItemPath(music->child(0)), drive_ + "/Songs/Rock/");
    }

    // Beside a folder of the same name in another case, the name as written
    // wins; the other case is only a fallback.
    void selectPathPrefersTheNameAsWritten()
    {
        MakeFolders(drive_, {"Music/Rock", "music/rock"});
        tree_->Initialize();
        const std::pair<const char*, const char*> chosen[] = {{"/music/rock", "/music/rock/"},
                                                              {"/music/Rock", "/music/rock/"},
                                                              {"/Music/rock", "/Music/Rock/"},
                                                              {"/MUSIC/ROCK", "/Music/Rock/"}};
        for (const auto& [path, selected] : chosen) {
            QVERIFY(tree_->SelectPath(drive_ + path));
            QCOMPARE(tree_->ItemPath(tree_->currentItem()), drive_ + selected);
        }
    }

    void deleteMovesToTheTrashOrAfterAYesDeletesForGood()
    {
        MakeFolders(drive_, {"Music/Old", "Music/Gone", "Music/Kept"});
        tree_->Initialize();
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/";
        QVERIFY(tree_->SelectPath(drive_ + "/Music/Old"));
        QTest::keyClick(tree_.get(), Qt::Key_Delete);
        QVERIFY(QFileInfo(trash + "Old").isDir());
        QCOMPARE(tree_->currentItem()->text(0), QString("Music"));
        QCOMPARE(owner_.chosen.last(), drive_ + "/Music/");
        QCOMPARE(ChildTexts(tree_->currentItem()), (QStringList{"Gone", "Kept"}));

        for (const auto& [folder, answer] : {std::pair{"Kept", QMessageBox::No}, std::pair{"Gone", QMessageBox::Yes}}) {
            QVERIFY(tree_->SelectPath(drive_ + "/Music/" + folder));
            ModalWatcher watcher(answer);
            QTest::keyClick(tree_.get(), Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(watcher.texts.size(), 1);
        }
        QVERIFY(QFileInfo(drive_ + "/Music/Kept").isDir());
        QVERIFY(!QFileInfo::exists(drive_ + "/Music/Gone"));
        QVERIFY(!QFileInfo::exists(trash + "Gone"));
        QCOMPARE(ChildTexts(tree_->currentItem()), QStringList{"Kept"});
    }

    // Tests run as root, who may change any folder: the mount table and
    // the folders that cannot be changed are the guard's seams.
    void deleteForGoodRefusesWhatReachesFurtherThanTheFolder()
    {
        MakeFolders(drive_, {"Holder/Mounted/Deep", "Locked/Inner", "Music/Album"});
        for (const char* name : {"Music/a.mp3", "Music/Album/b.mp3", "Locked/Inner/c.mp3"})
            QVERIFY(QFile(drive_ + "/" + name).open(QIODevice::WriteOnly));
        owner_.guard = DeleteGuard([&] { return QStringList{drive_ + "/Holder/Mounted"}; },
                                   [&](const QString& folder) { return folder != drive_ + "/Locked"; });
        FolderTree tree(owner_, [] { return QStringList{"/"}; });
        tree.show();
        tree.Initialize();
        const QString refused =
            "Cannot delete \"%1\": it is the home folder, a mounted drive or a folder that holds one of them.";
        const std::pair<QString, QString> cases[] = {
            {QDir::homePath(), refused.arg(QDir::homePath())},
            {drive_ + "/Holder", refused.arg(drive_ + "/Holder")},
            {drive_ + "/Holder/Mounted", refused.arg(drive_ + "/Holder/Mounted")},
            {drive_ + "/Locked/Inner",
             QString("Cannot delete \"%1/Locked/Inner\": the folder \"%1/Locked\" cannot be changed.").arg(drive_)},
            {drive_ + "/Music", QString("Are you sure you want to delete the folder \"%1/Music\" and the 2 files it "
                                        "holds for good?\nThey will not go to the trash.")
                                    .arg(drive_)},
        };
        for (const auto& [folder, told] : cases) {
            QVERIFY(tree.SelectPath(folder));
            ModalWatcher watcher(QMessageBox::Yes);
            QTest::keyClick(&tree, Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(watcher.texts, QStringList{told});
        }
        QVERIFY(QFileInfo::exists(drive_ + "/Holder/Mounted/Deep"));
        QVERIFY(QFileInfo::exists(drive_ + "/Locked/Inner/c.mp3"));
        QVERIFY(!QFileInfo::exists(drive_ + "/Music"));
    }

private:
    QTemporaryDir sandbox_;
    std::unique_ptr<QTemporaryDir> testDir_;
    QString drive_;
    FakeOwner owner_;
    std::unique_ptr<FolderTree> tree_;
};

QTEST_MAIN(FolderTreeTest)
#include "FolderTreeTest.moc"
