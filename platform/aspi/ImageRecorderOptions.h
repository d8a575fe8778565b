#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/aspi/ScsiSense.h"
#include "resources/ImageRecorderTexts.h"

namespace quillstar {

// The disc the image recorder holds and the faults it injects, read from
// QUILLSTAR_IMAGE_RECORDER_OPTIONS: options separated by commas or spaces,
// each a name or name=value (numbers in decimal or 0x hexadecimal).
struct ImageRecorderOptions {
    enum class Disc { kBlank, kAppendable, kComplete, kNone };

    // Sectors first to first + count - 1; no sector when count is 0.
    struct SectorRange {
        int64_t first = 0;
        int64_t count = 0;

        bool Overlaps(int64_t start, int64_t sectors) const
        {
            return count > 0 && start < first + count && first < start + sectors;
        }
    };

    Disc disc = Disc::kBlank;                               // disc=blank|appendable|complete|none
    int minutes = aspi::kDefaultDiscMinutes;                // minutes=N, lead-out start (N-1):59:74
    bool erasable = false;                                  // media=cdr|cdrw
    uint8_t discType = 0x00;                                // disc-type=N
    bool unknownCapacity = false;                           // unknown-capacity
    int maxReadSpeed = aspi::kDefaultMaximumSpeed;          // max-read-speed=kB/s
    int maxWriteSpeed = aspi::kDefaultMaximumSpeed;         // max-write-speed=kB/s
    int forcedReadSpeed = 0;                                // current-read-speed=kB/s
    int forcedWriteSpeed = 0;                               // current-write-speed=kB/s
    int writeFailures = 0;                                  // write-fails=K
    int firstFailingWrite = 1;                              // write-fails-at=N
    scsi::SenseCode writeFailureSense = scsi::kWriteError;  // write-fail-sense=K/ASC/ASCQ
    int writeTimeouts = 0;                                  // write-times-out=K
    int firstTimedOutWrite = 1;                             // write-times-out-at=N
    int notReadyPollsAfterClose = 0;                        // not-ready-after-close=N
    bool capabilitiesPage = true;                           // no-capabilities-page
    bool canWrite = true;                                   // reader-only
    bool canTestWrite = true;                               // no-test-write
    bool inquiryFails = false;                              // inquiry-fails
    bool throttle = false;                                  // throttle
    int bufferKilobytes = aspi::kDefaultBufferKilobytes;    // buffer-kb=N
    int readOffsetSamples = 0;                              // read-offset=SAMPLES
    SectorRange corruptSectors;                             // read-corrupt=LBA[:COUNT]
    SectorRange unreadableSectors;                          // read-fails=LBA[:COUNT]
    bool syncCacheFails = false;                            // sync-cache-fails
    int failingTrackClose = 0;                              // close-track-fails=N (the N-th)
    bool closeSessionFails = false;                         // close-session-fails
    bool imageWriteFails = false;                           // image-write-fails
    int commandDelayMs = 0;                                 // command-delay-ms=N
    bool setSpeedFails = false;                             // set-speed-fails

    // The options of the text; nothing and a one-line reason when an option
    // is unknown or its value is out of range.
    static std::optional<ImageRecorderOptions> Parse(const std::string& text, std::string& error);
};

}  // namespace quillstar
