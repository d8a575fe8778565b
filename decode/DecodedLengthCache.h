#pragma once

#include <functional>
#include <string>

namespace quillstar {

// Remembers for the whole process the lengths found by decoding whole files
// (the formats whose header holds no exact length), so that a file is
// decoded once however often the burn list and the burn ask for its length.
// An answer counts while the file's FileStamp stays the same. Safe to use
// from several threads; two may measure the same file at once.
class DecodedLengthCache {
public:
    // Seconds of a file, from a whole decode; 0.0 when it decodes to nothing.
    using Measure = std::function<double(const std::string& path)>;

    static double Seconds(const std::string& path, const Measure& measure);
};

}  // namespace quillstar
