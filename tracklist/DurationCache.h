#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace quillstar {

// Remembers the whole seconds a probe found for each file, so that timing
// the burn list again (after every delete) reads only the files that
// changed. A file counts as unchanged while its identity, size, modification
// time and status-change time all stay the same; the change time moves even
// when a copy keeps the old modification time. The answer is always what a
// fresh probe of the file would give; anything but a regular file (a named
// pipe, a socket, a device) is 0 without a probe. The seconds are exact, as
// a burn needs them; the burn list shows whole ones. Threads may ask at the
// same time (the burn times its files beside the window); each probes on
// its own.
class DurationCache {
public:
    using Probe = std::function<double(const std::string& path)>;
    // The wall-clock time in seconds, as file times count it.
    using Clock = std::function<std::time_t()>;

    explicit DurationCache(Probe probe, Clock now = CurrentTime);

    double Seconds(const std::string& path);

    static std::time_t CurrentTime();

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};

        bool operator==(const Stamp& other) const;
    };
    struct Known {
        Stamp stamp;
        double seconds = 0.0;
    };

    enum class Kind { Regular, Special, Missing };

    static Kind ReadStamp(const std::string& path, Stamp& stamp);
    bool IsSettled(const Stamp& stamp) const;
    void Forget(const std::string& path);

    Probe probe_;
    Clock now_;
    std::mutex knownMutex_;
    std::unordered_map<std::string, Known> known_;
};

}  // namespace quillstar
