#pragma once

#include "resources/RecorderTexts.h"

namespace quillstar {

// A track of the burn that did not reach the disc whole. The index is the
// track's position in the source, which is the burn list's order, so the
// windows and the command line can name its file.
struct SkippedTrack {
    int trackIndex = 0;
    recorder::SkipReason reason = recorder::SkipReason::NoDecoder;

    bool operator==(const SkippedTrack&) const = default;
};

}  // namespace quillstar
