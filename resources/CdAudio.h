#pragma once

#include <cstdint>

// The numbers of CD audio every part of the program shares.
namespace quillstar::cd {

inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr int kBitsPerSample = 16;
inline constexpr int kBytesPerFrame = kChannels * kBitsPerSample / 8;  // 4
inline constexpr int kBytesPerSecond = kSampleRate * kBytesPerFrame;   // 176400
inline constexpr double kSecondsPerByte = 1.0 / kBytesPerSecond;
inline constexpr int kSectorSize = 2352;  // 1/75 s
inline constexpr int kSectorsPerSecond = 75;
inline constexpr int kSectorsPerBlock = 16;
inline constexpr int kBlockSize = kSectorsPerBlock * kSectorSize;  // 37632
inline constexpr int kPauseSectors = 150;                          // 2 s
inline constexpr int kGapSeconds = 2;
inline constexpr int kSingleSpeedKBps = 176;
inline constexpr int kSingleSpeedTenthsKBps = 1764;
// A time of 90 minutes or more (a lead-in's) lies before the disc's time
// starts: its sector is its frames less this.
inline constexpr int kLeadInTimeWrap = 450150;
// Drives refuse to close a track shorter than 4 seconds.
inline constexpr int kMinimumTrackSectors = 300;

}  // namespace quillstar::cd
