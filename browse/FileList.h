#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include <vector>

#include "browse/DriveList.h"
#include "browse/FileEntry.h"
#include "browse/ShellTypeName.h"

namespace quillstar {

class BrowserOwner;
class FileListHeader;
class FileListModel;

// The list of the drives or of one folder's contents: "..", the sub-folders,
// and the files the owner's filter lets through, in four columns (name, size,
// type, last change), sorted by the column whose header was clicked last.
class FileList : public QTreeView {
  Q_OBJECT

 public:
  explicit FileList(BrowserOwner& owner, DriveSource drives = DriveList::Read,
                    TypeNameSource typeNames = ShellTypeName::Lookup, QWidget* parent = nullptr);

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

  // True when rows are selected and all of them are files ending in "mp3".
  bool SelectionIsMp3() const;
  // The selected rows' entries and full paths, in row order.
  QList<FileEntry> SelectedEntries() const;
  QStringList SelectedPaths() const;

 protected:
  bool viewportEvent(QEvent* event) override;

 private:
  void ReadFolder(const QString& folder);
  bool FilterAdmits(const QString& lowerName) const;
  std::vector<int> SelectedRows() const;
  void SelectEntries(const std::vector<int>& entries);

  BrowserOwner& owner_;
  DriveSource drives_;
  FileListModel* model_;
  FileListHeader* header_;
  int sortColumn_ = 0;
  int sortOrder_ = 1;
};

}  // namespace quillstar
