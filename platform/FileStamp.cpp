#include "platform/FileStamp.h"

#include <sys/stat.h>

#include <algorithm>

namespace quillstar {
namespace {

constexpr std::time_t kSettleSeconds = 3;

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

std::optional<FileStamp> FileStamp::Read(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim, status.st_ctim};
}

bool FileStamp::operator==(const FileStamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size && SameTime(modified, other.modified) &&
           SameTime(changed, other.changed);
}

bool FileStamp::IsSettled(std::time_t now) const
{
    return std::max(modified.tv_sec, changed.tv_sec) + kSettleSeconds <= now;
}

}  // namespace quillstar
