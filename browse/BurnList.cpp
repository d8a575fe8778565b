#include "browse/BurnList.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

#include "browse/BurnListOwner.h"
#include "browse/FileList.h"
#include "browse/LabelEditDelegate.h"
#include "browse/ProbeProgress.h"
#include "browse/ShellFileOperation.h"
#include "platform/RegularFile.h"
#include "resources/BrowseTexts.h"

// The pictures live in a static library; nothing else would pull them in.
static void LoadBurnListResources()
{
    Q_INIT_RESOURCE(burnlist);
}

namespace quillstar {

namespace {

// The row's file as the file system names it, kept beside the shown text.
constexpr int kPathRole = Qt::UserRole;

QString PathText(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// At most `count` characters, never half of a character outside the basic plane.
QString FirstCharacters(const QString& text, int count)
{
    QString first = text.left(count);
    if (first.size() < text.size() && !first.isEmpty() && first.back().isHighSurrogate())
        first.chop(1);
    return first;
}

}  // namespace

BurnList::BurnList(BurnListOwner& owner, DurationCache::Probe probe, FileOpener open, QWidget* parent)
    : QTreeWidget(parent),
      owner_(owner),
      durations_(std::move(probe)),
      open_(std::move(open)),
      model_([this](const std::string& path) { return TimeNextFile(path); })
{
    setObjectName(QStringLiteral("BurnList"));
    LoadBurnListResources();
    SetUpColumns();
    smallImages_ = {QIcon(QString::fromLatin1(burnlist::kTrackImage))};
    for (const char* image : burnlist::kHeaderImages)
        headerImages_.append(QIcon(QString::fromLatin1(image)));
    setIconSize(QSize(burnlist::kTrackImageSize, burnlist::kTrackImageSize));
    LabelEditDelegate::SetUpRowList(
        *this, burnlist::kTitleColumn,
        [this](const QModelIndex& index, const QString& text) { ChangeTitle(index.row(), text); });
    CreateMenu();
}

void BurnList::SetUpColumns()
{
    setColumnCount(burnlist::kColumnCount);
    QStringList titles;
    for (const char* title : burnlist::kColumnTitles)
        titles.append(QString::fromUtf8(title));
    setHeaderLabels(titles);
    headerItem()->setTextAlignment(burnlist::kTrackColumn, Qt::AlignRight | Qt::AlignVCenter);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    for (int column = 0; column < burnlist::kColumnCount; ++column)
        header()->resizeSection(column, burnlist::kColumnWidths[column]);
}

void BurnList::CreateMenu()
{
    menu_ = new QMenu(this);
    menu_->setObjectName(QString::fromLatin1(burnlist::kAudioFilesListMenuName));
    renameAction_ = menu_->addAction(QString::fromUtf8(browse::kRenameText));
    renameAction_->setData(burnlist::kCommandRenameTrack);
    deleteAction_ = menu_->addAction(QString::fromUtf8(browse::kDeleteText));
    deleteAction_->setData(burnlist::kCommandDeleteTracks);
    connect(renameAction_, &QAction::triggered, this, &BurnList::StartRename);
    connect(deleteAction_, &QAction::triggered, this, &BurnList::DeleteSelection);
}

QTreeWidgetItem* BurnList::MakeRow(const BurnEntry& entry, int position) const
{
    auto* item = new QTreeWidgetItem(
        QStringList{QString::fromStdString(entry.title), QString::fromStdString(BurnListModel::TrackText(position)),
                    QString::fromStdString(BurnListModel::TimeText(entry.seconds)), PathText(entry.path)});
    item->setIcon(burnlist::kTitleColumn, smallImages_.value(entry.imageIndex));
    item->setTextAlignment(burnlist::kTrackColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(burnlist::kFromColumn, kPathRole, QByteArray::fromStdString(entry.path));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
                   Qt::ItemNeverHasChildren);
    return item;
}

void BurnList::RefreshRows()
{
    clear();
    const std::vector<BurnEntry> rows = model_.Rows();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (size_t position = 0; position < rows.size(); ++position)
        items.append(MakeRow(rows[position], static_cast<int>(position)));
    addTopLevelItems(items);
}

std::vector<int> BurnList::SelectedPositions() const
{
    std::vector<int> positions;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        positions.push_back(index.row());
    std::sort(positions.begin(), positions.end());
    return positions;
}

int BurnList::FileSeconds(const std::string& path)
{
    return static_cast<int>(durations_.Seconds(path));
}

int BurnList::TimeNextFile(const std::string& path)
{
    if (probeProgress_)
        probeProgress_->Next();
    return FileSeconds(path);
}

void BurnList::TimeFiles(int fileCount, const std::function<void()>& work)
{
    ProbeProgress progress(window(), fileCount, probeProgressDelay_);
    probeProgress_ = &progress;
    work();
    probeProgress_ = nullptr;
}

void BurnList::AfterChange()
{
    RefreshRows();
    SyncTrackList();
    UpdateTotals();
}

void BurnList::AddSelectionToBurnList(const FileList& fileList)
{
    QStringList names;
    for (const FileEntry& entry : fileList.SelectedMusicFiles())
        names.append(entry.displayName);
    AddFiles(fileList.CurrentFolder(), names);
}

void BurnList::AddFiles(const QString& folder, const QStringList& names)
{
    QStringList paths;
    paths.reserve(names.size());
    for (const QString& name : names)
        paths.append(folder + name);
    AddPaths(paths);
}

void BurnList::AddPaths(const QStringList& paths, int insertionIndex)
{
    if (probeProgress_) {
        waitingAdds_.push_back({paths, insertionIndex});
        return;
    }
    std::vector<std::string> files;
    files.reserve(static_cast<size_t>(paths.size()));
    // A pipe, a socket, a device or a folder is listed, never burned; a
    // file that is not there (yet) is taken and times as 0.
    for (const QString& path : paths) {
        if (std::string file = PathBytes(path); !IsSpecialFile(file))
            files.push_back(std::move(file));
    }
    TimeFiles(static_cast<int>(files.size()), [&] { model_.AppendPaths(files); });
    AfterChange();
    if (insertionIndex != kAtEnd)
        MoveToIndex(insertionIndex, BurnListModel::DragSource::FileList);
    AddWaitingPaths();
}

void BurnList::AddWaitingPaths()
{
    // Each add runs the rest of the queue itself once its own timing ends.
    if (!waitingAdds_.empty()) {
        const WaitingAdd next = waitingAdds_.front();
        waitingAdds_.pop_front();
        AddPaths(next.paths, next.insertionIndex);
    }
}

void BurnList::DeleteSelection()
{
    if (probeProgress_)
        return;
    const std::vector<int> selected = SelectedPositions();
    if (selected.empty())
        return;
    for (auto position = selected.rbegin(); position != selected.rend(); ++position)
        delete takeTopLevelItem(*position);
    // What the rows show now, edited titles included.
    std::vector<BurnEntry> remaining;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = topLevelItem(row);
        remaining.push_back(BurnEntry{0, item->text(burnlist::kTitleColumn).toStdString(), 0,
                                      item->data(burnlist::kFromColumn, kPathRole).toByteArray().toStdString()});
    }
    TimeFiles(static_cast<int>(remaining.size()), [&] { model_.RebuildFromRows(remaining); });
    AfterChange();
    AddWaitingPaths();
}

void BurnList::MoveToIndex(int insertionIndex, BurnListModel::DragSource source)
{
    if (probeProgress_)
        return;
    model_.MoveToIndex(insertionIndex, source, SelectedPositions());
    RefreshRows();
    // The track list follows at once, so no reader can see the old order.
    SyncTrackList();
}

bool BurnList::ChangeTitle(int row, const QString& text)
{
    const QString title = FirstCharacters(text, browse::kMaxLabelLength);
    if (!ShellFileOperation::CheckNewName(title, window()))
        return false;
    QTreeWidgetItem* item = topLevelItem(row);
    if (title.isEmpty() || !item || !model_.SetTitle(row, title.toStdString()))
        return false;
    item->setText(burnlist::kTitleColumn, title);
    SyncTrackList();
    return true;
}

void BurnList::ClearAll()
{
    if (probeProgress_)
        return;
    model_.ClearAll();
    AfterChange();
}

void BurnList::LoadFromTrackList()
{
    if (probeProgress_)
        return;
    model_.LoadFromTrackList(owner_.TrackList());
    AfterChange();
}

void BurnList::SyncTrackList()
{
    model_.SyncTrackList(owner_.TrackList());
}

int BurnList::UpdateTotals()
{
    const BurnTotals totals = BurnListModel::Totals(owner_.TrackList());
    owner_.ShowTotals(QString::fromStdString(totals.text), totals.barPosition);
    return totals.seconds;
}

void BurnList::OpenLastSelected()
{
    SyncTrackList();
    const std::vector<int> selected = SelectedPositions();
    if (selected.empty())
        return;
    open_(topLevelItem(selected.back())->text(burnlist::kFromColumn));
}

void BurnList::StartRename()
{
    const std::vector<int> selected = SelectedPositions();
    if (!selected.empty())
        editItem(topLevelItem(selected.front()), burnlist::kTitleColumn);
}

// Only the title is edited in place, whichever cell of a row was clicked.
bool BurnList::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (index.column() != burnlist::kTitleColumn)
        return false;
    return QTreeWidget::edit(index, trigger, event);
}

