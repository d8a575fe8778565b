#pragma once

#include <memory>
#include <vector>

#include "recorder/DriveReport.h"
#include "recorder/MmcCommands.h"
#include "recorder/RecorderTimings.h"

namespace quillstar {

// Drive discovery over the command set: finds every CD device behind the
// ASPI layer, identifies it, reads its capabilities and probes which speeds
// it accepts.
class CSCSI {
public:
    explicit CSCSI(MmcCommands& commands);

    void SetTimings(const RecorderTimings& timings) { timings_ = timings; }

    // Loads the ASPI layer and appends every CD-R/RW writer found, in
    // adapter, target, unit order; names the devices that cannot write in
    // the drive report file. -1 when the layer cannot be loaded.
    int InitCommunication(std::vector<std::unique_ptr<DeviceInfo>>& devices);
    // Re-reads the capabilities page and, when asked, probes the speeds.
    int UpdateDeviceInfo(DeviceInfo& device, bool scanWrite, bool scanRead);

private:
    void SearchAdapter(int adapter, std::vector<std::unique_ptr<DeviceInfo>>& devices, DriveReport& report);
    bool IsCdDevice(int adapter, int target, int lun);
    void AddDevice(int adapter, int target, int lun, std::vector<std::unique_ptr<DeviceInfo>>& devices,
                   DriveReport& report);
    int ReadModePages(DeviceInfo& device);
    static void ReadCapabilities(DeviceInfo& device, const uint8_t* page, size_t available);
    void ScanSpeeds(DeviceInfo& device, bool writing);
    void WaitUntilReady(DeviceInfo& device);

    MmcCommands& commands_;
    ScsiTransport& transport_;
    RecorderTimings timings_;
};

}  // namespace quillstar
