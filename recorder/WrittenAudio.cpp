#include "recorder/WrittenAudio.h"

#include <zlib.h>

#include <algorithm>

#include "resources/VerificationConstants.h"

namespace quillstar {

using namespace verification;

namespace {

constexpr size_t kSearchBytes = size_t{kSearchSeconds} * cd::kBytesPerSecond;
constexpr size_t kTailBytes = size_t{kMaximumReadOffset} * cd::kBytesPerFrame;

bool IsAudible(const uint8_t* data, size_t bytes)
{
    return std::any_of(data, data + bytes, [](uint8_t byte) { return byte != 0; });
}

}  // namespace

void WrittenAudio::Clear()
{
    *this = WrittenAudio();
}

void WrittenAudio::BeginTrack()
{
    if (!tracks_.empty() && tracks_.back().bytes == 0)
        tracks_.pop_back();
    tracks_.emplace_back();
    secondChecksum_ = crc32(0, nullptr, 0);
    // Until a track begins with sound, each new one is searched instead.
    if (!searchAudible_) {
        searchTrack_ = static_cast<int>(tracks_.size()) - 1;
        searchAudio_.clear();
    }
}

void WrittenAudio::Add(const uint8_t* data, size_t bytes)
{
    if (tracks_.empty())
        BeginTrack();
    Track& track = tracks_.back();
    if (searchTrack_ == static_cast<int>(tracks_.size()) - 1)
        AddToSearch(data, bytes);
    AddToTail(data, bytes);
    while (bytes > 0) {
        const size_t inSecond = static_cast<size_t>(track.bytes % kBytesPerChecksum);
        const size_t part = std::min(bytes, kBytesPerChecksum - inSecond);
        if (inSecond == 0)
            track.secondChecksums.push_back(0);
        secondChecksum_ = crc32(inSecond == 0 ? crc32(0, nullptr, 0) : secondChecksum_, data, static_cast<uInt>(part));
        track.secondChecksums.back() = secondChecksum_;
        track.bytes += static_cast<int64_t>(part);
        data += part;
        bytes -= part;
    }
}

void WrittenAudio::AddToSearch(const uint8_t* data, size_t bytes)
{
    const size_t part = std::min(bytes, kSearchBytes - searchAudio_.size());
    searchAudio_.insert(searchAudio_.end(), data, data + part);
    searchAudible_ = searchAudible_ || IsAudible(data, part);
}

void WrittenAudio::AddToTail(const uint8_t* data, size_t bytes)
{
    if (bytes >= kTailBytes) {
        tail_.assign(data + bytes - kTailBytes, data + bytes);
        return;
    }
    const size_t keep = std::min(tail_.size(), kTailBytes - bytes);
    tail_.erase(tail_.begin(), tail_.end() - static_cast<ptrdiff_t>(keep));
    tail_.insert(tail_.end(), data, data + bytes);
}

std::vector<WrittenAudio::Track> WrittenAudio::Tracks() const
{
    std::vector<Track> tracks = tracks_;
    if (!tracks.empty() && tracks.back().bytes == 0)
        tracks.pop_back();
    return tracks;
}

int WrittenAudio::SearchTrack() const
{
    return searchAudible_ ? searchTrack_ : -1;
}

}  // namespace quillstar
