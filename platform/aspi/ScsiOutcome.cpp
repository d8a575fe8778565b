#include "platform/aspi/ScsiOutcome.h"

#include <algorithm>

namespace quillstar {

ScsiOutcome ScsiOutcome::Good()
{
    return {};
}

ScsiOutcome ScsiOutcome::CheckCondition(scsi::SenseCode code)
{
    ScsiOutcome outcome = TargetFailure(STATUS_CHKCOND);
    outcome.sense[0] = 0x70;  // current error, fixed format
    outcome.sense[2] = code.key;
    outcome.sense[7] = kSenseBytes - 8;
    outcome.sense[12] = code.asc;
    outcome.sense[13] = code.ascq;
    outcome.senseLength = kSenseBytes;
    return outcome;
}

ScsiOutcome ScsiOutcome::CheckCondition(const uint8_t* senseData, size_t length)
{
    ScsiOutcome outcome = TargetFailure(STATUS_CHKCOND);
    outcome.senseLength = static_cast<uint8_t>(std::min(length, kSenseBytes));
    std::copy_n(senseData, outcome.senseLength, outcome.sense.begin());
    return outcome;
}

ScsiOutcome ScsiOutcome::AdapterFailure(uint8_t adapterStatus)
{
    ScsiOutcome outcome;
    outcome.srbStatus = SS_ERR;
    outcome.hostStatus = adapterStatus;
    return outcome;
}

ScsiOutcome ScsiOutcome::TargetFailure(uint8_t status)
{
    ScsiOutcome outcome;
    outcome.srbStatus = SS_ERR;
    outcome.targetStatus = status;
    return outcome;
}

ScsiOutcome ScsiOutcome::Aborted()
{
    ScsiOutcome outcome;
    outcome.srbStatus = SS_ABORTED;
    return outcome;
}

ScsiOutcome ScsiOutcome::InvalidRequest()
{
    ScsiOutcome outcome;
    outcome.srbStatus = SS_INVALID_CMD;
    return outcome;
}

scsi::SenseCode ScsiOutcome::Code() const
{
    if (senseLength < 14)
        return {static_cast<uint8_t>(senseLength > 2 ? sense[2] & 0x0F : 0), 0, 0};
    return {static_cast<uint8_t>(sense[2] & 0x0F), sense[12], sense[13]};
}

}  // namespace quillstar
