#pragma once

#include <cstdint>

#include "resources/DecodeConstants.h"

// The input plug-in host's numbers and texts, and those of the MP3 plug-in
// we ship.
namespace quillstar::plugin {

// Plug-ins are shared objects named *Decoder.so in this folder beside the
// program, each exporting the entry point below.
inline constexpr char kFolderName[] = "Decoders";
inline constexpr char kFileSuffix[] = "Decoder.so";
inline constexpr char kEntryPoint[] = "winampGetInModule2";

inline constexpr int kInputModuleVersion = 0x100;
inline constexpr int kOutputModuleVersion = 0x10;

// The output module the program gives every plug-in: it plays nothing and
// queues the PCM for the decode thread.
inline constexpr char kOutputDescription[] = "Tolumo WAV Output Emulator";
inline constexpr int kOutputModuleId = 33;
inline constexpr int kOutputLatencyMs = 500;

inline constexpr int kRingSlots = 32;
inline constexpr int kSlotBytes = 8200;
// CanWrite promises a whole slot while at least this many slots are free.
inline constexpr int kCanWriteMinFreeSlots = 2;

inline constexpr int kReadBlockSize = 9000;
// How long Read waits for the plug-in's next piece: as long as the track
// source waits for a stalled decoder, which then ends the track as damaged.
inline constexpr uint32_t kReadTimeoutMs = decode::kStallLimitMs;
// How long Open waits for the plug-in to open its output.
inline constexpr uint32_t kOpenTimeoutMs = 5000;
// Channels and rate assumed until the plug-in says otherwise.
inline constexpr int kPresetChannels = 2;
inline constexpr int kPresetSampleRate = 44100;
// Matched against the extension lists when a path has no short extension.
inline constexpr char kDefaultExtension[] = "wav";

inline constexpr char kTraceReadTimedOut[] = "PluginDecoder: Read timed out, the plug-in delivers nothing\n";
inline constexpr char kTraceOpenTimedOut[] = "PluginDecoder: the plug-in did not open its output\n";
inline constexpr char kTraceOutputWidth[] = "PluginDecoder: the plug-in opened its output with %d-bit samples\n";

// Our MP3 plug-in.
inline constexpr char kMpegFileName[] = "MpegDecoder.so";
inline constexpr char kMpegDescription[] = "Quillstar MPEG Audio Decoder";
inline constexpr char kMpegExtensions[] = "MP3;MP2;MPA\0MPEG Audio Files (*.MP3;*.MP2;*.MPA)\0";

}  // namespace quillstar::plugin
