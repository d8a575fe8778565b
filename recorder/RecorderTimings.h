#pragma once

#include <cstdint>

namespace quillstar {

// How long the engine waits between polls and retries, in milliseconds. The
// defaults suit real drives; tests shorten them.
struct RecorderTimings {
    // Between TEST UNIT READY polls after a speed scan's first SET SPEED failed.
    uint32_t unitReadyRetryWait = 1000;
    // Between READ TRACK INFORMATION attempts for a track's write address.
    uint32_t writeAddressRetryWait = 500;
    // Before repeating a WRITE the drive answered NOT READY (its buffer is
    // full: long write in progress).
    uint32_t notReadyRetryWait = 20;
    // How long one WRITE may keep being answered NOT READY before each further
    // answer counts as a failed attempt.
    uint32_t notReadyLimit = 60000;
    // Between TEST UNIT READY polls while the drive closes the session.
    uint32_t sessionClosePollWait = 1000;
};

}  // namespace quillstar
