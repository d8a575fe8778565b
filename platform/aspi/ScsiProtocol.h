#pragma once

#include <cstdint>

// The SCSI and MMC operation codes both the engine and the image recorder
// speak, and the byte order their command blocks and data use.
namespace quillstar::scsi {

enum Opcode : uint8_t {
    kTestUnitReady = 0x00,
    kInquiry = 0x12,
    kStartStopUnit = 0x1B,
    kPreventAllowMediumRemoval = 0x1E,
    kWrite10 = 0x2A,
    kSynchronizeCache = 0x35,
    kReadToc = 0x43,
    kReadDiscInformation = 0x51,
    kReadTrackInformation = 0x52,
    kSendOpcInformation = 0x54,
    kModeSelect10 = 0x55,
    kModeSense10 = 0x5A,
    kCloseTrackOrSession = 0x5B,
    kSendCueSheet = 0x5D,
    kSetSpeed = 0xBB,
    kReadCd = 0xBE,
};

}  // namespace quillstar::scsi

// SCSI command blocks and their data carry multi-byte values big-endian.
namespace quillstar::big_endian {

inline uint16_t Get16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline uint32_t Get32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

inline void Put16(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

inline void Put32(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

}  // namespace quillstar::big_endian
