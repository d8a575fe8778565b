#include "app/BurnListDragDrop.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include "browse/BurnList.h"
#include "browse/FileList.h"
#include "browse/FolderTree.h"
#include "decode/MusicFile.h"
#include "resources/BurnListDropTexts.h"

namespace quillstar {

namespace {

void RunDesktopDrag(QDrag& drag, Qt::DropAction action)
{
    drag.exec(action);
}

// The whole row across all columns, in the viewport's coordinates.
QRect RowRect(const QAbstractItemView& list, const QModelIndex& index)
{
    const int lastColumn = list.model()->columnCount(index.parent()) - 1;
    return list.visualRect(index.siblingAtColumn(0)).united(list.visualRect(index.siblingAtColumn(lastColumn)));
}

}  // namespace

BurnListDragDrop::BurnListDragDrop(QWidget& window, FolderTree& tree, FileList& files, BurnList& burn)
    : window_(window),
      tree_(tree),
      files_(files),
      burn_(burn),
      marker_(new QWidget(burn.viewport())),
      run_(RunDesktopDrag)
{
    marker_->setObjectName(QStringLiteral("InsertionMarker"));
    marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker_->setAutoFillBackground(true);
    QPalette colors = marker_->palette();
    colors.setColor(QPalette::Window, QColor::fromRgb(burnlistdrop::kMarkerColor));
    marker_->setPalette(colors);
    marker_->hide();
    // Every drag over the window reaches it, whichever control is under the
    // pointer, so that the window alone decides where a drop is taken.
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
}

bool BurnListDragDrop::BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list, const QPoint& point)
{
    if (dragList_ || !list.selectionModel() || !list.selectionModel()->hasSelection())
        return false;
    QPoint origin;
    const QPixmap image = DragImage(list, &origin);
    if (image.isNull())
        return false;
    dragSource_ = source;
    dragList_ = &list;
    QPointer<QDrag> drag = new QDrag(&list);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(burnlistdrop::kDragMimeType), QByteArray());
    drag->setMimeData(data);
    drag->setPixmap(image);
    // The picture follows the pointer a little below and right of where the
    // rows show.
    drag->setHotSpot(point - origin - QPoint(burnlistdrop::kDragImageOffset, burnlistdrop::kDragImageOffset));
    run_(*drag, source == BurnListModel::DragSource::BurnList ? Qt::MoveAction : Qt::CopyAction);
    HideMarker();
    dragList_ = nullptr;
    if (drag)
        drag->deleteLater();
    return true;
}

QPixmap BurnListDragDrop::DragImage(QAbstractItemView& list, QPoint* origin)
{
    QWidget* viewport = list.viewport();
    const QRect view = viewport->rect();
    QList<QRect> rows;
    QRect united;
    for (const QModelIndex& index : list.selectionModel()->selectedRows()) {
        QRect row = RowRect(list, index);
        row.setLeft(std::max(row.left(), 0));
        row.setRight(std::min(row.right(), view.right()));
        if (!row.intersects(view))
            continue;
        rows.append(row);
        united |= row;
    }
    if (united.isEmpty())
        return QPixmap();
    const qreal ratio = viewport->devicePixelRatioF();
    QPixmap image(united.size() * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const QRect& row : rows)
        painter.drawPixmap(row.topLeft() - united.topLeft(), viewport->grab(row));
    *origin = united.topLeft();
    return image;
}

bool BurnListDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
        DragEntered(static_cast<QDragEnterEvent*>(event));
        return true;
    case QEvent::DragMove:
        DragMoved(static_cast<QDragMoveEvent*>(event));
        return true;
    case QEvent::DragLeave:
        HideMarker();
        incomingFiles_.clear();
        return true;
    case QEvent::Drop:
        Dropped(static_cast<QDropEvent*>(event));
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void BurnListDragDrop::DragEntered(QDragMoveEvent* event)
{
    incomingFiles_ = IsOwnDrag(event->mimeData()) ? QStringList() : MusicFiles(event->mimeData());
    DragMoved(event);
}

void BurnListDragDrop::DragMoved(QDragMoveEvent* event)
{
    const bool own = IsOwnDrag(event->mimeData());
    const QPoint at = event->position().toPoint();
    const Place place = PlaceAt(at);
    if ((own || !incomingFiles_.isEmpty()) && place == Place::BurnListRows) {
        dropIndex_ = InsertionIndexAt(at);
        ShowMarker(dropIndex_);
    } else {
        HideMarker();
    }
    // Files from other programs are taken on the rows only; the window's own
    // rows show the drag cursor everywhere but where they are refused.
    const bool allowed = own ? !Refuses(place) : !incomingFiles_.isEmpty() && place == Place::BurnListRows;
    if (allowed)
        event->acceptProposedAction();
    else
        event->ignore();
}

