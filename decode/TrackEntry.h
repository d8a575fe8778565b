#pragma once

#include <cstdint>
#include <string>

namespace quillstar {

// One track of a burn.
struct TrackEntry {
    // Bytes of CD audio the track delivers: its seconds at 176400 bytes a
    // second, cut to a whole byte.
    int32_t byteCount = 0;
    // The file's decoded length; 0.0 when none was found.
    double seconds = 0.0;
    std::string path;
    // Where the audio stopped short of the track's length when it was last
    // read, in seconds; negative while it came out whole.
    double damagedAt = -1.0;
};

}  // namespace quillstar
