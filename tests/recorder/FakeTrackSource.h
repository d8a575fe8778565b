#pragma once

#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <vector>

#include "recorder/DiscDataSource.h"

namespace quillstar::test {

// A track source of known PCM: each track delivers its bytes (a pattern that
// differs from track to track) in blocks of the size asked for, the way the
// audio track source does. A read can be held until the burn is stopped.
class FakeTrackSource : public DiscDataSource {
public:
    struct Track {
        int bytes = 0;
        bool opens = true;
        bool silent = false;  // digital silence instead of the pattern
    };

    explicit FakeTrackSource(std::vector<Track> tracks);
    FakeTrackSource(std::initializer_list<Track> tracks) : FakeTrackSource(std::vector<Track>(tracks)) {}

    // The PCM the track at this index delivers.
    std::vector<uint8_t> Audio(int track) const;
    // The read that would deliver the burn's nth block (from 1) waits for
    // FinishBurn instead.
    void HoldRead(int n);
    // True once the held read has begun.
    bool WaitUntilHeld();
    // Answers every track length with "not known".
    void HideTrackLengths() { hideLengths_ = true; }
    int FinishCalls() const;

    uint8_t GetDataBlockType() override { return 0; }
    int IsAudioTrack(int) override { return 1; }
    bool ReadAudio(uint8_t* buffer, int& length) override;
    bool OpenTrack(int track) override;
    int GetTrackCount() override { return static_cast<int>(tracks_.size()); }
    int GetBlockSize() override { return 2352; }
    void FinishBurn() override;
    double GetBytesDone() override;
    double GetTotalBytes() override;
    double GetTrackBytes(int track) override;

private:
    uint8_t PatternByte(int track, int offset) const;

    std::vector<Track> tracks_;
    bool hideLengths_ = false;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int current_ = 0;
    int position_ = 0;
    int reads_ = 0;
    int holdAt_ = 0;
    bool holding_ = false;
    bool finished_ = false;
    int finishCalls_ = 0;
    double bytesDone_ = 0.0;
};

}  // namespace quillstar::test
