#pragma once

#include <cstdint>

// Texts and numbers of the decode engine, its media graph and duration probe,
// and the track source.
namespace quillstar::engine {

// Status codes of the media graph (COM conventions).
inline constexpr int32_t kStatusOk = 0;
// The graph was told to run and reaches the running state on its own.
inline constexpr int32_t kStatusStarting = 1;                                         // S_FALSE
inline constexpr int32_t kStatusFailed = static_cast<int32_t>(0x80004005);            // E_FAIL
inline constexpr int32_t kStatusInvalidMediaType = static_cast<int32_t>(0x80040200);  // VFW_E_INVALIDMEDIATYPE

// File extensions, as the last three characters of a path, lower-cased.
inline constexpr char kExtensionMp3[] = "mp3";
inline constexpr char kExtensionMp2[] = "mp2";
inline constexpr char kExtensionWma[] = "wma";
inline constexpr char kExtensionWav[] = "wav";
inline constexpr char kExtensionOgg[] = "ogg";
inline constexpr char kExtensionApe[] = "ape";
inline constexpr char kExtensionVqf[] = "vqf";

// Names of the graph's elements, in the order the audio flows through them.
inline constexpr char kSourceFilterName[] = "Source Filter";
inline constexpr char kGrabberName[] = "Audio Grabber";
inline constexpr char kNullRendererName[] = "NullRenderer";

// The message that tells the graph's watcher to stop.
inline constexpr char kStopWatchingMessage[] = "quillstar-stop-watching";

// How long opening a graph waits for its audio to reach the grabber, and how
// long the duration probe lets GStreamer look at a file.
inline constexpr uint32_t kGraphConnectTimeoutMs = 10000;
inline constexpr uint64_t kProbeTimeoutSeconds = 10;

// Graph trace texts.
inline constexpr char kTraceOpenFileExited[] = "Open file function exited\n";
inline constexpr char kTraceNoResample[] = "No resample because source media type is already CD type\n";
inline constexpr char kTraceResample[] = "Will have to resample this media type. samples=%lu, bits=%lu, chan=%lu";
inline constexpr char kTraceEndOfStream[] = "EC_COMPLETE: No more input!\n";
inline constexpr char kTraceStopped[] = "Stopped\n";
inline constexpr char kTraceGraphError[] = "Graph error: %s\n";
inline constexpr char kTraceGraphNotConnected[] = "The graph delivered no audio: %s\n";
inline constexpr char kTraceNoElement[] = "GStreamer has no %s element\n";
inline constexpr char kTraceGStreamerNotStarted[] = "GStreamer could not start: %s\n";

// Decode-thread trace texts.
inline constexpr char kTraceDecoderNotOpened[] = "No decoder could open %s\n";
inline constexpr char kTraceCannotConvert[] = "The decoder's output of %s cannot be converted to CD audio\n";
inline constexpr char kTraceThreadNotStarted[] = "The %s could not be started: %s\n";

// Track source trace texts.
inline constexpr char kTraceDecoderStalled[] = "The decoder delivered nothing for %lu ms, %lu bytes into the track\n";

}  // namespace quillstar::engine
