#include <QContextMenuEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "FakeOwner.h"
#include "MessageBoxAnswerer.h"
#include "SandboxHome.h"
#include "browse/FolderTree.h"
#include "resources/BrowseTexts.h"

using namespace quillstar;

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

// The enabled state of the context menu's three commands, read while it is open.
QList<bool> MenuStates(FolderTree& tree)
{
    QList<bool> states;
    QTimer::singleShot(20, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions())
            states.append(action->isEnabled());
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1), tree.mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&tree, &event);
    return states;
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
    }

    void initializeBuildsComputerAndDrivesWithPlaceholders()
    {
        const QString second = testDir_->path() + "/Second";
        FolderTree tree(owner_, [&] { return QStringList{drive_, second}; });
        QVERIFY(tree.Initialize());
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(root->text(0), QString(browse::kComputerText));
        QVERIFY(root->isExpanded());
        QCOMPARE(ChildTexts(root), (QStringList{drive_, second}));
        // A drive is never read before it is expanded: the missing second drive
        // has its placeholder too.
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(root->child(i)->childCount(), 1);
            QCOMPARE(root->child(i)->child(0)->text(0), QString());
        }
        QCOMPARE(tree.ItemPath(root), QString());
        QCOMPARE(tree.ItemPath(root->child(0)), drive_ + "/");

        // Built again (after the file list renamed a folder) with a folder selected.
        QDir(drive_).mkdir("Music");
        QVERIFY(tree.SelectPath(drive_ + "/Music"));
        QVERIFY(tree.Initialize());
        QCOMPARE(tree.topLevelItem(0)->childCount(), 2);
        QCOMPARE(tree.topLevelItem(0)->child(0)->childCount(), 1);

        FolderTree broken(owner_, [] { return QStringList(); });
        QVERIFY(!broken.Initialize());
        QCOMPARE(broken.topLevelItemCount(), 1);
        QCOMPARE(broken.topLevelItem(0)->childCount(), 0);
    }

    void expandingFillsSortedSubfoldersOnce()
    {
        MakeFolders(drive_, {"b", "A", "A/inner", ".hidden"});
        QFile file(drive_ + "/a-file");
        QVERIFY(file.open(QIODevice::WriteOnly));
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.Initialize();
        QTreeWidgetItem* drive = tree.topLevelItem(0)->child(0);
        tree.expandItem(drive);
        QCOMPARE(ChildTexts(drive), (QStringList{".hidden", "A", "b"}));
        QCOMPARE(drive->child(1)->childCount(), 1);  // A holds a folder
        QCOMPARE(drive->child(2)->childCount(), 0);
        QCOMPARE(tree.ItemPath(drive->child(1)), drive_ + "/A/");

        // Read once per build of the tree.
        MakeFolders(drive_, {"C"});
        tree.collapseItem(drive);
        tree.expandItem(drive);
        QCOMPARE(drive->childCount(), 3);
    }

    void sortingIsCompleteForShortAndLongLists_data()
    {
        QTest::addColumn<QStringList>("created");
        QTest::newRow("two") << QStringList{"b", "A"};
        QTest::newRow("five") << QStringList{"Delta", "alpha", "Echo", "charlie", "Bravo"};
        QTest::newRow("twelve") << QStringList{"m", "K", "z", "a", "Q", "c", "Y", "e", "G", "i", "W", "B"};
    }

    void sortingIsCompleteForShortAndLongLists()
    {
        QFETCH(QStringList, created);
        MakeFolders(drive_, created);
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.Initialize();
        QTreeWidgetItem* drive = tree.topLevelItem(0)->child(0);
        tree.expandItem(drive);
        QStringList expected = created;
        std::sort(expected.begin(), expected.end(),
                  [](const QString& a, const QString& b) { return a.toLower() < b.toLower(); });
        QCOMPARE(ChildTexts(drive), expected);
    }

    void hasSubfolderAndFolderExists()
    {
        MakeFolders(drive_, {"Music/Rock"});
        QFile file(drive_ + "/Music/Rock/song.mp3");
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(FolderTree::HasSubfolder(drive_ + "/Music"));
        QVERIFY(FolderTree::HasSubfolder(drive_ + "/Music/"));
        QVERIFY(!FolderTree::HasSubfolder(drive_ + "/Music/Rock"));
        QVERIFY(!FolderTree::HasSubfolder(drive_ + "/missing"));

        QVERIFY(FolderTree::FolderExists(drive_ + "/Music/Rock"));
        QVERIFY(FolderTree::FolderExists((drive_ + "/MUSIC/rock/").toUpper()));
        QVERIFY(!FolderTree::FolderExists(drive_ + "/Music/Rock/song.mp3"));
        QVERIFY(!FolderTree::FolderExists(drive_ + "/Music/Pop"));
        QVERIFY(!FolderTree::FolderExists("relative/path"));
    }

    void selectPathMatchesAnyCaseAndExpandsTheWay()
    {
        MakeFolders(drive_, {"Music/Rock/Live", "Music/Jazz", "Other/x"});
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.Initialize();
        QVERIFY(tree.SelectPath((drive_ + "/music/ROCK").toUpper()));
        QTreeWidgetItem* rock = tree.currentItem();
        QCOMPARE(rock->text(0), QString("Rock"));
        QVERIFY(rock->isSelected());
        QCOMPARE(tree.ItemPath(rock), drive_ + "/Music/Rock/");
        QCOMPARE(owner_.chosen.last(), drive_ + "/Music/Rock/");
        for (QTreeWidgetItem* item = rock; item; item = item->parent())
            QVERIFY(item->isExpanded());
        QCOMPARE(ChildTexts(rock), QStringList{"Live"});
        QCOMPARE(FolderTree::FindChild(rock->parent(), "jAZZ")->text(0), QString("Jazz"));
        QVERIFY(!FolderTree::FindChild(rock->parent(), "Blues"));

        // Beside a folder of the same name in another case, the name as
        // written wins; the other case is only a fallback.
        MakeFolders(drive_, {"music/rock"});
        tree.Initialize();
        const std::pair<const char*, const char*> chosen[] = {{"/music/rock", "/music/rock/"},
                                                              {"/music/Rock", "/music/rock/"},
                                                              {"/Music/rock", "/Music/Rock/"},
                                                              {"/MUSIC/ROCK", "/Music/Rock/"}};
        for (const auto& [path, selected] : chosen) {
            QVERIFY(tree.SelectPath(drive_ + path));
            QCOMPARE(tree.ItemPath(tree.currentItem()), drive_ + selected);
        }
    }

    void selectPathOfMissingFolderChangesNothing()
    {
        MakeFolders(drive_, {"Music"});
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.Initialize();
        QVERIFY(tree.SelectPath(drive_ + "/Music"));
        const int reports = owner_.chosen.size();
        QVERIFY(!tree.SelectPath(drive_ + "/Music/Missing"));
        QVERIFY(!tree.SelectPath(testDir_->path() + "/NotADrive"));
        QCOMPARE(tree.currentItem()->text(0), QString("Music"));
        QCOMPARE(owner_.chosen.size(), reports);
    }

    void selectPathOfEmptyAndRoot()
    {
        MakeFolders(drive_, {"Music"});
        FolderTree tree(owner_, [&] { return QStringList{"/", drive_}; });
        tree.Initialize();
        QVERIFY(tree.SelectPath(drive_ + "/Music"));
        QVERIFY(tree.SelectPath(""));
        QTreeWidgetItem* root = tree.topLevelItem(0);
        QCOMPARE(tree.currentItem(), root);
        QCOMPARE(owner_.chosen.last(), QString());  // the file list shows the drives
        for (int i = 0; i < root->childCount(); ++i)
            QVERIFY(!root->child(i)->isExpanded());

        // "/" is the root file system, the first drive.
        QVERIFY(tree.SelectPath("/"));
        QCOMPARE(tree.currentItem(), root->child(0));
        QCOMPARE(owner_.chosen.last(), QString("/"));
    }

    void rightPressSelectsReadsAndReports()
    {
        MakeFolders(drive_, {"Music/Rock"});
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.resize(400, 300);
        tree.show();
        tree.Initialize();
        QTreeWidgetItem* drive = tree.topLevelItem(0)->child(0);
        const QPoint at = tree.visualItemRect(drive).center();
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, at);
        QCOMPARE(tree.currentItem(), drive);
        QCOMPARE(owner_.chosen, QStringList{drive_ + "/"});  // once, not once more for the selection
        // Read without being expanded.
        QVERIFY(!drive->isExpanded());
        QCOMPARE(ChildTexts(drive), QStringList{"Music"});

        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, at);
        QCOMPARE(owner_.chosen.size(), 1);
        // Not an expansion: the first real one reads the drive again.
        QDir(drive_).mkdir("Jazz");
        tree.expandItem(drive);
        QCOMPARE(ChildTexts(drive), (QStringList{"Jazz", "Music"}));
    }

    void menuGraysCommandsOnComputerAndDrives()
    {
        MakeFolders(drive_, {"Music"});
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.show();
        tree.Initialize();
        QTreeWidgetItem* root = tree.topLevelItem(0);
        const QList<bool> grey{false, false, false};
        QCOMPARE(MenuStates(tree), grey);  // nothing selected
        tree.setCurrentItem(root);
        QCOMPARE(MenuStates(tree), grey);
        tree.setCurrentItem(root->child(0));
        QCOMPARE(MenuStates(tree), grey);
        QVERIFY(tree.SelectPath(drive_ + "/Music"));
        QCOMPARE(MenuStates(tree), (QList<bool>{true, true, true}));
        QCOMPARE(tree.findChild<QMenu*>(browse::kDirectoryTreeMenuName)->actions().size(), 3);
    }

    void keysDoNothingOnDrives()
    {
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.show();
        tree.Initialize();
        tree.setCurrentItem(tree.topLevelItem(0)->child(0));
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        QTest::keyClick(&tree, Qt::Key_F2);
        QVERIFY(!tree.findChild<QLineEdit*>());
        QTest::keyClick(&tree, Qt::Key_Delete, Qt::ShiftModifier);
        QTest::qWait(30);
        QVERIFY(answerer.texts.isEmpty());
        QVERIFY(QFileInfo(drive_).isDir());
        QCOMPARE(tree.topLevelItem(0)->childCount(), 1);
    }

    void renameRefusesBadNamesAndRenamesGoodOnes()
    {
        MakeFolders(drive_, {"Music/Rock"});
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.show();
        tree.Initialize();
        QVERIFY(tree.SelectPath(drive_ + "/Music"));
        QTreeWidgetItem* music = tree.currentItem();
        {
            MessageBoxAnswerer answerer;
            QVERIFY(!tree.RenameFolder(music, "Mu:sic"));
            QCOMPARE(answerer.texts, QStringList{browse::kInvalidNameText});
            QCOMPARE(answerer.icons.front(), QMessageBox::Warning);
        }
        {
            MessageBoxAnswerer answerer;
            QVERIFY(!tree.RenameFolder(music, ""));
            QVERIFY(answerer.texts.isEmpty());
        }
        QCOMPARE(music->text(0), QString("Music"));
        QVERIFY(QFileInfo(drive_ + "/Music").isDir());
        QVERIFY(!tree.RenameFolder(music->parent(), "Other"));  // a drive keeps its name

        // Through the edit field, as the user does it.
        owner_.chosen.clear();
        QTest::keyClick(&tree, Qt::Key_F2);
        auto* editor = tree.findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), browse::kMaxLabelLength);
        editor->setText("Songs");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(music->text(0), QString("Songs"));
        QVERIFY(QFileInfo(drive_ + "/Songs/Rock").isDir());
        QVERIFY(!QFileInfo::exists(drive_ + "/Music"));
        QCOMPARE(owner_.chosen, QStringList{drive_ + "/Songs/"});
        QCOMPARE(tree.ItemPath(music->child(0)), drive_ + "/Songs/Rock/");
    }

    void deleteMovesToTrashOrDeletesForGood()
    {
        MakeFolders(drive_, {"Music/Old", "Music/Gone", "Music/Kept"});
        FolderTree tree(owner_, [&] { return QStringList{drive_}; });
        tree.show();
        tree.Initialize();
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/";

        QVERIFY(tree.SelectPath(drive_ + "/Music/Old"));
        QTest::keyClick(&tree, Qt::Key_Delete);
        QVERIFY(!QFileInfo::exists(drive_ + "/Music/Old"));
        QVERIFY(QFileInfo(trash + "Old").isDir());
        QCOMPARE(tree.currentItem()->text(0), QString("Music"));
        QCOMPARE(owner_.chosen.last(), drive_ + "/Music/");
        QCOMPARE(ChildTexts(tree.currentItem()), (QStringList{"Gone", "Kept"}));

        QVERIFY(tree.SelectPath(drive_ + "/Music/Kept"));
        {
            MessageBoxAnswerer answerer(QMessageBox::No);
            QTest::keyClick(&tree, Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(answerer.texts.size(), 1);
        }
        QVERIFY(QFileInfo(drive_ + "/Music/Kept").isDir());
        QCOMPARE(tree.currentItem()->text(0), QString("Kept"));

        QVERIFY(tree.SelectPath(drive_ + "/Music/Gone"));
        {
            MessageBoxAnswerer answerer(QMessageBox::Yes);
            QTest::keyClick(&tree, Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(answerer.texts.size(), 1);
        }
        QVERIFY(!QFileInfo::exists(drive_ + "/Music/Gone"));
        QVERIFY(!QFileInfo::exists(trash + "Gone"));
        QCOMPARE(ChildTexts(tree.currentItem()), QStringList{"Kept"});
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
            "Cannot delete \"%1\": it is the home folder, a mounted drive or a folder that "
            "holds one of them.";
        const struct {
            QString folder;
            QString told;
        } cases[] = {
            {QDir::homePath(), refused.arg(QDir::homePath())},
            {drive_ + "/Holder", refused.arg(drive_ + "/Holder")},
            {drive_ + "/Holder/Mounted", refused.arg(drive_ + "/Holder/Mounted")},
            {drive_ + "/Locked/Inner",
             QString("Cannot delete \"%1/Locked/Inner\": the folder \"%1/Locked\" cannot be changed.").arg(drive_)},
            {drive_ + "/Music", QString("Are you sure you want to delete the folder \"%1/Music\" and the 2 files it "
                                        "holds for good?\nThey will not go to the trash.")
                                    .arg(drive_)},
        };
        for (const auto& test : cases) {
            QVERIFY(tree.SelectPath(test.folder));
            MessageBoxAnswerer answerer(QMessageBox::Yes);
            QTest::keyClick(&tree, Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(answerer.texts, QStringList{test.told});
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
};

QTEST_MAIN(FolderTreeTest)
#include "FolderTreeTest.moc"
