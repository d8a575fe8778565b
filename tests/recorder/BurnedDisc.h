#pragma once

#include <cstdint>
#include <string>
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

// A closed disc as an image and its CUE sheet hold it: each track's audio
// runs from its INDEX 01 to the next track's pause (or the image's end).
BurnedDisc ReadBurnedDisc(const std::string& imagePath, const std::string& cuePath);

}  // namespace quillstar::test
