#pragma once

#include "browse/DeleteGuard.h"
#include "tracklist/BurnListModel.h"

class QAbstractItemView;
class QPoint;
class QString;

namespace quillstar {

// What the folder tree and the file list need of the window that holds them.
// They never talk to each other directly: the tree reports a chosen folder, the
// owner shows it in the list, and the list asks the owner to reveal a folder in
// the tree, to build the tree again, or to take its music files into the burn list.
class BrowserOwner {
public:
    virtual ~BrowserOwner() = default;

    // A folder was chosen (or renamed); the owner shows it in the file list.
    virtual void FolderChosen(const QString& path) = 0;
    // The owner selects the folder in the folder tree.
    virtual void RevealFolder(const QString& path) = 0;
    // The file-type filter the file list applies at every listing.
    virtual int filterIndex() const = 0;
    // A folder got a new name or went away: the tree is built again.
    virtual void RebuildFolderTree() = 0;
    // Appends the file list's selected files to the burn list.
    virtual void AddSelectionToBurnList() = 0;
    // What every delete of the tree and the list is checked against first.
    virtual const DeleteGuard& Guard() const = 0;
    // A drag of the list's selected rows starts at the point (in the list's
    // viewport coordinates); false when none starts.
    virtual bool BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list, const QPoint& point) = 0;
};

}  // namespace quillstar
