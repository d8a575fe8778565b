#include "browse/FileList.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QToolTip>

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "browse/BrowserOwner.h"
#include "browse/FileListHeader.h"
#include "browse/FileListModel.h"
#include "browse/LabelEditDelegate.h"
#include "browse/ShellFileOperation.h"
#include "decode/MusicFile.h"
#include "resources/BrowseTexts.h"
#include "resources/FileListCommandTexts.h"

namespace quillstar {

namespace {

bool IsMusic(const FileEntry& entry)
{
    return !entry.isFolder && MusicFile::IsMusicFile(entry.displayName.toStdString());
}

QString WithoutTrailingSlashes(QString path)
{
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

}  // namespace

FileList::FileList(BrowserOwner& owner, DriveSource drives, TypeNameSource typeNames, FileOpener open, QWidget* parent)
    : QTreeView(parent),
      owner_(owner),
      drives_(std::move(drives)),
      open_(std::move(open)),
      model_(new FileListModel(std::move(typeNames), this)),
      header_(new FileListHeader(this))
{
    setObjectName(QStringLiteral("FileList"));
    setModel(model_);
    setHeader(header_);
    // The view makes header clicks follow its own sorting, which is not used
    // here; the list sorts itself, so clicks are switched on after the view has
    // taken the header.
    header_->setSectionsClickable(true);
    LabelEditDelegate::SetUpRowList(*this, browse::kNameColumn, [this](const QModelIndex& index, const QString& text) {
        RenameRow(index.row(), text);
    });
    for (int column = 0; column < browse::kColumnCount; ++column)
        header_->resizeSection(column, browse::kColumnWidths[column]);
    connect(header_, &QHeaderView::sectionClicked, this, [this](int column) { SortBy(column, browse::kSwitchOrder); });
    CreateMenu();
}

void FileList::CreateMenu()
{
    menu_ = new QMenu(this);
    menu_->setObjectName(QString::fromLatin1(filelist::kFilesListMenuName));
    const auto add = [this](const char* text, int command, void (FileList::*run)()) {
        QAction* action = menu_->addAction(QString::fromUtf8(text));
        action->setData(command);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    addAction_ = add(filelist::kAddToListText, filelist::kCommandAddToList, &FileList::AddToList);
    menu_->addSeparator();
    openAction_ = add(filelist::kOpenText, filelist::kCommandOpen, &FileList::OpenFirstSelected);
    renameAction_ = add(browse::kRenameText, filelist::kCommandRename, &FileList::StartRename);
    deleteAction_ = menu_->addAction(QString::fromUtf8(browse::kDeleteText));
    deleteAction_->setData(filelist::kCommandDelete);
    connect(deleteAction_, &QAction::triggered, this,
            [this] { DeleteSelected(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier)); });
    propertiesAction_ = add(browse::kPropertiesText, filelist::kCommandProperties, &FileList::ShowProperties);
}

const QString& FileList::CurrentFolder() const
{
    return model_->CurrentFolder();
}

QString FileList::TypeName(const FileEntry& entry) const
{
    return model_->TypeName(entry);
}

void FileList::ShowFolder(const QString& path)
{
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
    TellIfUnreadable(folder);
}

// The folder shows empty behind the box that says why.
void FileList::TellIfUnreadable(const QString& folder)
{
    DIR* listing = ::opendir(QFile::encodeName(folder).constData());
    if (listing) {
        ::closedir(listing);
        return;
    }
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    QMessageBox::warning(window(), QGuiApplication::applicationDisplayName(),
                         QString::fromUtf8(browse::kFolderUnreadableText).arg(folder, reason));
}

// In the order the file system gives the names, hidden ones included. A
// folder that cannot be read adds nothing.
void FileList::ReadFolder(const QString& folder)
{
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

bool FileList::FilterAdmits(const QString& lowerName) const
{
    switch (owner_.filterIndex()) {
    case browse::kFilterMp3:
        return lowerName.endsWith(QLatin1String(browse::kMp3Suffix));
    case browse::kFilterAll:
        return true;
    case browse::kFilterMusic:
        return MusicFile::IsMusicFile(lowerName.toStdString());
    default:
        return false;
    }
}

void FileList::ListDrives()
{
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

void FileList::SortBy(int column, int order)
{
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
        newOrder = column == sortColumn_ && sortOrder_ == browse::kAscending ? browse::kDescending : browse::kAscending;
    }
    header_->SetSortMark(column, newOrder);
    sortColumn_ = column;
    sortOrder_ = newOrder;
    model_->Sort(column, newOrder);
    RebuildRows();
    SelectEntries(kept);
    viewport()->update();
}

void FileList::RebuildRows()
{
    model_->RebuildRows();
}

void FileList::SelectEntries(const std::vector<int>& entries)
{
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

std::vector<int> FileList::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool FileList::SelectionHasMusic() const
{
    return !SelectedMusicFiles().isEmpty();
}

QList<FileEntry> FileList::SelectedMusicFiles() const
{
    QList<FileEntry> files;
    for (const int row : SelectedRows()) {
        if (const FileEntry* entry = EntryOfRow(row); entry && IsMusic(*entry))
            files.append(*entry);
    }
    return files;
}

QStringList FileList::SelectedMusicPaths() const
{
    QStringList paths;
    for (const FileEntry& entry : SelectedMusicFiles())
        paths.append(CurrentFolder() + entry.displayName);
    return paths;
}

const FileEntry* FileList::EntryOfRow(int row) const
{
    const int entry = model_->EntryAt(row);
    return entry < 0 ? nullptr : &model_->Entries()[entry];
}

int FileList::FirstSelectedRow() const
{
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

bool FileList::IsDriveList() const
{
    return CurrentFolder().isEmpty();
}

QString FileList::ParentFolder() const
{
    const QString folder = WithoutTrailingSlashes(CurrentFolder());
    // A drive's own folder leads back to the drive list, even where the drive
    // lies inside another one ("/home/ann" inside "/").
    for (const QString& drive : drives_()) {
        if (WithoutTrailingSlashes(drive) == folder)
            return QString();
    }
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : folder.left(slash + 1);
}

// ".." leads to the parent folder; any other folder or drive to itself.
QString FileList::FolderTarget(int row) const
{
    if (row == 0 && !IsDriveList())
        return ParentFolder();
    const QString path = CurrentFolder() + EntryOfRow(row)->displayName;
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// The tree shows the folder first, then the list; both end up on it.
void FileList::NavigateTo(QString folder)
{
    owner_.RevealFolder(folder);
    owner_.FolderChosen(folder);
}

void FileList::AddToList()
{
    if (SelectionHasMusic())
        owner_.AddSelectionToBurnList();
}

void FileList::OpenFirstSelected()
{
    const int row = FirstSelectedRow();
    const FileEntry* entry = EntryOfRow(row);
    if (!entry)
        return;
    if (entry->isFolder)
        NavigateTo(FolderTarget(row));
    else
        open_(CurrentFolder() + entry->displayName);
}

void FileList::StartRename()
{
    EditName(FirstSelectedRow());
}

// Label editing is for the names of files and folders: neither ".." nor a drive.
bool FileList::NameEditable(const QModelIndex& index) const
{
    return index.isValid() && index.column() == browse::kNameColumn && index.row() != 0 && !IsDriveList();
}

void FileList::EditName(int row)
{
    const QModelIndex name = model_->index(row, browse::kNameColumn);
    if (NameEditable(name))
        edit(name);
}

bool FileList::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    return NameEditable(index) && QTreeView::edit(index, trigger, event);
}

bool FileList::RenameRow(int row, const QString& newName)
{
    if (!ShellFileOperation::CheckNewName(newName, window()))
        return false;
    const FileEntry* entry = EntryOfRow(row);
    if (newName.isEmpty() || !entry || row == 0 || IsDriveList())
        return false;
    if (newName == entry->displayName)
        return true;
    const QString folder = CurrentFolder();
    const bool isFolder = entry->isFolder;
    if (!ShellFileOperation::Rename(folder + entry->displayName, folder + newName, window()))
        return false;
    model_->RenameRow(row, newName);
    if (isFolder) {
        owner_.RebuildFolderTree();
        owner_.RevealFolder(folder);
    }
    return true;
}

void FileList::DeleteSelected(bool forGood)
{
    if (IsDriveList())
        return;
    const QString folder = CurrentFolder();
    QStringList paths;
    bool folderGoes = false;
    for (const int row : SelectedRows()) {
        const FileEntry* entry = EntryOfRow(row);
        if (row == 0 || !entry)
            continue;
        paths.append(folder + entry->displayName);
        folderGoes = folderGoes || entry->isFolder;
    }
    if (paths.isEmpty())
        return;
    // A failure can come after some of the items went, so the folder is
    // listed again unless the user said no.
    if (ShellFileOperation::Delete(paths, forGood, this, owner_.Guard()) == ShellFileOperation::Result::Cancelled)
        return;
    ShowFolder(folder);
    if (folderGoes) {
        owner_.RebuildFolderTree();
        owner_.RevealFolder(folder);
    }
}

void FileList::ShowProperties()
{
    const int row = FirstSelectedRow();
    const FileEntry* entry = EntryOfRow(row);
    if (entry && (row != 0 || IsDriveList()))
        ShellLauncher::ShowProperties(CurrentFolder() + entry->displayName, window());
}

void FileList::GoToParentFolder()
{
    const FileEntry* first = EntryOfRow(0);
    if (first && first->isFolder && !IsDriveList())
        NavigateTo(ParentFolder());
}

void FileList::contextMenuEvent(QContextMenuEvent* event)
{
    if (model_->rowCount() == 0)
        return;
    const std::vector<int> rows = SelectedRows();
    const bool any = !rows.empty();
    const bool nameRow = any && rows.front() != 0 && !IsDriveList();
    // Row 0 of the drive list is a drive like any other: it has properties.
    const bool parentRow = any && rows.front() == 0 && !IsDriveList();
    addAction_->setEnabled(SelectionHasMusic());
    openAction_->setEnabled(any);
    renameAction_->setEnabled(nameRow);
    deleteAction_->setEnabled(nameRow);
    propertiesAction_->setEnabled(any && !parentRow);
    // From the keyboard the menu opens near the top left corner of the list,
    // inside its frame.
    const QPoint at =
        event->reason() == QContextMenuEvent::Keyboard
            ? mapToGlobal(contentsRect().topLeft() + QPoint(filelist::kKeyboardMenuPoint, filelist::kKeyboardMenuPoint))
            : event->globalPos();
    menu_->exec(at);
}

// Every key goes on to the list afterwards, so arrows, Home, End and
// type-ahead keep working.
void FileList::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        DeleteSelected(event->modifiers().testFlag(Qt::ShiftModifier));
        break;
    case Qt::Key_F2:
        if (const std::vector<int> rows = SelectedRows(); rows.size() == 1)
            EditName(rows.front());
        break;
    case Qt::Key_Backspace:
        GoToParentFolder();
        break;
    default:
        break;
    }
    QTreeView::keyPressEvent(event);
}

// A folder opens; a file does nothing ("&Open" starts its program).
void FileList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int row = FirstSelectedRow();
    const FileEntry* entry = EntryOfRow(row);
    if (entry && entry->isFolder)
        NavigateTo(FolderTarget(row));
}

void FileList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressPoint_ = event->position().toPoint();
    QTreeView::mousePressEvent(event);
}

// Only music files go to the burn list.
void FileList::startDrag(Qt::DropActions)
{
    if (!SelectionHasMusic())
        return;
    const QModelIndex dragged = indexAt(pressPoint_);
    if (dragged.isValid())
        scrollTo(dragged, QAbstractItemView::EnsureVisible);
    owner_.BeginDrag(BurnListModel::DragSource::FileList, *this, pressPoint_);
}

// A name too long for its column shows whole in a tip.
bool FileList::viewportEvent(QEvent* event)
{
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
