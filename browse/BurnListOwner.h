#pragma once

#include "tracklist/BurnListModel.h"

class QAbstractItemView;
class QPoint;
class QString;

namespace quillstar {

// What the burn list needs of the window that holds it: the track list it
// copies itself into, the place where the totals show, and the drag that
// window runs.
class BurnListOwner {
public:
    virtual ~BurnListOwner() = default;

    // The track list every consumer reads; the burn list rebuilds it after each change.
    virtual CSerializer& TrackList() = 0;
    // The totals line and the capacity bar's position (0 to 100).
    virtual void ShowTotals(const QString& text, int barPosition) = 0;
    // A drag of the list's selected rows starts at the point (in the list's
    // viewport coordinates). The owner runs it and drops through the burn
    // list's AddSelectionToBurnList and MoveToIndex; false when none starts.
    virtual bool BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list, const QPoint& point) = 0;
};

}  // namespace quillstar
