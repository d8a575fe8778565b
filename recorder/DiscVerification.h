#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillstar {

// What reading a burned disc back found: per track whether every second
// matches what was written, the drive's read offset, and the overall text.
struct DiscVerification {
    enum class Outcome { kVerified, kFailed, kStopped };

    struct Track {
        enum class State { kVerified, kDiffers, kUnreadable };
        State state = State::kVerified;
        // The first second that differs or could not be read.
        int second = 0;
        int differingSeconds = 0;

        // "verified", "differs at 00:03 (1 second differs)", ...
        std::string Text() const;
    };

    Outcome outcome = Outcome::kFailed;
    // In disc order; empty when the disc could not be compared at all.
    std::vector<Track> tracks;
    // Samples the drive reads late (early when negative); nothing when no
    // track begins with sound to find it by.
    std::optional<int> readOffset;
    // "Verified: all 3 tracks match the music files." or "Verification failed: ..."
    std::string text;

    // "Track 01: verified", one per track.
    std::vector<std::string> TrackLines() const;
    // Fills in the outcome and its text from the tracks.
    void Conclude();
};

}  // namespace quillstar
