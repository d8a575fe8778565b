#pragma once

#include <string>

namespace quillstar {

// One track of the track list: what the totals line, the burn, the CD info
// file and the cover read.
struct TrackInfo {
    int seconds = 0;
    std::string title;
    std::string path;

    bool operator==(const TrackInfo&) const = default;
};

}  // namespace quillstar
