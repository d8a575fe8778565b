#include "tracklist/BurnListModel.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "resources/BurnListTexts.h"

namespace quillstar {

BurnListModel::BurnListModel(FileSecondsFunction fileSeconds) : fileSeconds_(std::move(fileSeconds)) {}

bool BurnListModel::IsConsistent() const
{
    if (entries_.size() != displayOrder_.size())
        return false;
    std::vector<bool> seen(entries_.size(), false);
    for (int index : displayOrder_) {
        if (index < 0 || static_cast<size_t>(index) >= entries_.size() || seen[static_cast<size_t>(index)])
            return false;
        seen[static_cast<size_t>(index)] = true;
    }
    return true;
}

std::vector<BurnEntry> BurnListModel::Rows() const
{
    std::vector<BurnEntry> rows;
    if (!IsConsistent())
        return rows;
    rows.reserve(displayOrder_.size());
    for (int index : displayOrder_)
        rows.push_back(entries_[static_cast<size_t>(index)]);
    return rows;
}

void BurnListModel::Append(BurnEntry entry)
{
    entries_.push_back(std::move(entry));
    displayOrder_.push_back(static_cast<int>(entries_.size()) - 1);
}

void BurnListModel::AppendFiles(const std::string& folder, const std::vector<std::string>& names)
{
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names)
        paths.push_back(folder + name);
    AppendPaths(paths);
}

void BurnListModel::AppendPaths(const std::vector<std::string>& paths)
{
    countBeforeAdd_ = static_cast<int>(entries_.size());
    for (const std::string& path : paths) {
        const std::string name = path.substr(path.rfind('/') + 1);
        Append(BurnEntry{0, TitleFromName(name), fileSeconds_(path), path});
    }
    countAfterAdd_ = static_cast<int>(entries_.size());
}

void BurnListModel::RebuildFromRows(const std::vector<BurnEntry>& rows)
{
    entries_.clear();
    displayOrder_.clear();
    for (const BurnEntry& row : rows)
        Append(BurnEntry{0, row.title, fileSeconds_(row.path), row.path});
}

void BurnListModel::MoveToIndex(int insertionIndex, DragSource source, const std::vector<int>& selectedPositions)
{
    const int rowCount = static_cast<int>(displayOrder_.size());
    if (insertionIndex < 0 || insertionIndex > static_cast<int>(entries_.size()))
        return;
    std::vector<int> moved;
    if (source == DragSource::FileList) {
        for (int position = countBeforeAdd_; position < countAfterAdd_ && position < rowCount; ++position)
            moved.push_back(position);
    } else {
        for (int position : selectedPositions) {
            if (position >= 0 && position < rowCount)
                moved.push_back(position);
        }
        std::sort(moved.begin(), moved.end());
        moved.erase(std::unique(moved.begin(), moved.end()), moved.end());
    }
    if (moved.empty())
        return;
    const bool dropOnMovedRows = insertionIndex >= moved.front() && insertionIndex <= moved.back() + 1;
    if (dropOnMovedRows && source == DragSource::FileList)
        return;  // the new rows are already at the end

    // Within the span the rows before the insertion index that stay come
    // first, then the moved rows, then the staying rows from the index on;
    // each group keeps its order.
    const int spanFirst = std::min(insertionIndex, moved.front());
    const int spanLast = std::max(insertionIndex - 1, moved.back());
    std::vector<int> before, after;
    for (int position = spanFirst; position <= spanLast; ++position) {
        if (std::binary_search(moved.begin(), moved.end(), position))
            continue;
        (position < insertionIndex ? before : after).push_back(position);
    }
    std::vector<int> arranged = before;
    arranged.insert(arranged.end(), moved.begin(), moved.end());
    arranged.insert(arranged.end(), after.begin(), after.end());
    PermuteSpan(spanFirst, arranged);
}

void BurnListModel::PermuteSpan(int spanFirst, const std::vector<int>& spanPositions)
{
    const std::vector<int> old = displayOrder_;
    for (size_t i = 0; i < spanPositions.size(); ++i)
        displayOrder_[static_cast<size_t>(spanFirst) + i] = old[static_cast<size_t>(spanPositions[i])];
}

bool BurnListModel::SetTitle(int row, const std::string& title)
{
    if (!IsConsistent() || row < 0 || row >= static_cast<int>(displayOrder_.size()))
        return false;
    entries_[static_cast<size_t>(displayOrder_[static_cast<size_t>(row)])].title = title;
    return true;
}

void BurnListModel::ClearAll()
{
    entries_.clear();
    displayOrder_.clear();
}

void BurnListModel::LoadFromTrackList(const CSerializer& trackList)
{
    entries_.clear();
    displayOrder_.clear();
    countBeforeAdd_ = 0;
    for (const TrackInfo& track : trackList.Tracks())
        Append(BurnEntry{0, track.title, track.seconds, track.path});
    countAfterAdd_ = static_cast<int>(entries_.size());
}

void BurnListModel::SyncTrackList(CSerializer& trackList) const
{
    trackList.RemoveAll();
    for (const BurnEntry& row : Rows())
        trackList.AddTrackInfo(row.title, row.seconds, row.path);
}

BurnTotals BurnListModel::Totals(const CSerializer& trackList)
{
    const int count = trackList.GetCount();
    long long total = 0;
    for (const TrackInfo& track : trackList.Tracks())
        total += track.seconds;
    if (count > 1)
        total += 2LL * (count - 1);
    BurnTotals totals;
    totals.seconds = static_cast<int>(std::clamp<long long>(total, INT32_MIN, INT32_MAX));
    totals.barPosition = static_cast<int>(std::clamp<long long>(
        total * burnlist::kCapacityBarRange / burnlist::kCapacityBarFullSeconds, 0, burnlist::kCapacityBarRange));
    char text[64];
    std::snprintf(text, sizeof text, count < 2 ? burnlist::kTotalsOneTrackFormat : burnlist::kTotalsTracksFormat,
                  totals.seconds / 60, totals.seconds % 60, count);
    totals.text = text;
    return totals;
}

std::string BurnListModel::TrackText(int position)
{
    char text[16];
    std::snprintf(text, sizeof text, burnlist::kTrackNumberFormat, position + 1);
    return text;
}

std::string BurnListModel::TimeText(int seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, burnlist::kTimeFormat, seconds / 60, seconds % 60);
    return text;
}

std::string BurnListModel::TitleFromName(const std::string& name)
{
    return name.substr(0, name.find_last_of('.'));
}

}  // namespace quillstar
