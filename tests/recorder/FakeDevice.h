#pragma once

#include <cstdint>

#include "platform/aspi/Aspi.h"

namespace quillstar::test {

// A device on the fake ASPI bus: answers execute request blocks by filling
// in their statuses, sense area and data.
class FakeDevice {
public:
    virtual ~FakeDevice() = default;
    virtual uint8_t DeviceType() const { return DTYPE_CDROM; }
    virtual void Execute(SRB_ExecSCSICmd& block) = 0;
};

}  // namespace quillstar::test
