#pragma once

#include "recorder/DeviceInfo.h"
#include "recorder/MmcCommands.h"

namespace quillstar {

// The drive belongs to the burn while this lives: it is held for this program
// alone through the ASPI layer (no mount, no other burner can take it) and
// its tray is locked. Both are let go when it goes, however the burn ends, so
// the tray can eject afterwards.
class DriveHold {
public:
    DriveHold(MmcCommands& commands, const DeviceInfo& device);
    ~DriveHold();
    DriveHold(const DriveHold&) = delete;
    DriveHold& operator=(const DriveHold&) = delete;

    // Another program holds the drive: the burn must not touch it.
    bool IsInUseElsewhere() const { return inUseElsewhere_; }

private:
    MmcCommands& commands_;
    const DeviceInfo& device_;
    bool held_ = false;
    bool inUseElsewhere_ = false;
    bool trayLocked_ = false;
};

}  // namespace quillstar
