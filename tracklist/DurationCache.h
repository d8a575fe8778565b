#pragma once

#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/FileStamp.h"

namespace quillstar {

// Remembers the seconds a probe found for each file, so that timing the
// burn list again (after every delete) reads only the files that changed.
// A file counts as unchanged while its FileStamp stays the same. The answer
// is always what a fresh probe of the file would give; anything but a
// regular file (a named pipe, a socket, a device) is 0 without a probe. The
// seconds are exact, as a burn needs them; the burn list shows whole ones.
// Threads may ask at the same time (the burn times its files beside the
// window); each probes on its own.
class DurationCache {
public:
    using Probe = std::function<double(const std::string& path)>;
    // The wall-clock time in seconds, as file times count it.
    using Clock = std::function<std::time_t()>;

    explicit DurationCache(Probe probe, Clock now = CurrentTime);

    double Seconds(const std::string& path);

    static std::time_t CurrentTime();

private:
    struct Known {
        FileStamp stamp;
        double seconds = 0.0;
    };

    void Forget(const std::string& path);

    Probe probe_;
    Clock now_;
    std::mutex knownMutex_;
    std::unordered_map<std::string, Known> known_;
};

}  // namespace quillstar
