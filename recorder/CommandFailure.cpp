#include "recorder/CommandFailure.h"

#include <cstdio>

#include "platform/aspi/ScsiProtocol.h"
#include "resources/RecorderConstants.h"

namespace quillstar {

namespace {

constexpr uint8_t kSenseNotReady = 0x02;
constexpr uint8_t kAscNotReady = 0x04;
constexpr uint8_t kAscqOperationInProgress = 0x07;
constexpr uint8_t kAscqLongWriteInProgress = 0x08;

}  // namespace

bool CommandFailure::IsDriveBusy() const
{
    return senseKey == kSenseNotReady && asc == kAscNotReady &&
           (ascq == kAscqLongWriteInProgress || ascq == kAscqOperationInProgress);
}

std::string CommandFailure::Describe(const char* command) const
{
    const char* name = command != nullptr ? command : CommandName(opcode);
    char text[160];
    if (error == 0)
        std::snprintf(text, sizeof text, "%s gave no answer the burn could use", name);
    else if (error == recorder::kErrorTimedOut)
        std::snprintf(text, sizeof text, "%s got no answer from the drive", name);
    else if (HasSense())
        std::snprintf(text, sizeof text, "%s refused by the drive: sense %X/%02X/%02X", name, senseKey, asc, ascq);
    else
        std::snprintf(text, sizeof text, "%s failed (error %d)", name, error);
    return text;
}

const char* CommandFailure::CommandName(uint8_t opcode)
{
    switch (opcode) {
    case scsi::kTestUnitReady:
        return "TEST UNIT READY";
    case scsi::kInquiry:
        return "INQUIRY";
    case scsi::kStartStopUnit:
        return "START STOP UNIT";
    case scsi::kPreventAllowMediumRemoval:
        return "PREVENT ALLOW MEDIUM REMOVAL";
    case scsi::kWrite10:
        return "WRITE";
    case scsi::kSynchronizeCache:
        return "SYNCHRONIZE CACHE";
    case scsi::kReadToc:
        return "READ TOC";
    case scsi::kReadDiscInformation:
        return "READ DISC INFORMATION";
    case scsi::kReadTrackInformation:
        return "READ TRACK INFORMATION";
    case scsi::kSendOpcInformation:
        return "SEND OPC INFORMATION";
    case scsi::kModeSelect10:
        return "MODE SELECT";
    case scsi::kModeSense10:
        return "MODE SENSE";
    case scsi::kCloseTrackOrSession:
        return "CLOSE TRACK/SESSION";
    case scsi::kSendCueSheet:
        return "SEND CUE SHEET";
    case scsi::kSetSpeed:
        return "SET SPEED";
    case scsi::kReadCd:
        return "READ CD";
    default:
        return "a drive command";
    }
}

}  // namespace quillstar
