#pragma once

#include <cstdint>

// Texts and numbers of the feed buffer, the libsndfile and FFmpeg readers
// and the format converter.
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

// How long the track source waits for a decoder that delivers nothing before
// it gives the track up as damaged.
inline constexpr uint32_t kStallLimitMs = 30000;
// How far a decoder may fall short of the track's probed length and the
// track still count as whole, in bytes of CD audio: 4608 samples (about
// 0.1 s). Probes count codec frames from headers, decoders drop encoder delay
// and padding and a last frame that does not decode; with frames of 1152
// (MP3) to 2048 samples (WMA) that is at most two frames, and twice that
// leaves room for resampling rounding.
inline constexpr int kShortfallToleranceBytes = 4608 * 4;

// The WAV reader.
inline constexpr int kWavReadBlockSize = 12000;

// The FFmpeg reader. The MP4 demuxer's name holds this text, and iTunes
// keeps its gapless data under this tag.
inline constexpr int kLibavReadBlockSize = 16384;
inline constexpr const char* kMp4FormatName = "mp4";
inline constexpr const char* kGaplessTag = "iTunSMPB";

// The format converter's source and destination buffers.
inline constexpr int kConverterBufferSize = 0x100000;

// Status codes of the converter (COM conventions).
inline constexpr int32_t kStatusOk = 0;
inline constexpr int32_t kStatusFailed = static_cast<int32_t>(0x80004005);  // E_FAIL

// Wave format tags of integer PCM and of 32-bit float samples.
inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatFloat = 3;

}  // namespace quillstar::decode
