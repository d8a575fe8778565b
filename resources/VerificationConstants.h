#pragma once

#include "resources/CdAudio.h"

// The numbers of reading a burned disc back and comparing it with what the
// writer sent.
namespace quillstar::verification {

// One checksum per second of audio: 75 sectors.
inline constexpr int kBytesPerChecksum = cd::kSectorsPerSecond * cd::kSectorSize;
inline constexpr int kSamplesPerSector = cd::kSectorSize / cd::kBytesPerFrame;  // 588
// Drives read audio back shifted by up to a few hundred samples; the search
// covers five sectors either way.
inline constexpr int kMaximumReadOffset = 5 * kSamplesPerSector;  // 2940
// The first seconds of the first track that holds sound are kept to find
// the shift in.
inline constexpr int kSearchSeconds = 3;
// Sectors per READ CD: 63504 bytes, within the 64 KiB every drive takes.
inline constexpr int kSectorsPerRead = 27;
// Attempts of a READ CD before its sectors are read one by one, and of each
// of those before the sector counts as unreadable.
inline constexpr int kReadAttempts = 3;

}  // namespace quillstar::verification
