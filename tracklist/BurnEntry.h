#pragma once

#include <string>

namespace quillstar {

// One row of the burn list.
struct BurnEntry {
    int imageIndex = 0;
    std::string title;
    int seconds = 0;
    std::string path;

    bool operator==(const BurnEntry&) const = default;
};

}  // namespace quillstar