void BurnList::contextMenuEvent(QContextMenuEvent* event)
{
    if (topLevelItemCount() == 0)
        return;
    const bool anySelected = !SelectedPositions().empty();
    renameAction_->setEnabled(anySelected);
    deleteAction_->setEnabled(anySelected);
    // From the keyboard the menu opens near the top left corner of the list,
    // inside its frame.
    const QPoint at =
        event->reason() == QContextMenuEvent::Keyboard
            ? mapToGlobal(contentsRect().topLeft() + QPoint(burnlist::kKeyboardMenuPoint, burnlist::kKeyboardMenuPoint))
            : event->globalPos();
    menu_->exec(at);
}

void BurnList::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        DeleteSelection();
        event->accept();
        return;
    case Qt::Key_F2:
        StartRename();
        event->accept();
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void BurnList::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OpenLastSelected();
    QTreeWidget::mouseDoubleClickEvent(event);
}

void BurnList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragStart_ = event->position().toPoint();
    QTreeWidget::mousePressEvent(event);
}

void BurnList::startDrag(Qt::DropActions)
{
    const QModelIndex dragged = indexAt(dragStart_);
    if (dragged.isValid())
        scrollTo(dragged, QAbstractItemView::EnsureVisible);
    owner_.BeginDrag(BurnListModel::DragSource::BurnList, *this, dragStart_);
}

// A text too long for its column shows whole in a tip.
bool BurnList::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTreeWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    if (!ShowsToolTip(help->pos(), help->globalPos()))
        QToolTip::hideText();
    return true;
}

bool BurnList::ShowsToolTip(const QPoint& at, const QPoint& globalAt)
{
    const QModelIndex index = indexAt(at);
    if (!index.isValid())
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect cell = visualRect(index);
    if (itemDelegateForIndex(index)->sizeHint(option, index).width() <= cell.width())
        return false;
    QToolTip::showText(globalAt, index.data().toString(), viewport(), cell);
    return true;
}

}  // namespace quillstar
