#include "decode/DecodedLengthCache.h"

#include <ctime>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/FileStamp.h"

namespace quillstar {
namespace {

struct Known {
    FileStamp stamp;
    double seconds = 0.0;
};

std::mutex knownMutex;
std::unordered_map<std::string, Known> known;

}  // namespace

double DecodedLengthCache::Seconds(const std::string& path, const Measure& measure)
{
    const std::optional<FileStamp> before = FileStamp::Read(path);
    if (before) {
        std::lock_guard lock(knownMutex);
        if (const auto found = known.find(path); found != known.end() && found->second.stamp == *before)
            return found->second.seconds;
    }
    const double seconds = measure(path);
    // A file written to while it was decoded may have given a length that
    // matches neither version; it is decoded again next time.
    const std::optional<FileStamp> after = FileStamp::Read(path);
    std::lock_guard lock(knownMutex);
    if (before && after && *after == *before && after->IsSettled(std::time(nullptr)))
        known[path] = Known{*after, seconds};
    else
        known.erase(path);
    return seconds;
}

}  // namespace quillstar
