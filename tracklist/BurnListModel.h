#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tracklist/BurnEntry.h"
#include "tracklist/Serializer.h"

namespace quillstar {

// What the totals line and the capacity bar show for a track list.
struct BurnTotals {
    int seconds = 0;      // audio plus a 2-second gap before every track but the first
    int barPosition = 0;  // 0..100, full at 80 minutes
    std::string text;
};

// The burn list's master copy: entries in the order they were appended and
// the display order that maps each row to its entry. The control shows it;
// every change here is followed by the control's refresh, the track-list
// sync and the totals.
class BurnListModel {
public:
    // Whole seconds of audio of a file, 0 when it cannot be timed.
    using FileSecondsFunction = std::function<int(const std::string& path)>;
    enum class DragSource { FileList, BurnList };

    explicit BurnListModel(FileSecondsFunction fileSeconds);

    const std::vector<BurnEntry>& Entries() const { return entries_; }
    const std::vector<int>& DisplayOrder() const { return displayOrder_; }
    int CountBeforeAdd() const { return countBeforeAdd_; }
    int CountAfterAdd() const { return countAfterAdd_; }
    // The rows to show: empty when there are none or the two arrays disagree.
    std::vector<BurnEntry> Rows() const;

    // Appends the named files of a folder ("/music/" + "song.mp3"), in the
    // given order, each timed with the file-seconds function.
    void AppendFiles(const std::string& folder, const std::vector<std::string>& names);
    // The same for full paths, from any folders; each title comes from its file's name.
    void AppendPaths(const std::vector<std::string>& paths);
    // After rows were deleted from the control: rebuilds the model from the
    // rows that remain (their shown titles and paths), timing each again.
    void RebuildFromRows(const std::vector<BurnEntry>& rows);
    // Moves the dragged rows so they start at the insertion index. For a
    // burn-list drag the moved rows are the selected positions; for a
    // file-list drag they are the rows of the last append.
    void MoveToIndex(int insertionIndex, DragSource source, const std::vector<int>& selectedPositions);
    // Sets the title of the entry shown at the row; false for a bad row.
    bool SetTitle(int row, const std::string& title);
    void ClearAll();
    void LoadFromTrackList(const CSerializer& trackList);
    void SyncTrackList(CSerializer& trackList) const;

    static BurnTotals Totals(const CSerializer& trackList);
    static std::string TrackText(int position);
    static std::string TimeText(int seconds);
    static std::string TitleFromName(const std::string& name);

private:
    bool IsConsistent() const;
    void Append(BurnEntry entry);
    void PermuteSpan(int spanFirst, const std::vector<int>& spanPositions);

    FileSecondsFunction fileSeconds_;
    std::vector<BurnEntry> entries_;
    std::vector<int> displayOrder_;
    int countBeforeAdd_ = 0;
    int countAfterAdd_ = 0;
};

}  // namespace quillstar
