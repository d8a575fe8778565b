#pragma once

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QStringList>

#include <functional>

#include "tracklist/BurnListModel.h"

class QAbstractItemView;
class QDrag;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QWidget;

namespace quillstar {

class BurnList;
class FileList;
class FolderTree;

// The main window's drags: music files of the file list into the burn list,
// rows of the burn list to another place in it, and music files dragged in
// from other programs. A marker between the burn list's rows shows where the rows
// will go; the folder tree (and, for rows of the burn list, the file list)
// refuses them, and a drop anywhere but on the burn list's rows does nothing.
// The drop is carried out once the drag has ended.
class BurnListDragDrop : public QObject {
    Q_OBJECT

public:
    // Runs a drag that is ready to go until it ends; by default the desktop's
    // own drag, which proposes the action given.
    using DragRunner = std::function<void(QDrag& drag, Qt::DropAction action)>;

    BurnListDragDrop(QWidget& window, FolderTree& tree, FileList& files, BurnList& burn);

    // Drags the list's selected rows from the point (in its viewport's
    // coordinates); false, with no drag, when no row is selected or none of
    // the selected ones is in view.
    bool BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list, const QPoint& point);
    void SetDragRunner(DragRunner run) { run_ = std::move(run); }

    // Where the rows would go when dropped where the pointer was last seen
    // over the burn list's rows.
    int DropIndex() const { return dropIndex_; }
    // The insertion marker, a child of the burn list's viewport; hidden while
    // the pointer is not over the rows.
    const QWidget* Marker() const { return marker_; }

    // A picture of the list's selected rows that are in view, each where it
    // shows, on a transparent ground; `origin` gets the picture's top left in
    // the viewport. Null when no selected row is in view.
    static QPixmap DragImage(QAbstractItemView& list, QPoint* origin);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Place { BurnListRows, FolderTree, FileList, Elsewhere };
    // The burn list's top row and the height of one row.
    struct RowGeometry {
        int top = 0;
        int pitch = 1;
    };

    void DragEntered(QDragMoveEvent* event);
    void DragMoved(QDragMoveEvent* event);
    void Dropped(QDropEvent* event);
    bool IsOwnDrag(const QMimeData* data) const;
    static QStringList MusicFiles(const QMimeData* data);
    Place PlaceAt(const QPoint& windowPoint) const;
    bool Refuses(Place place) const;
    RowGeometry Rows() const;
    int InsertionIndexAt(const QPoint& windowPoint) const;
    void ShowMarker(int insertionIndex);
    void HideMarker();

    QWidget& window_;
    FolderTree& tree_;
    FileList& files_;
    BurnList& burn_;
    QWidget* marker_;
    DragRunner run_;
    // Which list the last drag came from; kept after the drag ends.
    BurnListModel::DragSource dragSource_ = BurnListModel::DragSource::FileList;
    // The list a drag runs from; null while none runs.
    QAbstractItemView* dragList_ = nullptr;
    // The music files of a drag from another program, read when it enters.
    QStringList incomingFiles_;
    int dropIndex_ = 0;
};

}  // namespace quillstar
