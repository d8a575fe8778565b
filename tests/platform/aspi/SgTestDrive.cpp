// The test drive, preloaded into a test program or quillstar-burn. It plays
// the kernel's SCSI CD-ROM driver for one device path: open, close and the
// SG_IO ioctls reach it, and the image recorder's command model is the drive
// behind it, so every command is answered exactly as strictly. Each request
// header is checked as the kernel checks it, and the statuses, sense and
// residual count are reported the way the kernel reports them. Exclusive
// opens (O_EXCL) exclude each other across processes through a lock file
// beside the image, as the kernel's claim on a block device does, and
// flock() on the drive locks that same file.

#include <dlfcn.h>
#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/aspi/AspiEnvironment.h"
#include "tests/platform/aspi/SgTestDrive.h"

#define TEST_DRIVE_EXPORT extern "C" __attribute__((visibility("default")))

namespace quillstar::test {
namespace {

constexpr int kSgVersion = 30527;
constexpr unsigned kLargestCdb = 16;
// The most one request may move: the drive's largest transfer.
constexpr unsigned kLargestTransfer = 128 * 1024;
constexpr unsigned char kDidTimeOut = 0x03;
constexpr unsigned char kDidError = 0x07;
constexpr unsigned char kDriverSense = 0x08;

struct Drive {
    std::string image;
    std::unique_ptr<ImageRecorder> recorder;
};

// The descriptors open on a drive. Kept to the very end of the process,
// since descriptors are closed until then.
struct OpenDrives {
    std::mutex mutex;
    std::map<int, std::shared_ptr<Drive>> byDescriptor;
};

OpenDrives& Drives()
{
    static auto* drives = new OpenDrives;
    return *drives;
}

template <typename Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int RealClose(int descriptor)
{
    static const auto next = Next<int (*)(int)>("close");
    return next(descriptor);
}

int Fail(int error)
{
    errno = error;
    return -1;
}

std::shared_ptr<Drive> DriveAt(int descriptor)
{
    OpenDrives& drives = Drives();
    std::lock_guard lock(drives.mutex);
    const auto found = drives.byDescriptor.find(descriptor);
    return found != drives.byDescriptor.end() ? found->second : nullptr;
}

// The drive burning into this image: the one already open, or a new one.
std::shared_ptr<Drive> DriveFor(const std::string& image, int descriptor)
{
    OpenDrives& drives = Drives();
    std::lock_guard lock(drives.mutex);
    for (const auto& [open, drive] : drives.byDescriptor) {
        if (drive->image == image)
            return drives.byDescriptor[descriptor] = drive;
    }
    const char* options = std::getenv(kTestDriveOptionsVariable);
    AspiEnvironment::SkippedDevice skipped;
    auto recorder = AspiEnvironment::CreateImageRecorder(image, options ? options : "", skipped);
    if (!recorder) {
        std::fprintf(stderr, "test drive: %s: %s\n", image.c_str(), skipped.reason.c_str());
        return nullptr;
    }
    return drives.byDescriptor[descriptor] = std::make_shared<Drive>(Drive{image, std::move(recorder)});
}

// The kernel lets one exclusive opener claim a block device at a time.
bool ClaimExclusively(int descriptor)
{
    struct flock claim {};
    claim.l_type = F_WRLCK;
    claim.l_whence = SEEK_SET;
    claim.l_len = 1;
    return fcntl(descriptor, F_OFD_SETLK, &claim) == 0;
}

int OpenDrive(int flags)
{
    const char* image = std::getenv(kTestDriveImageVariable);
    if (image == nullptr || *image == '\0')
        return Fail(ENOENT);
    static const auto next = Next<int (*)(const char*, int, ...)>("open");
    const std::string lockPath = std::string(image) + ".lock";
    const int descriptor = next(lockPath.c_str(), O_RDWR | O_CREAT | (flags & O_CLOEXEC), 0600);
    if (descriptor < 0)
        return -1;
    if ((flags & O_EXCL) && !ClaimExclusively(descriptor)) {
        RealClose(descriptor);
        return Fail(EBUSY);
    }
    if (!DriveFor(image, descriptor)) {
        RealClose(descriptor);
        return Fail(ENXIO);
    }
    return descriptor;
}

mode_t ModeOf(int flags, va_list arguments)
{
    const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return creates ? static_cast<mode_t>(va_arg(arguments, unsigned)) : 0;
}

bool IsTestDrive(const char* path)
{
    return path != nullptr && std::strcmp(path, kTestDrivePath) == 0;
}

// What the kernel refuses before a request reaches the drive; 0 when nothing.
int CheckRequest(const sg_io_hdr_t& header)
{
    if (header.interface_id != 'S' || header.iovec_count != 0)
        return EINVAL;
    if (header.dxfer_len > kLargestTransfer)
        return EIO;
    const int direction = header.dxfer_direction;
    if (header.dxfer_len > 0 && direction != SG_DXFER_TO_DEV && direction != SG_DXFER_FROM_DEV &&
        direction != SG_DXFER_TO_FROM_DEV)
        return EINVAL;
    if (header.cmd_len == 0 || header.cmd_len > kLargestCdb)
        return EINVAL;
    if (header.cmdp == nullptr || (header.dxfer_len > 0 && header.dxferp == nullptr))
        return EFAULT;
    return 0;
}

DataDirection DirectionOf(const sg_io_hdr_t& header)
{
    if (header.dxfer_len == 0)
        return DataDirection::kNone;
    return header.dxfer_direction == SG_DXFER_TO_DEV ? DataDirection::kOut : DataDirection::kIn;
}

unsigned char HostByteOf(const ScsiOutcome& outcome)
{
    if (outcome.hostStatus == HASTAT_OK)
        return 0;
    // A command the drive never answered, or a transfer it broke off.
    return outcome.hostStatus == HASTAT_COMMAND_TIMEOUT ? kDidTimeOut : kDidError;
}

void ReportOutcome(const ScsiOutcome& outcome, sg_io_hdr_t& header)
{
    header.status = outcome.targetStatus;
    header.masked_status = static_cast<unsigned char>(outcome.targetStatus >> 1);
    header.msg_status = 0;
    header.host_status = HostByteOf(outcome);
    header.driver_status = outcome.targetStatus == STATUS_CHKCOND ? kDriverSense : 0;
    header.sb_len_wr = 0;
    if (header.sbp != nullptr && outcome.senseLength > 0) {
        header.sb_len_wr = std::min<unsigned char>(header.mx_sb_len, outcome.senseLength);
        std::memcpy(header.sbp, outcome.sense.data(), header.sb_len_wr);
    }
    const bool dataIn = DirectionOf(header) == DataDirection::kIn;
    const uint32_t moved = !outcome.IsGood() ? 0 : dataIn ? outcome.transferred : header.dxfer_len;
    header.resid = static_cast<int>(header.dxfer_len - moved);
    header.duration = header.host_status == kDidTimeOut ? header.timeout : 0;
    const bool failed = header.masked_status != 0 || header.host_status != 0 || header.driver_status != 0;
    header.info = failed ? SG_INFO_CHECK : SG_INFO_OK;
}

int ExecuteSgIo(ImageRecorder& recorder, sg_io_hdr_t& header)
{
    if (const int error = CheckRequest(header))
        return Fail(error);
    ScsiCommand command;
    command.cdb = header.cmdp;
    command.cdbLength = header.cmd_len;
    command.data = static_cast<uint8_t*>(header.dxferp);
    command.dataLength = header.dxfer_len;
    command.direction = DirectionOf(header);
    ReportOutcome(recorder.Execute(command), header);
    return 0;
}

}  // namespace
}  // namespace quillstar::test

