#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include <functional>
#include <vector>

#include "browse/DriveList.h"
#include "browse/FileEntry.h"
#include "browse/ShellLauncher.h"
#include "browse/ShellTypeName.h"

class QAction;
class QMenu;

namespace quillstar {

class BrowserOwner;
class FileListHeader;
class FileListModel;

// The list of the drives or of one folder's contents: "..", the sub-folders,
// and the files the owner's filter lets through, in four columns (name, size,
// type, last change), sorted by the column whose header was clicked last.
// Its commands open, rename and delete what it lists and hand music files to
// the burn list, by the context menu, keys, double clicks and dragging.
class FileList : public QTreeView {
    Q_OBJECT

public:
    // Opens a file with the program the desktop associates with it.
    using FileOpener = std::function<bool(const QString& path)>;

    explicit FileList(BrowserOwner& owner, DriveSource drives = DriveList::Read,
                      TypeNameSource typeNames = ShellTypeName::Lookup, FileOpener open = ShellLauncher::Open,
                      QWidget* parent = nullptr);

    // Lists a folder; "" lists the drives. The order of the last listing stays.
    void ShowFolder(const QString& path);
    void ListDrives();
    // Order 1 ascending, 2 descending, 0 the other order when the column is
    // already the sorted one (a header click) and ascending otherwise. The
    // selection moves with its rows.
    void SortBy(int column, int order);
    void RebuildRows();
    QString TypeName(const FileEntry& entry) const;

    // "" while the drives are listed; otherwise the folder with one slash at the end.
    const QString& CurrentFolder() const;
    int sortColumn() const { return sortColumn_; }
    int sortOrder() const { return sortOrder_; }

    // True when a selected row is a music file the engine burns.
    bool SelectionHasMusic() const;
    // The music files among the selected rows, as entries and full paths, in
    // row order: folders and other files stay out of the burn list.
    QList<FileEntry> SelectedMusicFiles() const;
    QStringList SelectedMusicPaths() const;

    // The commands, each on the selection. Open and properties act on the
    // first selected row; a folder opens in the list and the tree.
    void AddToList();
    void OpenFirstSelected();
    void StartRename();
    void DeleteSelected(bool forGood);
    void ShowProperties();
    // The end of a name's label edit: renames on disk and keeps the new name,
    // or refuses (the user is told why) and keeps the old one.
    bool RenameRow(int row, const QString& newName);
    // Backspace: the parent folder, from a drive's own folder the drive list.
    void GoToParentFolder();
    // The folder ".." leads to; "" when that is the drive list.
    QString ParentFolder() const;

    using QTreeView::edit;

protected:
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void CreateMenu();
    void ReadFolder(const QString& folder);
    void TellIfUnreadable(const QString& folder);
    bool FilterAdmits(const QString& lowerName) const;
    std::vector<int> SelectedRows() const;
    void SelectEntries(const std::vector<int>& entries);
    const FileEntry* EntryOfRow(int row) const;
    int FirstSelectedRow() const;
    bool IsDriveList() const;
    bool NameEditable(const QModelIndex& index) const;
    void EditName(int row);
    QString FolderTarget(int row) const;
    void NavigateTo(QString folder);

    BrowserOwner& owner_;
    DriveSource drives_;
    FileOpener open_;
    FileListModel* model_;
    FileListHeader* header_;
    int sortColumn_ = 0;
    int sortOrder_ = 1;
    QMenu* menu_ = nullptr;
    QAction* addAction_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* renameAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* propertiesAction_ = nullptr;
    // Where the left button went down: a drag starts there.
    QPoint pressPoint_;
};

}  // namespace quillstar
