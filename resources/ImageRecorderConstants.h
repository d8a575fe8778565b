#pragma once

// Numbers of the ASPI layer and its image recorder.
namespace quillstar::aspi {

inline constexpr int kHostScsiId = 7;

// The disc the image recorder holds unless told otherwise.
inline constexpr int kDefaultDiscMinutes = 80;
// Where a blank disc's lead-in starts: 97:26:66 of its pre-groove, as READ
// DISC INFORMATION reports it.
inline constexpr int kLeadInStartSector = (97 * 60 + 26) * 75 + 66 - 450150;
// Sectors of the earlier track on a disc the options describe as already
// written (one minute).
inline constexpr int kEarlierTrackSectors = 4500;

// Drive speeds in kB/s as drives report them (4x, 8x, 10x, 16x, 24x, 32x,
// 40x, 48x); the recorder offers those up to its maximum.
inline constexpr int kRecorderSpeeds[] = {706, 1411, 1764, 2822, 4234, 5645, 7056, 8467};
inline constexpr int kDefaultMaximumSpeed = 8467;
inline constexpr int kDefaultBufferKilobytes = 2048;

}  // namespace quillstar::aspi
