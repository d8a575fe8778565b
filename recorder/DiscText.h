#pragma once

#include <string>
#include <vector>

namespace quillstar {

// The title and performer of the disc or of one track, in UTF-8.
struct TrackText {
    std::string title;
    std::string performer;

    bool operator==(const TrackText&) const = default;
};

// What a disc written at once shows as CD-TEXT: the album and its tracks,
// in the order they are written.
struct DiscText {
    TrackText album;
    std::vector<TrackText> tracks;
};

}  // namespace quillstar
