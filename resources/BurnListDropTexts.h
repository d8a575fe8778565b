#pragma once

// Numbers of dragging rows into the burn list and within it.
namespace quillstar::burnlistdrop {

// The insertion marker: a band across the rows' area from this x to the
// right edge, on the upper edge of the row the rows go before, 0xRRGGBB.
inline constexpr int kMarkerLeft = 18;
inline constexpr int kMarkerHeight = 2;
inline constexpr unsigned kMarkerColor = 0x0771D4;
// The drag image shows this far right of and below the rows it was made from.
inline constexpr int kDragImageOffset = 8;
// Marks a drag of rows this program started; it carries nothing else, so
// no other program can take it.
inline constexpr char kDragMimeType[] = "application/x-quillstar-rows";

}  // namespace quillstar::burnlistdrop
