#include "platform/aspi/AspiLayer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Event.h"
#include "resources/ImageRecorderTexts.h"

namespace quillstar {

namespace {

constexpr uint32_t kMaximumTransferBytes = 128 * 1024;
constexpr uint8_t kUnknownDeviceType = 0x1F;
constexpr uint8_t kLargestCdb = 16;

void PutPaddedText(uint8_t* field, size_t width, const std::string& text)
{
    std::memset(field, ' ', width);
    std::memcpy(field, text.data(), std::min(width, text.size()));
}

void CopyOutcome(const ScsiOutcome& outcome, SRB_ExecSCSICmd& block)
{
    block.SRB_HaStat = outcome.hostStatus;
    block.SRB_TargStat = outcome.targetStatus;
    std::memset(block.SenseArea, 0, sizeof(block.SenseArea));
    const size_t length = std::min<size_t>({block.SRB_SenseLen, sizeof(block.SenseArea), outcome.senseLength});
    std::memcpy(block.SenseArea, outcome.sense.data(), length);
}

DataDirection DirectionOf(uint8_t flags)
{
    if (flags & SRB_DIR_IN)
        return DataDirection::kIn;
    if (flags & SRB_DIR_OUT)
        return DataDirection::kOut;
    return DataDirection::kNone;
}

}  // namespace

AspiLayer::AspiLayer(std::vector<Adapter> adapters) : adapters_(std::move(adapters)) {}

uint32_t AspiLayer::SupportInfo() const
{
    const uint32_t count = static_cast<uint32_t>(adapters_.size());
    return count == 0 ? SS_NO_ADAPTERS << 8 : (SS_COMP << 8 | count);
}

uint32_t AspiLayer::SendCommand(void* request)
{
    if (request == nullptr)
        return SS_INVALID_CMD;
    auto* header = static_cast<uint8_t*>(request);
    switch (header[0]) {
    case SC_HA_INQUIRY:
        return HostAdapterInquiry(*static_cast<SRB_HAInquiry*>(request));
    case SC_GET_DEV_TYPE:
        return GetDeviceType(*static_cast<SRB_GDEVBlock*>(request));
    case SC_EXEC_SCSI_CMD:
        return ExecuteScsiCommand(*static_cast<SRB_ExecSCSICmd*>(request));
    default:
        header[1] = SS_INVALID_CMD;
        return SS_INVALID_CMD;
    }
}

uint8_t AspiLayer::HostAdapterInquiry(SRB_HAInquiry& block) const
{
    block.HA_Count = static_cast<uint8_t>(adapters_.size());
    if (block.SRB_HaId >= adapters_.size())
        return block.SRB_Status = SS_INVALID_HA;
    const Adapter& adapter = adapters_[block.SRB_HaId];
    block.HA_SCSI_ID = aspi::kHostScsiId;
    PutPaddedText(block.HA_ManagerId, sizeof(block.HA_ManagerId), aspi::kManagerId);
    PutPaddedText(block.HA_Identifier, sizeof(block.HA_Identifier), adapter.name);
    std::memset(block.HA_Unique, 0, sizeof(block.HA_Unique));
    block.HA_Unique[3] = static_cast<uint8_t>(std::max<size_t>(adapter.targets.size(), 1));
    std::memcpy(&block.HA_Unique[4], &kMaximumTransferBytes, sizeof(kMaximumTransferBytes));
    return block.SRB_Status = SS_COMP;
}

int AspiLayer::HoldDevice(uint8_t adapter, uint8_t target, uint8_t lun, bool hold)
{
    ScsiTarget* device = adapter < adapters_.size() ? FindTarget(adapter, target, lun) : nullptr;
    return device != nullptr ? device->Hold(hold) : ENODEV;
}

ScsiTarget* AspiLayer::FindTarget(uint8_t adapter, uint8_t target, uint8_t lun) const
{
    const auto& targets = adapters_[adapter].targets;
    return target < targets.size() && lun == 0 ? targets[target].get() : nullptr;
}

uint8_t AspiLayer::GetDeviceType(SRB_GDEVBlock& block) const
{
    if (block.SRB_HaId >= adapters_.size())
        return block.SRB_Status = SS_INVALID_HA;
    if (FindTarget(block.SRB_HaId, block.SRB_Target, block.SRB_Lun) == nullptr) {
        block.SRB_DeviceType = kUnknownDeviceType;
        return block.SRB_Status = SS_NO_DEVICE;
    }
    block.SRB_DeviceType = DTYPE_CDROM;
    return block.SRB_Status = SS_COMP;
}

uint8_t AspiLayer::ExecuteScsiCommand(SRB_ExecSCSICmd& block)
{
    ScsiOutcome outcome;
    const bool bothDirections = (block.SRB_Flags & SRB_DIR_IN) && (block.SRB_Flags & SRB_DIR_OUT);
    const DataDirection direction = DirectionOf(block.SRB_Flags);
    const bool missingBuffer =
        direction != DataDirection::kNone && block.SRB_BufLen > 0 && block.SRB_BufPointer == nullptr;
    if (block.SRB_HaId >= adapters_.size()) {
        outcome.srbStatus = SS_INVALID_HA;
    } else if (block.SRB_CDBLen == 0 || block.SRB_CDBLen > kLargestCdb || bothDirections || missingBuffer) {
        outcome = ScsiOutcome::InvalidRequest();
    } else if (ScsiTarget* target = FindTarget(block.SRB_HaId, block.SRB_Target, block.SRB_Lun)) {
        ScsiCommand command;
        command.cdb = block.CDBByte;
        command.cdbLength = block.SRB_CDBLen;
        command.direction = direction;
        command.data = block.SRB_BufPointer;
        command.dataLength = block.SRB_BufLen;
        outcome = target->Execute(command);
    } else {
        outcome = ScsiOutcome::AdapterFailure(HASTAT_SEL_TO);  // nobody answers at that id
    }
    CopyOutcome(outcome, block);
    block.SRB_Status = outcome.srbStatus;
    if ((block.SRB_Flags & SRB_EVENT_NOTIFY) && block.SRB_PostProc != nullptr)
        static_cast<Event*>(block.SRB_PostProc)->Set();
    return outcome.srbStatus;
}

}  // namespace quillstar
