#include "tracklist/DurationCache.h"

#include <sys/stat.h>

#include <algorithm>

namespace quillstar {
namespace {

// File times advance in coarse steps (a scheduler tick, two seconds on FAT),
// so a file written again within one step can keep every time it had. A file
// changed more recently than this is not remembered.
constexpr std::time_t kSettleSeconds = 3;

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

DurationCache::DurationCache(Probe probe, Clock now) : probe_(std::move(probe)), now_(std::move(now)) {}

std::time_t DurationCache::CurrentTime()
{
    return std::time(nullptr);
}

bool DurationCache::Stamp::operator==(const Stamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size && SameTime(modified, other.modified) &&
           SameTime(changed, other.changed);
}

DurationCache::Kind DurationCache::ReadStamp(const std::string& path, Stamp& stamp)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return Kind::Missing;
    if (!S_ISREG(status.st_mode))
        return Kind::Special;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    stamp.size = status.st_size;
    stamp.modified = status.st_mtim;
    stamp.changed = status.st_ctim;
    return Kind::Regular;
}

bool DurationCache::IsSettled(const Stamp& stamp) const
{
    return std::max(stamp.modified.tv_sec, stamp.changed.tv_sec) + kSettleSeconds <= now_();
}

double DurationCache::Seconds(const std::string& path)
{
    Stamp before;
    const Kind kind = ReadStamp(path, before);
    if (kind != Kind::Regular) {
        Forget(path);
        // A pipe or a device is never opened: reading it could wait forever.
        return kind == Kind::Special ? 0.0 : probe_(path);
    }
    {
        const std::lock_guard lock(knownMutex_);
        if (const auto found = known_.find(path); found != known_.end() && found->second.stamp == before)
            return found->second.seconds;
    }
    const double seconds = probe_(path);
    // A file written to while it was probed may have given a length that
    // matches neither version; it is probed again next time.
    Stamp after;
    if (ReadStamp(path, after) == Kind::Regular && after == before && IsSettled(after)) {
        const std::lock_guard lock(knownMutex_);
        known_[path] = Known{after, seconds};
    } else {
        Forget(path);
    }
    return seconds;
}

void DurationCache::Forget(const std::string& path)
{
    const std::lock_guard lock(knownMutex_);
    known_.erase(path);
}

}  // namespace quillstar
