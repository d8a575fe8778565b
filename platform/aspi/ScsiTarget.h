#pragma once

#include <cstdint>

#include "platform/aspi/ScsiOutcome.h"

namespace quillstar {

enum class DataDirection { kNone, kIn, kOut };

// One command for a target, as the execute request block carries it.
struct ScsiCommand {
    const uint8_t* cdb = nullptr;
    uint8_t cdbLength = 0;
    uint8_t* data = nullptr;
    uint32_t dataLength = 0;
    DataDirection direction = DataDirection::kNone;
};

// A device on a host adapter: answers one command at a time with its data
// (through the command's buffer) and an outcome.
class ScsiTarget {
public:
    virtual ~ScsiTarget() = default;
    virtual ScsiOutcome Execute(const ScsiCommand& command) = 0;
    // Takes the device for this program alone (hold) or lets it go again:
    // 0, or an errno value (EBUSY or EWOULDBLOCK when another program has it).
    virtual int Hold(bool hold) = 0;
};

}  // namespace quillstar
