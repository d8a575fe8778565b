#pragma once

namespace quillstar {

// A track of the burn whose audio stopped before its end: its decoder gave
// up or stalled, and silence fills the rest of the track on the disc.
struct DamagedTrack {
    int trackIndex = 0;
    // Into the track, where the audio stopped.
    double seconds = 0.0;

    bool operator==(const DamagedTrack&) const = default;
};

}  // namespace quillstar
