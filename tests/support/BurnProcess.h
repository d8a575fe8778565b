#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace quillstar::test {

// quillstar-burn from beside the running program, started with the given
// arguments in an environment without the caller's QUILLSTAR_ variables and
// without real drives (only the image recorder) unless the given variables,
// added to it, name some.
// Its output goes to the named files ("/dev/null" drops it).
class BurnProcess {
public:
    struct Outcome {
        int exitCode = -1;  // -1 when it outlived the time it was given
        double peakMiB = 0.0;
    };

    // program: another copy of quillstar-burn to start instead.
    BurnProcess(std::vector<std::string> arguments, const std::map<std::string, std::string>& environment,
                const std::string& outPath, const std::string& errPath, const std::string& program = "");
    // A process still running is killed.
    ~BurnProcess();
    BurnProcess(const BurnProcess&) = delete;
    BurnProcess& operator=(const BurnProcess&) = delete;

    void Interrupt() const;
    Outcome Wait(std::chrono::milliseconds limit);

private:
    pid_t pid_ = -1;
    bool finished_ = false;
};

}  // namespace quillstar::test
