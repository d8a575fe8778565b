#pragma once

#include <cstdint>
#include <vector>

namespace quillstar::test {

// What a burn left on a disc, as a disc-image reader sees it.
struct BurnedDisc {
    struct Track {
        int number = 0;
        // Silence before the track's audio (index 0), in sectors.
        int pauseSectors = 0;
        std::vector<uint8_t> audio;
    };
    bool sessionClosed = false;
    std::vector<Track> tracks;
};

}  // namespace quillstar::test
