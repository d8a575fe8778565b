#include "tracklist/DurationCache.h"

namespace quillstar {

DurationCache::DurationCache(Probe probe, Clock now) : probe_(std::move(probe)), now_(std::move(now)) {}

std::time_t DurationCache::CurrentTime()
{
    return std::time(nullptr);
}

int DurationCache::Seconds(const std::string& path)
{
    const std::optional<FileStamp> before = FileStamp::Read(path);
    if (!before) {
        known_.erase(path);
        return probe_(path);
    }
    if (const auto found = known_.find(path); found != known_.end() && found->second.stamp == *before)
        return found->second.seconds;
    const int seconds = probe_(path);
    // A file written to while it was probed may have given a length that
    // matches neither version; it is probed again next time.
    const std::optional<FileStamp> after = FileStamp::Read(path);
    if (after && *after == *before && after->IsSettled(now_()))
        known_[path] = Known{*after, seconds};
    else
        known_.erase(path);
    return seconds;
}

}  // namespace quillstar
