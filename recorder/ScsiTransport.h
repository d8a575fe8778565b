#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Event.h"
#include "recorder/AspiLibrary.h"
#include "recorder/CommandFailure.h"
#include "recorder/DeviceInfo.h"

namespace quillstar {

// Command timeout of the identification and disc queries.
inline constexpr uint32_t kShortCommandTimeout = 10000;

// Data direction of a command.
inline constexpr uint8_t kDataIn = 0x08;
inline constexpr uint8_t kDataOut = 0x10;
inline constexpr uint8_t kNoData = 0x00;

// The lowest layer of the recording engine: binds the ASPI layer, counts the
// host adapters and executes one SCSI command at a time, turning its outcome
// into 0 or a negative error code.
class ScsiTransport {
public:
    explicit ScsiTransport(AspiLibrary library);
    ~ScsiTransport();
    ScsiTransport(const ScsiTransport&) = delete;
    ScsiTransport& operator=(const ScsiTransport&) = delete;

    int LoadASPI();
    bool IsLoaded() const { return library_.IsLoaded(); }
    int GetAdapterCount();
    // Hands any request block to the layer and returns its status.
    uint32_t SendRequest(void* requestBlock);
    std::vector<SkippedDrive> GetSkippedDrives() const { return library_.GetSkippedDrives(); }
    int ExecuteCommand(const DeviceInfo& device, uint8_t cdbLength, const uint8_t* cdb, uint32_t timeout,
                       uint8_t* buffer, uint32_t length, uint8_t direction);
    // Takes the device for this program alone, or lets it go: 0 or an
    // errno value (EBUSY or EWOULDBLOCK: another program has it).
    int HoldDevice(const DeviceInfo& device, bool hold);
    // Maps a failed command's statuses and sense data to an error code,
    // tracing the failure.
    static int IOError(uint8_t status, uint8_t adapterStatus, uint8_t targetStatus, const uint8_t* sense);
    // How the last command ended (error 0 when it succeeded), so a burn can
    // tell the user which command the drive refused and with which sense.
    CommandFailure LastFailure() const;

private:
    struct Request;
    std::unique_ptr<Request> MakeRequest(const DeviceInfo& device, uint8_t cdbLength, const uint8_t* cdb,
                                         uint32_t timeout, uint8_t* buffer, uint32_t length, uint8_t direction);
    void KeepUntilDone(std::unique_ptr<Request> request);
    void ForgetFinishedRequests();
    int RecordFailure(const uint8_t* cdb, int error, const uint8_t* sense);

    AspiLibrary library_;
    // Commands whose wait ran out: the layer may still write into them, so
    // they live until it signals them.
    std::mutex abandonedMutex_;
    std::vector<std::unique_ptr<Request>> abandoned_;
    mutable std::mutex failureMutex_;
    CommandFailure lastFailure_;
};

}  // namespace quillstar
