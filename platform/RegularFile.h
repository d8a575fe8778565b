#pragma once

#include <sys/stat.h>

#include <string>

namespace quillstar {

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
