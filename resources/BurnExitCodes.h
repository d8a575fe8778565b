#pragma once

// Exit codes of quillstar-burn.
namespace quillstar::cli {

inline constexpr int kExitBurned = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoRecorder = 3;
// The disc was completed, but tracks of the list are skipped or damaged.
inline constexpr int kExitIncomplete = 10;
// A writer result r of 1 and up exits with kExitResultBase + r: 11 to 13 the
// burn was refused, 14 nothing could be written, 15 the burn failed.
inline constexpr int kExitResultBase = 10;
// The disc was not completed: the burn failed, or the drive is in use by
// another program.
inline constexpr int kExitNotCompleted = kExitResultBase + 5;
inline constexpr int kExitStopped = 130;

}  // namespace quillstar::cli
