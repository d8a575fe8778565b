#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/aspi/CdTextPack.h"
#include "platform/aspi/ScsiOutcome.h"

namespace quillstar {

// A session written at once, as the image recorder takes it: the cue sheet
// the host sent, checked as a drive checks it, and the WRITEs that must
// follow it in order: the lead-in's CD-TEXT when the cue sheet announces it
// (96-byte blocks from the lead-in's start), then every 2352-byte sector
// from track 1's pause (-150) to the lead-out.
class SessionAtOnce {
public:
    struct Track {
        int number = 0;
        int64_t pauseStart = 0;  // INDEX 00, or start when the track has none
        int64_t start = 0;       // INDEX 01
        int64_t end = 0;         // the next track's first sector, or the lead-out
        uint8_t control = 0;     // two-channel audio, with or without copy permission
    };

    // leadInStart: where the blank disc's lead-in starts; lastLeadOut: the
    // last sector a lead-out may start at.
    SessionAtOnce(int64_t leadInStart, int64_t lastLeadOut);

    // Takes a cue sheet, or refuses it as invalid: entries in order of
    // address, the lead-in first, track 1's INDEX 00 at 00:00:00 and INDEX 01
    // at 00:02:00, tracks numbered from 1 on, each at least 4 seconds long,
    // the lead-out last and within the disc. Not once a WRITE was taken.
    ScsiOutcome TakeCueSheet(const uint8_t* sheet, size_t length);
    bool HasCueSheet() const { return !tracks_.empty(); }

    // Checks a WRITE of blocks at address carrying bytes: only at the next
    // address, in the block size of its area, not past the lead-out.
    ScsiOutcome CheckWrite(int64_t address, int64_t blocks, size_t bytes) const;
    // Takes a checked WRITE, reading the CD-TEXT packs out of lead-in blocks.
    void Wrote(int64_t address, const uint8_t* data, int64_t blocks);
    bool HasStarted() const { return next_ != firstAddress_; }
    // Every sector up to the lead-out has been written.
    bool IsComplete() const { return HasCueSheet() && next_ == leadOutStart_; }

    const std::vector<Track>& Tracks() const { return tracks_; }
    int64_t LeadOutStart() const { return leadOutStart_; }
    // One cycle of the packs the lead-in repeats, those with a valid CRC.
    const std::vector<CdTextPack>& Packs() const { return packs_; }

    static constexpr int64_t kFirstAudioSector = -150;

private:
    ScsiOutcome ReadEntries(const uint8_t* sheet, size_t length);

    int64_t leadInStart_;
    int64_t lastLeadOut_;
    int64_t firstAddress_ = kFirstAudioSector;
    int64_t next_ = kFirstAudioSector;
    int64_t leadOutStart_ = 0;
    std::vector<Track> tracks_;
    std::vector<CdTextPack> packs_;
    bool cycleComplete_ = false;
};

}  // namespace quillstar
