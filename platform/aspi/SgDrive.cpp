#include "platform/aspi/SgDrive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/aspi/SgStatusMapping.h"

namespace quillstar {

namespace {

constexpr int kFirstSgIoVersion = 30000;
constexpr unsigned kLongTimeout = 30 * 60 * 1000;
constexpr unsigned kShortTimeout = 2 * 60 * 1000;

int SgDirection(DataDirection direction)
{
    switch (direction) {
    case DataDirection::kIn:
        return SG_DXFER_FROM_DEV;
    case DataDirection::kOut:
        return SG_DXFER_TO_DEV;
    case DataDirection::kNone:
        break;
    }
    return SG_DXFER_NONE;
}

}  // namespace

std::unique_ptr<SgDrive> SgDrive::Open(const std::string& path, int& error, std::string& reason)
{
    // Read-write: the kernel lets only writable descriptors send writing commands.
    const int descriptor = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        error = errno;
        reason = std::string("cannot open: ") + std::strerror(error);
        return nullptr;
    }
    int version = 0;
    if (ioctl(descriptor, SG_GET_VERSION_NUM, &version) < 0 || version < kFirstSgIoVersion) {
        error = errno;
        reason = "does not take SG_IO commands";
        close(descriptor);
        return nullptr;
    }
    error = 0;
    reason.clear();
    return std::unique_ptr<SgDrive>(new SgDrive(descriptor, path));
}

SgDrive::SgDrive(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}

SgDrive::~SgDrive()
{
    Hold(false);
    close(descriptor_);
}

int SgDrive::Hold(bool hold)
{
    std::lock_guard lock(holdMutex_);
    if (!hold) {
        if (heldDescriptor_ >= 0)
            close(heldDescriptor_);  // lets go of the flock() too
        heldDescriptor_ = -1;
        return 0;
    }
    if (heldDescriptor_ >= 0)
        return EBUSY;
    const int descriptor = open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_EXCL);
    if (descriptor < 0)
        return errno;
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(descriptor);
        return error;
    }
    heldDescriptor_ = descriptor;
    return 0;
}

unsigned SgDrive::TimeoutFor(uint8_t opcode)
{
    switch (opcode) {
    case 0x04:  // FORMAT UNIT
    case 0x35:  // SYNCHRONIZE CACHE
    case 0x5B:  // CLOSE TRACK/SESSION
    case 0xA1:  // BLANK
        return kLongTimeout;
    default:
        return kShortTimeout;
    }
}

ScsiOutcome SgDrive::Execute(const ScsiCommand& command)
{
    unsigned char cdb[16] = {};
    std::memcpy(cdb, command.cdb, command.cdbLength);
    unsigned char sense[ScsiOutcome::kSenseBytes + 14] = {};

    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.cmdp = cdb;
    header.cmd_len = command.cdbLength;
    header.dxfer_direction = SgDirection(command.direction);
    header.dxferp = command.direction == DataDirection::kNone ? nullptr : command.data;
    header.dxfer_len = command.direction == DataDirection::kNone ? 0 : command.dataLength;
    header.sbp = sense;
    header.mx_sb_len = sizeof(sense);
    header.timeout = TimeoutFor(cdb[0]);

    const int result = ioctl(descriptor_, SG_IO, &header);
    return OutcomeOfSgIo(result, result < 0 ? errno : 0, header);
}

}  // namespace quillstar
