#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <unordered_map>

#include "platform/FileStamp.h"

namespace quillstar {

// Remembers the whole seconds a probe found for each file, so that timing
// the burn list again (after every delete) reads only the files that
// changed. A file counts as unchanged while its FileStamp stays the same.
// The answer is always what a fresh probe of the file would give.
class DurationCache {
public:
    using Probe = std::function<int(const std::string& path)>;
    // The wall-clock time in seconds, as file times count it.
    using Clock = std::function<std::time_t()>;

    explicit DurationCache(Probe probe, Clock now = CurrentTime);

    int Seconds(const std::string& path);

    static std::time_t CurrentTime();

private:
    struct Known {
        FileStamp stamp;
        int seconds = 0;
    };

    Probe probe_;
    Clock now_;
    std::unordered_map<std::string, Known> known_;
};

}  // namespace quillstar
