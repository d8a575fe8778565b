#pragma once

// Exit codes of quillstar-burn.
namespace quillstar::cli {

inline constexpr int kExitBurned = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoRecorder = 3;
// A writer result r of 1 and up exits with kExitResultBase + r.
inline constexpr int kExitResultBase = 10;
// The disc was not completed: the drive is in use by another program.
inline constexpr int kExitNotCompleted = 15;
inline constexpr int kExitStopped = 130;

}  // namespace quillstar::cli
