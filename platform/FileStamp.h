#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>

namespace quillstar {

// What tells one version of a regular file from another: its identity,
// size, modification time and status-change time. The change time moves
// even when a copy keeps the old modification time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    // Nothing for a path that is not a regular file.
    static std::optional<FileStamp> Read(const std::string& path);
    bool operator==(const FileStamp& other) const;
    // File times advance in coarse steps (a scheduler tick, two seconds on
    // FAT), so a file written again within one step can keep every time it
    // had: a stamp tells versions apart only once the file has not changed
    // for a few seconds.
    bool IsSettled(std::time_t now) const;
};

}  // namespace quillstar
