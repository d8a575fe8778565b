#pragma once

// The texts of reading a burned disc back, shown by the windows and printed
// by the command-line program.
namespace quillstar::verification {

inline constexpr const char* kTextVerifyingTrack = "Verifying track %02d...";
// One line per track: "Track 02: differs at 01:13 (2 seconds differ)".
inline constexpr const char* kTextTrackLine = "Track %02d: %s";
inline constexpr const char* kTextTrackVerified = "verified";
inline constexpr const char* kTextTrackDiffersOneSecond = "differs at %02d:%02d (1 second differs)";
inline constexpr const char* kTextTrackDiffersSeconds = "differs at %02d:%02d (%d seconds differ)";
inline constexpr const char* kTextTrackUnreadable = "could not be read at %02d:%02d";
inline constexpr const char* kTextReadOffset = "Read offset of the drive: %+d samples";

inline constexpr const char* kTextVerified = "Verified: all %d tracks match the music files.";
inline constexpr const char* kTextFailedTrack = "Verification failed: track %02d %s.";
inline constexpr const char* kTextFailedTracks = "Verification failed: %d of %d tracks do not match the music files.";
inline constexpr const char* kTextFailedNoToc = "Verification failed: the disc's table of contents could not be read.";
inline constexpr const char* kTextFailedTrackCount =
    "Verification failed: the disc holds %d tracks, the burn wrote %d.";
inline constexpr const char* kTextFailedNotFound = "Verification failed: the written audio was not found on the disc.";
inline constexpr const char* kTextStopped = "Verification stopped: the disc is burned but was not verified.";

}  // namespace quillstar::verification
