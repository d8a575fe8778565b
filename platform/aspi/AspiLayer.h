#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/aspi/Aspi.h"
#include "platform/aspi/ScsiTarget.h"

namespace quillstar {

// Answers the three request blocks: host adapter inquiry, get device type and
// execute SCSI command. Each adapter holds its targets at target ids 0, 1,
// ..., each with one logical unit (0).
class AspiLayer {
public:
    struct Adapter {
        std::string name;
        std::vector<std::unique_ptr<ScsiTarget>> targets;
    };

    explicit AspiLayer(std::vector<Adapter> adapters);

    // Bits 8-15: status, bits 0-7: number of host adapters.
    uint32_t SupportInfo() const;
    // Carries out a request block and returns its status. An execute block
    // is complete when this returns; its event, when it asks for one, is set.
    uint32_t SendCommand(void* request);
    // Holds the device at that address for this program alone, or lets it
    // go: 0, an errno value from the device, or ENODEV when none is there.
    int HoldDevice(uint8_t adapter, uint8_t target, uint8_t lun, bool hold);

private:
    uint8_t HostAdapterInquiry(SRB_HAInquiry& block) const;
    uint8_t GetDeviceType(SRB_GDEVBlock& block) const;
    uint8_t ExecuteScsiCommand(SRB_ExecSCSICmd& block);
    ScsiTarget* FindTarget(uint8_t adapter, uint8_t target, uint8_t lun) const;

    std::vector<Adapter> adapters_;
};

}  // namespace quillstar
