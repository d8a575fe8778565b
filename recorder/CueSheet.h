#pragma once

#include <cstdint>
#include <vector>

namespace quillstar {

// The layout of a disc written at once and the cue sheet that announces it
// to the drive before the first WRITE: the lead-in, the 2-second pause
// before track 1, every later track's pause (INDEX 00) and start (INDEX 01),
// and the lead-out. Sectors count from track 1's start (0); the host writes
// from -150, the start of the pause before it.
class CueSheet {
public:
    struct Track {
        int64_t pauseStart = 0;  // INDEX 00; equal to start when there is no pause
        int64_t start = 0;       // INDEX 01
        // Where the track's first sample lies, in bytes from sector 0, and
        // how many bytes of audio follow it.
        int64_t audioStart = 0;
        int64_t audioBytes = 0;
    };

    static constexpr int64_t kFirstWrittenSector = -150;

    // trackBytes: the audio of each track, in disc order. With a pause each
    // track ends padded to a whole sector and the pause's silence follows;
    // without one the tracks run on as one stream, each INDEX 01 at the
    // sector its first sample falls in. Either way a track spans at least
    // 4 seconds (padded with silence), and the last ends padded to a sector.
    CueSheet(const std::vector<int64_t>& trackBytes, int pauseFrames, bool cdText);

    const std::vector<Track>& Tracks() const { return tracks_; }
    // The lead-out's first sector, one past the last track.
    int64_t LeadOutStart() const { return leadOutStart_; }
    // The SEND CUE SHEET parameter list, 8 bytes an entry.
    std::vector<uint8_t> Bytes() const;

    // A pause in seconds as whole frames (1/75 s, rounded to the nearest);
    // -1 outside 0 to 10 seconds.
    static int PauseFrames(double seconds);

private:
    std::vector<Track> tracks_;
    int64_t leadOutStart_ = 0;
    bool cdText_ = false;
};

}  // namespace quillstar
