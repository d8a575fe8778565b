#pragma once

#include <cstdint>
#include <vector>

namespace quillstar {

// A closed session's tracks as READ TOC lists them: where each track's
// audio (index 1) begins and where the lead-out begins, in sector addresses.
struct TableOfContents {
    struct Track {
        int number = 0;
        int32_t start = 0;
        bool audio = true;
    };

    std::vector<Track> tracks;
    int32_t leadOut = 0;

    // One past the track's last sector: the next track's start or the lead-out.
    int32_t TrackEnd(size_t index) const { return index + 1 < tracks.size() ? tracks[index + 1].start : leadOut; }
};

}  // namespace quillstar
