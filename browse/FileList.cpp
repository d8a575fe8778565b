#include "browse/FileList.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>

#include "browse/BrowserOwner.h"
#include "browse/FileListHeader.h"
#include "browse/FileListModel.h"
#include "resources/BrowseTexts.h"

namespace quillstar {

FileList::FileList(BrowserOwner& owner, DriveSource drives, TypeNameSource typeNames,
                   QWidget* parent)
    : QTreeView(parent),
      owner_(owner),
      drives_(std::move(drives)),
      model_(new FileListModel(std::move(typeNames), this)),
      header_(new FileListHeader(this)) {
  setObjectName(QStringLiteral("FileList"));
  setModel(model_);
  setHeader(header_);
  // The view makes header clicks follow its own sorting, which is not used
  // here; the list sorts itself, so clicks are switched on after the view has
  // taken the header.
  header_->setSectionsClickable(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int column = 0; column < browse::kColumnCount; ++column)
    header_->resizeSection(column, browse::kColumnWidths[column]);
  connect(header_, &QHeaderView::sectionClicked, this,
          [this](int column) { SortBy(column, browse::kSwitchOrder); });
}

const QString& FileList::CurrentFolder() const {
  return model_->CurrentFolder();
}

QString FileList::TypeName(const FileEntry& entry) const {
  return model_->TypeName(entry);
}

void FileList::ShowFolder(const QString& path) {
  if (path.isEmpty()) {
    ListDrives();
    return;
  }
  const bool hadFocus = hasFocus();
  // Exactly one slash at the end; "/" is the root folder, not the drive list.
  QString folder = path;
  while (folder.endsWith(QLatin1Char('/')))
    folder.chop(1);
  folder += QLatin1Char('/');
  model_->Clear(folder);
  setUpdatesEnabled(false);
  setEnabled(false);
  FileEntry parent;
  parent.displayName = parent.lowerName = QString::fromLatin1(browse::kParentEntryName);
  parent.isFolder = true;
  model_->Add(parent);
  ReadFolder(folder);
  SortBy(sortColumn_, sortOrder_);
  setEnabled(true);
  setUpdatesEnabled(true);
  if (hadFocus)
    setFocus();
}

// In the order the file system gives the names, hidden ones included. A
// folder that cannot be read adds nothing.
void FileList::ReadFolder(const QString& folder) {
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  while (it.hasNext()) {
    const QFileInfo info = it.nextFileInfo();
    FileEntry entry;
    entry.displayName = info.fileName();
    entry.lowerName = entry.displayName.toLower();
    entry.isFolder = info.isDir();
    if (!entry.isFolder && !FilterAdmits(entry.lowerName))
      continue;
    if (!entry.isFolder)
      entry.size = info.size();
    entry.modified = info.lastModified().toSecsSinceEpoch();
    model_->Add(entry);
  }
}

bool FileList::FilterAdmits(const QString& lowerName) const {
  switch (owner_.filterIndex()) {
    case browse::kFilterMp3:
      return lowerName.endsWith(QLatin1String(browse::kMp3Suffix));
    case browse::kFilterAll:
      return true;
    default:
      return false;
  }
}

void FileList::ListDrives() {
  model_->Clear(QString());
  for (const QString& drive : drives_()) {
    FileEntry entry;
    entry.displayName = drive;
    entry.lowerName = drive.toLower();
    entry.isFolder = true;
    model_->Add(entry);
  }
  SortBy(sortColumn_, sortOrder_);
}

void FileList::SortBy(int column, int order) {
  if (column < 0 || column >= browse::kColumnCount)
    return;
  // Row 0 does not move, so its selection is not carried over.
  std::vector<int> kept;
  for (const int row : SelectedRows()) {
    if (row >= 1)
      kept.push_back(model_->EntryAt(row));
  }
  int newOrder = order;
  if (newOrder != browse::kAscending && newOrder != browse::kDescending) {
    newOrder = column == sortColumn_ && sortOrder_ == browse::kAscending ? browse::kDescending
                                                                          : browse::kAscending;
  }
  header_->SetSortMark(column, newOrder);
  sortColumn_ = column;
  sortOrder_ = newOrder;
  model_->Sort(column, newOrder);
  RebuildRows();
  SelectEntries(kept);
  viewport()->update();
}

void FileList::RebuildRows() {
  model_->RebuildRows();
}

void FileList::SelectEntries(const std::vector<int>& entries) {
  const std::vector<int> rowOf = model_->RowsOfEntries();
  QItemSelection selection;
  for (const int entry : entries) {
    if (entry < 0 || rowOf[entry] < 0)
      continue;
    const int row = rowOf[entry];
    selection.select(model_->index(row, 0), model_->index(row, browse::kColumnCount - 1));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (!selection.isEmpty())
    selectionModel()->setCurrentIndex(selection.front().topLeft(), QItemSelectionModel::NoUpdate);
}

std::vector<int> FileList::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

bool FileList::SelectionIsMp3() const {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty())
    return false;
  for (const int row : rows) {
    const int entry = model_->EntryAt(row);
    if (entry < 0)
      return false;
    const FileEntry& file = model_->Entries()[entry];
    if (file.isFolder || !file.lowerName.endsWith(QLatin1String(browse::kMp3Suffix)))
      return false;
  }
  return true;
}

QList<FileEntry> FileList::SelectedEntries() const {
  QList<FileEntry> entries;
  for (const int row : SelectedRows()) {
    if (const int entry = model_->EntryAt(row); entry >= 0)
      entries.append(model_->Entries()[entry]);
  }
  return entries;
}

QStringList FileList::SelectedPaths() const {
  QStringList paths;
  for (const FileEntry& entry : SelectedEntries())
    paths.append(CurrentFolder() + entry.displayName);
  return paths;
}

// A name too long for its column shows whole in a tip.
bool FileList::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip)
    return QTreeView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  if (index.isValid() && index.column() == browse::kNameColumn) {
    const QString name = index.data().toString();
    const QRect cell = visualRect(index);
    const int iconWidth = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int margins = 4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
    if (fontMetrics().horizontalAdvance(name) + iconWidth + margins > cell.width()) {
      QToolTip::showText(help->globalPos(), name, viewport(), cell);
      return true;
    }
  }
  QToolTip::hideText();
  return true;
}

}  // namespace quillstar
