#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>
#include <unordered_map>

namespace quillstar {

// Remembers the whole seconds a probe found for each file, so that timing
// the burn list again (after every delete) reads only the files that
// changed. A file counts as unchanged while its identity, size, modification
// time and status-change time all stay the same; the change time moves even
// when a copy keeps the old modification time. The answer is always what a
// fresh probe of the file would give; anything but a regular file (a named
// pipe, a socket, a device) is 0 without a probe.
class DurationCache {
public:
    using Probe = std::function<int(const std::string& path)>;
    // The wall-clock time in seconds, as file times count it.
    using Clock = std::function<std::time_t()>;

    explicit DurationCache(Probe probe, Clock now = CurrentTime);

    int Seconds(const std::string& path);

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
        int seconds = 0;
    };

    enum class Kind { Regular, Special, Missing };

    static Kind ReadStamp(const std::string& path, Stamp& stamp);
    bool IsSettled(const Stamp& stamp) const;

    Probe probe_;
    Clock now_;
    std::unordered_map<std::string, Known> known_;
};

}  // namespace quillstar
