#pragma once

#include <string>

namespace quillstar {

// A CD device the ASPI layer found but left out, and why.
struct SkippedDrive {
    std::string device;  // "/dev/sr0", or the image recorder's image path
    int error = 0;       // errno value of the failure, 0 when none applies
    std::string reason;

    bool operator==(const SkippedDrive&) const = default;
};

}  // namespace quillstar
