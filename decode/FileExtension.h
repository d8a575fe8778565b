#pragma once

#include <sys/stat.h>

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

// Only a regular file (or a link to one) is timed or decoded: opening a
// named pipe or a device node to read it could wait forever.
inline bool IsRegularFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// There, but no regular file: a pipe, a socket, a device or a folder.
inline bool IsSpecialFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

}  // namespace quillstar
