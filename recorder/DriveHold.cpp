#include "recorder/DriveHold.h"

#include <cerrno>
#include <cstring>

#include "platform/Trace.h"

namespace quillstar {

DriveHold::DriveHold(MmcCommands& commands, const DeviceInfo& device) : commands_(commands), device_(device)
{
    const int error = commands_.Transport().HoldDevice(device_, true);
    held_ = error == 0;
    inUseElsewhere_ = error == EBUSY || error == EWOULDBLOCK;
    if (inUseElsewhere_) {
        Trace("DriveHold: another program holds the drive\n");
        return;
    }
    // A drive that cannot be held for another reason still burns as before.
    if (!held_)
        Trace("DriveHold: the drive cannot be held: %s\n", std::strerror(error));
    trayLocked_ = commands_.PreventMediumRemoval(device_, true) == 0;
}

DriveHold::~DriveHold()
{
    if (trayLocked_)
        commands_.PreventMediumRemoval(device_, false);
    if (held_)
        commands_.Transport().HoldDevice(device_, false);
}

}  // namespace quillstar