void BurnListDragDrop::Dropped(QDropEvent* event)
{
    HideMarker();
    const QPoint at = event->position().toPoint();
    const bool own = IsOwnDrag(event->mimeData());
    const QStringList incoming = own ? QStringList() : MusicFiles(event->mimeData());
    incomingFiles_.clear();
    if (PlaceAt(at) != Place::BurnListRows || (!own && incoming.isEmpty())) {
        event->ignore();
        return;
    }
    dropIndex_ = InsertionIndexAt(at);
    // Below the last row means after it, however many rows an add still
    // being timed brings.
    const int index = dropIndex_;
    const int addIndex = index < burn_.topLevelItemCount() ? index : BurnList::kAtEnd;
    std::function<void()> drop;
    if (!own || dragSource_ == BurnListModel::DragSource::FileList) {
        drop = [this, paths = own ? files_.SelectedMusicPaths() : incoming, addIndex] {
            burn_.AddPaths(paths, addIndex);
        };
    } else {
        drop = [this, index] { burn_.MoveToIndex(index, BurnListModel::DragSource::BurnList); };
    }
    event->acceptProposedAction();
    // Timing the new files can take a while; the program the files came from
    // should not wait for it. Files that come while others are timed wait
    // in the burn list's queue.
    QTimer::singleShot(0, this, drop);
}

// A drag of rows started here and still running; the same kind of data from
// anywhere else carries nothing to take.
bool BurnListDragDrop::IsOwnDrag(const QMimeData* data) const
{
    return dragList_ && data && data->hasFormat(QString::fromLatin1(burnlistdrop::kDragMimeType));
}

// The local music files among the dropped addresses, in their order;
// folders and other files are left out.
QStringList BurnListDragDrop::MusicFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile() && MusicFile::IsMusicFile(info.fileName().toStdString()))
            files.append(info.absoluteFilePath());
    }
    return files;
}

BurnListDragDrop::Place BurnListDragDrop::PlaceAt(const QPoint& windowPoint) const
{
    const QWidget* under = window_.childAt(windowPoint);
    const auto within = [under](const QWidget* widget) {
        return under && (under == widget || widget->isAncestorOf(under));
    };
    if (within(burn_.viewport()))
        return Place::BurnListRows;
    if (within(&tree_))
        return Place::FolderTree;
    if (within(&files_))
        return Place::FileList;
    return Place::Elsewhere;
}

bool BurnListDragDrop::Refuses(Place place) const
{
    return place == Place::FolderTree ||
           (place == Place::FileList && dragSource_ == BurnListModel::DragSource::BurnList);
}

// Rows all have the height of the top row; an empty list has no rows to
// measure, and there the header's height stands in.
BurnListDragDrop::RowGeometry BurnListDragDrop::Rows() const
{
    RowGeometry rows;
    const QModelIndex top = burn_.indexAt(QPoint(0, 0));
    if (top.isValid()) {
        rows.top = top.row();
        rows.pitch = burn_.visualRect(top).height();
    } else {
        rows.pitch = burn_.header()->height();
    }
    rows.pitch = std::max(rows.pitch, 1);
    return rows;
}

// Before the row under the point, or after the last row when the point is
// below it.
int BurnListDragDrop::InsertionIndexAt(const QPoint& windowPoint) const
{
    const RowGeometry rows = Rows();
    const int y = std::max(burn_.viewport()->mapFrom(&window_, windowPoint).y(), 0);
    return std::min(rows.top + y / rows.pitch, burn_.topLevelItemCount());
}

// On the upper edge of the row the rows go before, or under the last row.
void BurnListDragDrop::ShowMarker(int insertionIndex)
{
    const RowGeometry rows = Rows();
    const QWidget* viewport = burn_.viewport();
    const int y = std::clamp((insertionIndex - rows.top) * rows.pitch, 0,
                             std::max(viewport->height() - burnlistdrop::kMarkerHeight, 0));
    marker_->setGeometry(burnlistdrop::kMarkerLeft, y, viewport->width() - burnlistdrop::kMarkerLeft,
                         burnlistdrop::kMarkerHeight);
    marker_->show();
    marker_->raise();
}

void BurnListDragDrop::HideMarker()
{
    marker_->hide();
}

}  // namespace quillstar
