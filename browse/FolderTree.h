#pragma once

#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include "browse/DriveList.h"

class QAction;
class QMenu;

namespace quillstar {

class BrowserOwner;

// The tree of drives and folders. Its one top item stands for the computer;
// below it the drives, below them their folders. A drive or folder is read only
// when it is first expanded; until then an empty placeholder child gives it an
// expand button. Items hold only a text and an icon: a folder's path is rebuilt
// from the texts of the item and its ancestors, and a drive's text is its path.
class FolderTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderTree(BrowserOwner& owner, DriveSource drives = DriveList::Read, QWidget* parent = nullptr);

    // Builds the computer item and the drives below it; false when the drive
    // list cannot be read (the computer item stays, without children).
    bool Initialize();
    // Expands the tree along the path and selects its last folder, taking at
    // each step the name as written, or in another case only where the
    // name as written is not there;
    // "" selects the computer item. False, with nothing changed, when the folder
    // does not exist or is not in the tree.
    bool SelectPath(const QString& path);
    // The folder path of an item, ending in one slash; "" for the computer item.
    QString ItemPath(const QTreeWidgetItem* item) const;
    // Inserts the sub-folders of the path under the item, sorted as the locale
    // sorts, ignoring case.
    void FillSubfolders(QTreeWidgetItem* item, const QString& path);

    static bool HasSubfolder(const QString& path);
    // Whether the folder exists, matching each name in any case, as the tree does.
    static bool FolderExists(const QString& path);
    // The child whose text is the name, else the first whose upper-cased
    // text equals the upper-cased name.
    static QTreeWidgetItem* FindChild(const QTreeWidgetItem* parent, const QString& name);

    // The end of label editing: renames the folder on disk and keeps the new
    // label, or refuses and keeps the old one.
    bool RenameFolder(QTreeWidgetItem* item, const QString& newName);
    // The context menu's commands, also reached by F2 and the Delete key.
    void StartRename();
    void DeleteSelected(bool forGood);
    void ShowProperties();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateMenu();
    void OnItemExpanded(QTreeWidgetItem* item);
    void OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void FillOnExpand(QTreeWidgetItem* item);
    void SelectRoot();
    QTreeWidgetItem* FindDrive(const QString& path, QString* rest) const;
    QTreeWidgetItem* SelectedItem() const;
    QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const QString& text, int iconIndex);
    void SetSelectedLook(QTreeWidgetItem* item, bool selected);
    void CollapseChildren(QTreeWidgetItem* item);
    static void AddPlaceholder(QTreeWidgetItem* item);
    static bool IsFolderItem(const QTreeWidgetItem* item);
    static QStringList SortedSubfolders(const QString& path);

    BrowserOwner& owner_;
    DriveSource drives_;
    QMenu* menu_ = nullptr;
    QAction* renameAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* propertiesAction_ = nullptr;
    // Set while the tree selects an item itself and reports the folder on its own.
    bool selectingQuietly_ = false;
};

}  // namespace quillstar
