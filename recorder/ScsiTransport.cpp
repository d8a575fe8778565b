#include "recorder/ScsiTransport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/Trace.h"
#include "resources/RecorderTexts.h"

namespace quillstar {

using namespace recorder;

namespace {

constexpr uint32_t kCompleted = SS_COMP;
constexpr uint32_t kNoAdapters = SS_NO_ADAPTERS;

int Fail(int code, const char* trace)
{
    Trace("%s", trace);
    return code;
}

int SenseKeyError(const uint8_t* sense)
{
    const uint8_t key = sense[2] & 0x0F;
    switch (key) {
    case 0x0:
        return (sense[2] & 0x40) ? kErrorEndOfMedium : kErrorOther;
    case 0x1:
        return 0;
    case 0x2:
        return Fail(kErrorNotReady, kTraceNotReady);
    case 0x3:
        return Fail(kErrorMedium, kTraceMedium);
    case 0x4:
        return Fail(kErrorHardware, kTraceHardware);
    case 0x5:
        return Fail(kErrorIllegalRequest, kTraceIllegalRequest);
    case 0x6:
        return Fail(kErrorUnitAttention, kTraceUnitAttention);
    case 0x7:
        return Fail(kErrorDataProtect, kTraceDataProtect);
    case 0x8:
        return Fail(kErrorBlankCheck, kTraceBlankCheck);
    case 0xB:
        return Fail(kErrorTargetAbort, kTraceTargetAbort);
    case 0xD:
        return Fail(kErrorVolumeOverflow, kTraceVolumeOverflow);
    default:
        return kErrorOther;
    }
}

int ErrorStatusError(uint8_t adapterStatus, uint8_t targetStatus, const uint8_t* sense)
{
    switch (adapterStatus) {
    case HASTAT_OK:
        break;
    case HASTAT_SEL_TO:
        return Fail(kErrorSelectionTimeout, kTraceSelectionTimeout);
    case HASTAT_COMMAND_TIMEOUT:
        return kErrorTimedOut;  // the kernel gave up waiting for the drive
    case HASTAT_DO_DU:
        return Fail(kErrorDataOverrun, kTraceDataOverrun);
    case HASTAT_BUS_FREE:
        return Fail(kErrorBusFree, kTraceBusFree);
    case HASTAT_PHASE_ERR:
        return Fail(kErrorBusFail, kTraceBusFail);
    default:
        return kErrorOther;
    }
    switch (targetStatus) {
    case STATUS_BUSY:
        return Fail(kErrorTargetBusy, kTraceTargetBusy);
    case STATUS_RESCONF:
        return Fail(kErrorReservation, kTraceReservation);
    case STATUS_CHKCOND:
        return SenseKeyError(sense);
    default:
        return kErrorOther;
    }
}

}  // namespace

// One command in flight. When the caller's wait is limited, the data travels
// through the request's own buffer, so a command the caller gave up on never
// writes into memory the caller has moved on from.
struct ScsiTransport::Request {
    SRB_ExecSCSICmd block{};
    Event done;
    std::vector<uint8_t> bounce;
};

ScsiTransport::ScsiTransport(AspiLibrary library) : library_(std::move(library)) {}

ScsiTransport::~ScsiTransport()
{
    // The layer must be done with every block before it is unloaded.
    std::lock_guard lock(abandonedMutex_);
    for (const auto& request : abandoned_)
        request->done.Wait();
}

int ScsiTransport::LoadASPI()
{
    return library_.Load();
}

int ScsiTransport::GetAdapterCount()
{
    if (!library_.IsLoaded())
        return -1;
    const uint32_t info = library_.GetSupportInfo();
    const uint32_t status = (info >> 8) & 0xFF;
    if (status != kCompleted && status != kNoAdapters)
        return -1;
    return static_cast<int>(info & 0xFF);
}

uint32_t ScsiTransport::SendRequest(void* requestBlock)
{
    return library_.SendCommand(requestBlock);
}

std::unique_ptr<ScsiTransport::Request> ScsiTransport::MakeRequest(const DeviceInfo& device, uint8_t cdbLength,
                                                                   const uint8_t* cdb, uint32_t timeout,
                                                                   uint8_t* buffer, uint32_t length, uint8_t direction)
{
    auto request = std::make_unique<Request>();
    SRB_ExecSCSICmd& block = request->block;
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_HaId = device.adapterId;
    block.SRB_Flags = direction | SRB_EVENT_NOTIFY;
    block.SRB_Target = device.targetId;
    block.SRB_Lun = device.lun;
    block.SRB_BufLen = length;
    block.SRB_BufPointer = buffer;
    block.SRB_SenseLen = SENSE_LEN;
    block.SRB_CDBLen = cdbLength;
    block.SRB_PostProc = &request->done;
    std::memcpy(block.CDBByte, cdb, std::min<size_t>(cdbLength, sizeof block.CDBByte));
    if (timeout != kInfinite && buffer != nullptr && length > 0) {
        request->bounce.assign(buffer, buffer + length);
        block.SRB_BufPointer = request->bounce.data();
    }
    return request;
}

int ScsiTransport::ExecuteCommand(const DeviceInfo& device, uint8_t cdbLength, const uint8_t* cdb, uint32_t timeout,
                                  uint8_t* buffer, uint32_t length, uint8_t direction)
{
    if (device.present == 0)
        return RecordFailure(cdb, kErrorInvalidAdapter, nullptr);
    if (!library_.IsLoaded())
        return RecordFailure(cdb, kErrorNotLoaded, nullptr);
    ForgetFinishedRequests();
    std::unique_ptr<Request> request = MakeRequest(device, cdbLength, cdb, timeout, buffer, length, direction);
    request->done.Reset();
    if (library_.SendCommand(&request->block) == SS_PENDING && !request->done.Wait(timeout)) {
        Trace("ExecuteCommand: no answer within %lu ms, command 0x%x given up\n", static_cast<unsigned long>(timeout),
              static_cast<unsigned>(cdb[0]));
        KeepUntilDone(std::move(request));
        return RecordFailure(cdb, kErrorTimedOut, nullptr);
    }
    const SRB_ExecSCSICmd& block = request->block;
    if (!request->bounce.empty() && direction == kDataIn)
        std::memcpy(buffer, request->bounce.data(), length);
    if (block.SRB_Status == SS_COMP)
        return RecordFailure(cdb, 0, nullptr);
    const int error = IOError(block.SRB_Status, block.SRB_HaStat, block.SRB_TargStat, block.SenseArea);
    const bool checkCondition = block.SRB_Status == SS_ERR && block.SRB_TargStat == STATUS_CHKCOND;
    return RecordFailure(cdb, error, checkCondition ? block.SenseArea : nullptr);
}

// Every command's outcome replaces the last one's, so a failure is never
// blamed on a later step that merely got an answer it could not use.
int ScsiTransport::RecordFailure(const uint8_t* cdb, int error, const uint8_t* sense)
{
    CommandFailure failure{cdb[0], error};
    if (sense != nullptr) {
        failure.senseKey = sense[2] & 0x0F;
        failure.asc = sense[12];
        failure.ascq = sense[13];
    }
    std::lock_guard lock(failureMutex_);
    lastFailure_ = failure;
    return error;
}

CommandFailure ScsiTransport::LastFailure() const
{
    std::lock_guard lock(failureMutex_);
    return lastFailure_;
}

int ScsiTransport::IOError(uint8_t status, uint8_t adapterStatus, uint8_t targetStatus, const uint8_t* sense)
{
    switch (status) {
    case SS_ABORTED:
        return kErrorAborted;
    case SS_ERR:
        return ErrorStatusError(adapterStatus, targetStatus, sense);
    case SS_INVALID_CMD:
        return kErrorInvalidCommand;
    case SS_INVALID_HA:
        return kErrorInvalidAdapter;
    case SS_NO_DEVICE:
        return kErrorNoDevice;
    default:
        return status;
    }
}

int ScsiTransport::HoldDevice(const DeviceInfo& device, bool hold)
{
    if (device.present == 0 || !library_.IsLoaded())
        return ENODEV;
    return library_.HoldDevice(device.adapterId, device.targetId, device.lun, hold);
}

void ScsiTransport::KeepUntilDone(std::unique_ptr<Request> request)
{
    std::lock_guard lock(abandonedMutex_);
    abandoned_.push_back(std::move(request));
}

void ScsiTransport::ForgetFinishedRequests()
{
    std::lock_guard lock(abandonedMutex_);
    std::erase_if(abandoned_, [](const auto& request) { return request->done.IsSet(); });
}

}  // namespace quillstar
