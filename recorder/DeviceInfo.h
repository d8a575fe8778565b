#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/CdAudio.h"

namespace quillstar {

// One CD device found at start-up: where it is, what it calls itself, what
// its capabilities page says and which speeds it accepted.
struct DeviceInfo {
    uint8_t adapterId = 0;
    uint8_t targetId = 0;
    uint8_t lun = 0;
    // Commands to a record with 0 are refused without reaching any device.
    uint32_t present = 0;
    std::string name;
    std::string vendor;
    std::string product;
    std::string revision;
    std::array<uint8_t, 20> vendorSpecific{};
    // x-factors (kB/s / 176), ascending, each once.
    std::vector<int> writeSpeeds;
    std::vector<int> readSpeeds;
    uint32_t canReadCdR = 0;
    uint32_t canReadCdRw = 0;
    uint32_t canReadDvdRom = 0;
    uint32_t canReadDvdR = 0;
    uint32_t canReadDvdRam = 0;
    uint32_t canWriteCdR = 0;
    uint32_t canWriteCdRw = 0;
    uint32_t canWriteDvdR = 0;
    uint32_t canWriteDvdRam = 0;
    // 0x80 when the drive records free of buffer underruns, else 0.
    uint32_t bufferUnderrunFree = 0;
    uint32_t canTestWrite = 0;
    // Speeds in kB/s, the buffer in KB.
    int maxWriteSpeed = 0;
    int CurWrite = 0;
    int CurRead = 0;
    int maxReadSpeed = 0;
    int bufferSize = 0;

    // A speed in kB/s as the drive list shows it, in x-factors.
    static int SpeedFactor(int kilobytesPerSecond) { return kilobytesPerSecond / cd::kSingleSpeedKBps; }
};

}  // namespace quillstar
