#include "recorder/SCSI.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/Trace.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "resources/RecorderTexts.h"

namespace quillstar {

using namespace recorder;

namespace {

constexpr int kLogicalUnits = 8;
constexpr int kDefaultTargets = 8;
constexpr size_t kAllPagesLength = 256;
constexpr size_t kModeHeaderLength = 8;
constexpr size_t kCapabilityBytes = 23;

uint32_t Bit(uint8_t byte, int bit)
{
    return (byte >> bit) & 1u;
}

// The speed in x-factors, rounded the way the drive list has always been:
// the single-precision product, plus one when its fraction is a half or more.
int RoundedFactor(int kilobytesPerSecond)
{
    const float factor = static_cast<float>(kilobytesPerSecond) * 0.0056818184f;
    const int whole = static_cast<int>(factor);
    return factor - static_cast<float>(whole) >= 0.5f ? whole + 1 : whole;
}

}  // namespace

CSCSI::CSCSI(MmcCommands& commands) : commands_(commands), transport_(commands.Transport()) {}

int CSCSI::InitCommunication(std::vector<std::unique_ptr<DeviceInfo>>& devices)
{
    Trace("InitCommunication. ASPI=%lu, arr=%lu\n", static_cast<unsigned long>(transport_.IsLoaded()),
          static_cast<unsigned long>(devices.size()));
    Trace("Loading ASPI\n");
    if (transport_.LoadASPI() != 0) {
        Trace("%s", kTraceLoadFailed);
        return -1;
    }
    const int adapters = transport_.GetAdapterCount();
    DriveReport report;
    for (int adapter = 0; adapter < adapters; ++adapter)
        SearchAdapter(adapter, devices, report);
    report.Write();
    Trace("ASPI loaded succesfully. ASPI device count=%lu\n", static_cast<unsigned long>(adapters));
    return 0;
}

void CSCSI::SearchAdapter(int adapter, std::vector<std::unique_ptr<DeviceInfo>>& devices, DriveReport& report)
{
    SRB_HAInquiry inquiry{};
    inquiry.SRB_Cmd = SC_HA_INQUIRY;
    inquiry.SRB_HaId = static_cast<uint8_t>(adapter);
    transport_.SendRequest(&inquiry);
    if (inquiry.SRB_Status != SS_COMP) {
        Trace("ASPI enquiry failed. i=%lu\n", static_cast<unsigned long>(adapter));
        return;
    }
    const int targets = inquiry.HA_Unique[3] != 0 ? inquiry.HA_Unique[3] : kDefaultTargets;
    for (int target = 0; target < targets; ++target) {
        for (int lun = 0; lun < kLogicalUnits; ++lun) {
            if (IsCdDevice(adapter, target, lun))
                AddDevice(adapter, target, lun, devices, report);
        }
    }
}

bool CSCSI::IsCdDevice(int adapter, int target, int lun)
{
    SRB_GDEVBlock block{};
    block.SRB_Cmd = SC_GET_DEV_TYPE;
    block.SRB_HaId = static_cast<uint8_t>(adapter);
    block.SRB_Target = static_cast<uint8_t>(target);
    block.SRB_Lun = static_cast<uint8_t>(lun);
    transport_.SendRequest(&block);
    return block.SRB_DeviceType == DTYPE_CDROM;
}

void CSCSI::AddDevice(int adapter, int target, int lun, std::vector<std::unique_ptr<DeviceInfo>>& devices,
                      DriveReport& report)
{
    Trace("nDeviceType Device detected. i=%lu, j=%lu, k=%lu\n", static_cast<unsigned long>(adapter),
          static_cast<unsigned long>(target), static_cast<unsigned long>(lun));
    auto device = std::make_unique<DeviceInfo>();
    device->adapterId = static_cast<uint8_t>(adapter);
    device->targetId = static_cast<uint8_t>(target);
    device->lun = static_cast<uint8_t>(lun);
    device->present = 1;
    commands_.ReadDeviceName(*device);
    Trace("Device detected=%s\n", device->name.c_str());
    UpdateDeviceInfo(*device, true, true);
    Trace("UpdateDeviceInfo ok. adding to array\n");
    if (device->canWriteCdR || device->canWriteCdRw)
        devices.push_back(std::move(device));
    else
        report.AddDrive(device->name);
    Trace("Array add ok\n");
}

int CSCSI::UpdateDeviceInfo(DeviceInfo& device, bool scanWrite, bool scanRead)
{
    Trace("UpdateDeviceInfo\n");
    const int error = ReadModePages(device);
    if (error != 0)
        return error;
    if (scanRead)
        ScanSpeeds(device, false);
    Trace("UpdateDeviceInfo: check if we are to scan speeds. CurRead=%lu, CurWrite=%lu\n",
          static_cast<unsigned long>(device.CurRead), static_cast<unsigned long>(device.CurWrite));
    if (scanWrite && (device.canWriteCdR || device.canWriteCdRw))
        ScanSpeeds(device, true);
    Trace("UpdateDeviceInfo exit\n");
    return 0;
}

int CSCSI::ReadModePages(DeviceInfo& device)
{
    device.canReadCdR = 1;
    device.canReadCdRw = 1;
    device.canWriteCdR = 1;
    device.canWriteCdRw = 0;
    device.canTestWrite = 0;
    device.canReadDvdRom = device.canReadDvdR = device.canReadDvdRam = 0;
    device.canWriteDvdR = device.canWriteDvdRam = 0;
    device.maxReadSpeed = device.maxWriteSpeed = device.CurRead = device.CurWrite = 0;
    device.bufferSize = 0;
    Trace("UpdateDeviceInfo: getting mode pages. Returning prematurely\n");
    std::array<uint8_t, kAllPagesLength> reply{};
    reply[0] = 0xFF;
    const int error = commands_.SenseAllModePages(device, reply.data());
    if (error != 0) {
        Trace("UpdateDeviceInfo: getting mode page failed\n");
        return error;
    }
    const size_t dataLength = static_cast<size_t>(big_endian::Get16(reply.data()));
    Trace("Mode page len=%lu\n", static_cast<unsigned long>(dataLength));
    for (size_t page = kModeHeaderLength; page < dataLength + 2 && page + 1 < kAllPagesLength;
         page += reply[page + 1] + 2) {
        if ((reply[page] & 0x3F) == kCapabilitiesPageCode)
            ReadCapabilities(device, &reply[page], kAllPagesLength - page);
    }
    return 0;
}

void CSCSI::ReadCapabilities(DeviceInfo& device, const uint8_t* page, size_t available)
{
    const size_t pageLength = size_t{page[1]} + 2;
    const size_t usedLength = std::min(pageLength, kCapabilityBytes);
    Trace("UpdateDeviceInfo: cd-r caps mode page found. Len=%lu\n", static_cast<unsigned long>(pageLength));
    Trace("UpdateDeviceInfo: Copy cd-r param in. Len=%lu\n", static_cast<unsigned long>(usedLength));
    // A short page, or one running past the end of the reply, reads as zero
    // beyond what it holds.
    std::array<uint8_t, kCapabilityBytes> caps{};
    std::memcpy(caps.data(), page, std::min(usedLength, available));
    device.canReadCdR = Bit(caps[2], 0);
    device.canReadCdRw = Bit(caps[2], 1);
    device.canReadDvdRom = Bit(caps[2], 3);
    device.canReadDvdR = Bit(caps[2], 4);
    device.canReadDvdRam = Bit(caps[2], 5);
    device.canWriteCdR = Bit(caps[3], 0);
    device.canWriteCdRw = Bit(caps[3], 1);
    device.canTestWrite = Bit(caps[3], 2);
    device.canWriteDvdR = Bit(caps[3], 4);
    device.canWriteDvdRam = Bit(caps[3], 5);
    device.bufferUnderrunFree = caps[4] & 0x80;
    device.maxReadSpeed = big_endian::Get16(&caps[8]);
    device.bufferSize = big_endian::Get16(&caps[12]);
    device.CurRead = big_endian::Get16(&caps[14]);
    device.maxWriteSpeed = big_endian::Get16(&caps[18]);
    device.CurWrite = big_endian::Get16(&caps[20]);
}

void CSCSI::WaitUntilReady(DeviceInfo& device)
{
    for (int retry = 0; commands_.TestUnitReady(device, false) != 0 && retry < kUnitReadyRetries; ++retry)
        std::this_thread::sleep_for(std::chrono::milliseconds(timings_.unitReadyRetryWait));
}

void CSCSI::ScanSpeeds(DeviceInfo& device, bool writing)
{
    if (commands_.SetSpeed(device, device.CurRead, device.CurWrite) != 0)
        WaitUntilReady(device);
    std::vector<int>& speeds = writing ? device.writeSpeeds : device.readSpeeds;
    if (writing)
        Trace("Set speed at max succeded. Clearing array\n");
    speeds.clear();
    if (writing)
        Trace("Array cleared. About to loop speeds\n");
    const auto maximum = [&] { return writing ? device.maxWriteSpeed : device.maxReadSpeed; };
    for (int factor = RoundedFactor(maximum()); factor >= 1; --factor) {
        Trace("Testing multiple speed=%lu\n", static_cast<unsigned long>(factor));
        const int request = factor == RoundedFactor(maximum()) ? maximum() : factor * cd::kSingleSpeedKBps;
        const int error = writing ? commands_.SetSpeed(device, device.CurRead, request)
                                  : commands_.SetSpeed(device, request, device.CurWrite);
        if (error != 0) {
            Trace("Speed not supported\n");
            continue;
        }
        Trace("Speed supported\n");
        // A speed the drive does not report back is left out of the list,
        // and the capabilities read before stay.
        DeviceInfo reread = device;
        if (ReadModePages(reread) != 0)
            continue;
        device = reread;
        const int accepted = DeviceInfo::SpeedFactor(writing ? device.CurWrite : device.CurRead);
        if (accepted == 0)
            continue;
        std::erase(speeds, accepted);
        speeds.push_back(accepted);
        Trace("Speed added to array\n");
    }
    Trace("Should I sort? Count=%lu\n", static_cast<unsigned long>(speeds.size()));
    if (speeds.size() > 1) {
        Trace("Sorting....\n");
        std::sort(speeds.begin(), speeds.end());
    }
}

}  // namespace quillstar
