#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/aspi/Aspi.h"
#include "platform/aspi/ScsiSense.h"

namespace quillstar {

// How one command ended, in the terms of the execute request block: the
// block's status, the host adapter status, the target status and the sense
// data of a CHECK CONDITION.
struct ScsiOutcome {
    static constexpr size_t kSenseBytes = 18;

    uint8_t srbStatus = SS_COMP;
    uint8_t hostStatus = HASTAT_OK;
    uint8_t targetStatus = STATUS_GOOD;
    std::array<uint8_t, kSenseBytes> sense{};
    uint8_t senseLength = 0;
    // Bytes a data-in command returned; the kernel reports the rest of the
    // caller's buffer to SG_IO callers as the residual count.
    uint32_t transferred = 0;

    static ScsiOutcome Good();
    // Fixed-format sense data carrying the code.
    static ScsiOutcome CheckCondition(scsi::SenseCode code);
    // The sense data a device returned, cut to kSenseBytes.
    static ScsiOutcome CheckCondition(const uint8_t* senseData, size_t length);
    static ScsiOutcome AdapterFailure(uint8_t adapterStatus);
    static ScsiOutcome TargetFailure(uint8_t status);
    static ScsiOutcome Aborted();
    // A request the layer could not carry out at all.
    static ScsiOutcome InvalidRequest();

    bool IsGood() const { return srbStatus == SS_COMP; }
    // Key, ASC and ASCQ of fixed-format sense data (zeros without sense).
    scsi::SenseCode Code() const;
};

}  // namespace quillstar
