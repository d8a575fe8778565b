#pragma once

#include <cstdint>

// Texts and numbers of the feed buffer, the WAV reader and the format
// converter.
namespace quillstar::decode {

// Feed buffer trace texts.
inline constexpr const char* kTraceOpen = "Open()\n";
inline constexpr const char* kTraceOpenExit = "Open() exit\n";
inline constexpr const char* kTraceAddData = "AddData()\n";
inline constexpr const char* kTraceAddDataExit = "AddData() exit\n";
inline constexpr const char* kTraceErrorHere = "Error here.\n";
inline constexpr const char* kTraceWaitRead = "WaitForBufferToBeRead()\n";
inline constexpr const char* kTraceWaitReadExit = "WaitForBufferToBeRead() exit\n";
inline constexpr const char* kTraceReadData = "ReadData()\n";
inline constexpr const char* kTraceReadDataExit = "ReadData() exit\n";
inline constexpr const char* kTraceWaitFilled = "WaitForBufferToBeFilled(). SyncBufferIsLocked=%lu\n";
inline constexpr const char* kTraceWaitFilledNoMoreData = "WaitForBufferToBeFilled: No more data\n";
inline constexpr const char* kTraceWaitFilledExit = "WaitForBufferToBeFilled() exit\n";
inline constexpr const char* kTraceNoMoreData = "No more data\n";

// The WAV reader.
inline constexpr int kWavReadBlockSize = 12000;

// The format converter's source and destination buffers.
inline constexpr int kConverterBufferSize = 0x100000;

// Status codes of the converter (COM conventions).
inline constexpr int32_t kStatusOk = 0;
inline constexpr int32_t kStatusFailed = static_cast<int32_t>(0x80004005);  // E_FAIL

// Wave format tag of integer PCM.
inline constexpr uint16_t kWaveFormatPcm = 1;

}  // namespace quillstar::decode
