#pragma once

#include <string>
#include <vector>

namespace quillstar::bench {

// About 74 minutes of MP3: 20 tracks of 222 seconds, half at 192 kbit/s,
// half of variable rate.
inline constexpr int kTracks = 20;
inline constexpr double kTrackSeconds = 222.0;

// The set, made once with lame and kept in the cache folder; empty when it
// cannot be made.
std::vector<std::string> MakeBenchTracks();

}  // namespace quillstar::bench
