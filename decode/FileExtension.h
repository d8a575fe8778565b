#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace quillstar {

// The last three characters of a path, lower-cased: how the track source and
// the decode engine tell file types apart. There is no test for a dot, so
// "song.MP3" and "xmp3" both give "mp3".
inline std::string LastThreeLower(const std::string& path)
{
    std::string extension = path.size() > 3 ? path.substr(path.size() - 3) : path;
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace quillstar