using namespace quillstar::test;

TEST_DRIVE_EXPORT int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static const auto next = Next<int (*)(const char*, int, ...)>("open");
    return IsTestDrive(path) ? OpenDrive(flags) : next(path, flags, mode);
}

TEST_DRIVE_EXPORT int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static const auto next = Next<int (*)(const char*, int, ...)>("open64");
    return IsTestDrive(path) ? OpenDrive(flags) : next(path, flags, mode);
}

TEST_DRIVE_EXPORT int openat(int folder, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static const auto next = Next<int (*)(int, const char*, int, ...)>("openat");
    return IsTestDrive(path) ? OpenDrive(flags) : next(folder, path, flags, mode);
}

TEST_DRIVE_EXPORT int close(int descriptor)
{
    // The last descriptor's drive goes once the lock is let go: its image
    // closes its own files.
    std::shared_ptr<Drive> drive;
    {
        OpenDrives& drives = Drives();
        std::lock_guard lock(drives.mutex);
        const auto found = drives.byDescriptor.find(descriptor);
        if (found != drives.byDescriptor.end()) {
            drive = std::move(found->second);
            drives.byDescriptor.erase(found);
        }
    }
    return RealClose(descriptor);
}

TEST_DRIVE_EXPORT int ioctl(int descriptor, unsigned long request, ...) noexcept
{
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    const std::shared_ptr<Drive> drive = DriveAt(descriptor);
    if (!drive) {
        static const auto next = Next<int (*)(int, unsigned long, ...)>("ioctl");
        return next(descriptor, request, argument);
    }
    if (request == SG_GET_VERSION_NUM) {
        *static_cast<int*>(argument) = kSgVersion;
        return 0;
    }
    if (request == SG_IO)
        return ExecuteSgIo(*drive->recorder, *static_cast<sg_io_hdr_t*>(argument));
    return Fail(ENOTTY);
}
