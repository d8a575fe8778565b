#pragma once

#include <string>

#include "resources/CdAudio.h"

namespace quillstar {

// What the user chose for a burn beyond its list of files.
struct BurnSettings {
    // Write speed as an x-factor; 0 burns at the fastest the drive accepts.
    int writeSpeed = 0;
    // The drive goes through the whole burn with its laser off: nothing is
    // burned, and the result tells whether the burn would have succeeded.
    bool testWrite = false;
    // Discs to burn from the list, one after the other (1 to 99).
    int copies = 1;
    // Each completed disc is read back and compared with what was written
    // before it is ejected (a test write has nothing to read back).
    bool verify = false;
    // The whole disc at once (a cue sheet, the chosen pauses, CD-TEXT)
    // instead of track-at-once with 2-second pauses.
    bool discAtOnce = false;
    // Written at once: the pause before every track but the first, 0
    // (gapless) to 750 frames (10 seconds).
    int pauseFrames = cd::kPauseSectors;
    // Written at once: the album's title and performer for CD-TEXT; an empty
    // one comes from the files' tags when they all agree.
    std::string albumTitle = {};
    std::string albumPerformer = {};
};

}  // namespace quillstar
