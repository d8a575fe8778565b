#include "tracklist/DurationCache.h"

#include "platform/RegularFile.h"

namespace quillstar {

DurationCache::DurationCache(Probe probe, Clock now) : probe_(std::move(probe)), now_(std::move(now)) {}

std::time_t DurationCache::CurrentTime()
{
    return std::time(nullptr);
}

double DurationCache::Seconds(const std::string& path)
{
    const std::optional<FileStamp> before = FileStamp::Read(path);
    if (!before) {
        Forget(path);
        // A pipe or a device is never opened: reading it could wait forever.
        return IsSpecialFile(path) ? 0.0 : probe_(path);
    }
    {
        const std::lock_guard lock(knownMutex_);
        if (const auto found = known_.find(path); found != known_.end() && found->second.stamp == *before)
            return found->second.seconds;
    }
    const double seconds = probe_(path);
    // A file written to while it was probed may have given a length that
    // matches neither version; it is probed again next time.
    const std::optional<FileStamp> after = FileStamp::Read(path);
    if (after && *after == *before && after->IsSettled(now_())) {
        const std::lock_guard lock(knownMutex_);
        known_[path] = Known{*after, seconds};
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
