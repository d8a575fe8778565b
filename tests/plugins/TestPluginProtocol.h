#pragma once

#include <cstddef>
#include <cstdint>

// What the test plug-in (TestDecoderPlugin.cpp) and the tests agree on. The
// plug-in's behaviour is chosen by words in the file name it is asked to play:
//   "fail"     Play fails
//   "mute"     Play succeeds but the output is never opened
//   "mono22k"  the output is opened as 22050 Hz mono instead of CD format
//   "claimed"  IsOurFile claims the file
// Otherwise the output is opened in CD format and nothing is written to it.
namespace testplugin {

inline constexpr char kTestPluginFolder[] = "test-plugins";
inline constexpr char kPlaysFile[] = "TestDecoder.so";
inline constexpr char kSilentFile[] = "NoOutputDecoder.so";
inline constexpr char kExtensions[] = "TST;WAV";

// Counts of the module's calls: "init", "quit", "stop".
inline constexpr char kCountFunction[] = "TestPluginCount";
using CountFunction = int (*)(const char* what);

}  // namespace testplugin
