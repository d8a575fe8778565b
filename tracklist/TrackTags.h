#pragma once

#include <string>
#include <vector>

namespace quillstar {

// The tags of a music file that a disc's CD-TEXT draws on, in UTF-8.
struct TrackTags {
    std::string artist;
    std::string album;
    std::string title;

    // The file's tags, read with TagLib; empty texts for a file without
    // tags or one TagLib cannot read.
    static TrackTags Read(const std::string& path);
    // The artist and album every file agrees on; an empty text where any
    // two differ or one is missing.
    static TrackTags Shared(const std::vector<TrackTags>& tracks);
};

}  // namespace quillstar
