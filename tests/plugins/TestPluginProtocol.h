#pragma once

#include <cstddef>
#include <cstdint>

// What the test plug-in (TestDecoderPlugin.cpp) and the tests agree on. The
// plug-in's behaviour is chosen by words in the file name it is asked to play:
//   "fail"     Play fails
//   "mute"     Play succeeds but the output is never opened
//   "mono22k"  the output is opened as 22050 Hz mono instead of CD format
//   "8bit", "24bit"  the output is opened with that many bits per sample
//   "stream"   a thread writes kStreamBytes of the pattern, asking CanWrite
//              first, and posts WM_PLUGIN_EOF once the output drained
//   "stall"    a thread writes kStallBytes of the pattern, then nothing more
//              and no notification
//   "claimed"  IsOurFile claims the file
namespace testplugin {

inline constexpr char kTestPluginFolder[] = "test-plugins";
inline constexpr char kPlaysFile[] = "TestDecoder.so";
inline constexpr char kSilentFile[] = "NoOutputDecoder.so";
inline constexpr char kExtensions[] = "TST;WAV";
inline constexpr int kLengthMs = 10000;
inline constexpr size_t kStreamBytes = 300000;
inline constexpr size_t kStallBytes = 88200;  // half a second of CD audio
// Not a whole number of 24-bit stereo frames: a piece may end inside one.
inline constexpr int kPieceBytes = 4000;

// Counts of the module's calls: "init", "quit", "play", "stop".
inline constexpr char kCountFunction[] = "TestPluginCount";
using CountFunction = int (*)(const char* what);

inline uint8_t PatternByte(size_t index)
{
    return static_cast<uint8_t>(index * 7 + index / 4099);
}

}  // namespace testplugin
