#pragma once

#include <cstdint>

#include "resources/DecodeEngineConstants.h"

// Texts and names of the decode engine, its media graph and duration probe,
// and the track source.
namespace quillstar::engine {

// Choosing a decoder by content: these media types name the decoder that
// reads them.
inline constexpr const char* kSndFileMediaTypes[] = {"audio/x-flac",   "audio/x-wav", "audio/x-rf64",    "audio/x-w64",
                                                     "audio/x-aiff",   "audio/x-au",  "application/ogg", "audio/ogg",
                                                     "audio/x-vorbis", "audio/x-opus"};
inline constexpr const char* kLibavMediaTypes[] = {"video/quicktime", "audio/x-m4a", "application/x-3gp",
                                                   "video/x-ms-asf"};

// Names of the graph's elements, in the order the audio flows through them.
inline constexpr char kSourceFilterName[] = "Source Filter";
inline constexpr char kGrabberName[] = "Audio Grabber";
inline constexpr char kNullRendererName[] = "NullRenderer";

// The message that tells the graph's watcher to stop.
inline constexpr char kStopWatchingMessage[] = "quillstar-stop-watching";

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
