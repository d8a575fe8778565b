#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillstar {

// The exact decoded length of an MPEG audio file (MP3, MP2), measured with
// the settings the MP3 plug-in decodes with.
struct MpegLength {
    int64_t frames = 0;  // samples per channel
    int sampleRate = 0;
    int channels = 0;

    double Seconds() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0; }
};

// Nothing when the file cannot be read or holds no decodable frame.
std::optional<MpegLength> MeasureMpegLength(const std::string& path);

}  // namespace quillstar
