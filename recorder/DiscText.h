#pragma once

#include <string>
#include <vector>

namespace quillstar {

// What a disc written at once shows as CD-TEXT: the title and performer of
// the album and of each track, in the order they are written, in UTF-8.
struct DiscText {
    struct Entry {
        std::string title;
        std::string performer;

        bool operator==(const Entry&) const = default;
    };

    Entry album;
    std::vector<Entry> tracks;
};

}  // namespace quillstar
