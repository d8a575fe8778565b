#include "tests/recorder/FakeTrackSource.h"

#include <algorithm>
#include <chrono>

namespace quillstar::test {

FakeTrackSource::FakeTrackSource(std::vector<Track> tracks) : tracks_(std::move(tracks)) {}

uint8_t FakeTrackSource::PatternByte(int track, int offset) const
{
    if (tracks_[static_cast<size_t>(track)].silent)
        return 0;
    return static_cast<uint8_t>(offset * 31 + track * 101 + offset / 4099 + 1);
}

std::vector<uint8_t> FakeTrackSource::Audio(int track) const
{
    std::vector<uint8_t> audio(static_cast<size_t>(tracks_.at(static_cast<size_t>(track)).bytes));
    for (size_t offset = 0; offset < audio.size(); ++offset)
        audio[offset] = PatternByte(track, static_cast<int>(offset));
    return audio;
}

void FakeTrackSource::HoldRead(int n)
{
    std::lock_guard lock(mutex_);
    holdAt_ = n;
}

bool FakeTrackSource::WaitUntilHeld()
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return holding_; });
}

int FakeTrackSource::FinishCalls() const
{
    std::lock_guard lock(mutex_);
    return finishCalls_;
}

bool FakeTrackSource::OpenTrack(int track)
{
    std::lock_guard lock(mutex_);
    current_ = track;
    position_ = 0;
    finished_ = false;
    return tracks_.at(static_cast<size_t>(track)).opens;
}

bool FakeTrackSource::ReadAudio(uint8_t* buffer, int& length)
{
    std::unique_lock lock(mutex_);
    if (++reads_ == holdAt_) {
        holding_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return finished_; });
    }
    const int left = tracks_[static_cast<size_t>(current_)].bytes - position_;
    const int delivered = finished_ ? 0 : std::min(length, left);
    for (int offset = 0; offset < delivered; ++offset)
        buffer[offset] = PatternByte(current_, position_ + offset);
    position_ += delivered;
    bytesDone_ += delivered;
    length = delivered;
    return delivered > 0;
}

void FakeTrackSource::FinishBurn()
{
    std::lock_guard lock(mutex_);
    ++finishCalls_;
    finished_ = true;
    bytesDone_ = 0.0;
    changed_.notify_all();
}

double FakeTrackSource::GetBytesDone()
{
    std::lock_guard lock(mutex_);
    return bytesDone_;
}

double FakeTrackSource::GetTotalBytes()
{
    double total = 0.0;
    for (const Track& track : tracks_)
        total += track.bytes;
    return total;
}

double FakeTrackSource::GetTrackBytes(int track)
{
    return hideLengths_ ? 0.0 : tracks_.at(static_cast<size_t>(track)).bytes;
}

}  // namespace quillstar::test
