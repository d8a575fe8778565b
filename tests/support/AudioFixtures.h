#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TemporaryFolder.h"

namespace quillstar {
class PluginRegistry;
}

namespace quillstar::test {

// Writes a WAV of a 440 Hz tone (880 Hz on a second channel) with a little
// noise, in 8-bit (unsigned), 16-bit or 24-bit samples. False when
// libsndfile cannot write it.
bool WriteWav(const std::string& path, int sampleRate, int channels, int bits, int64_t frames);
// A WAV file's samples as libsndfile reads them in 16 bits, as bytes.
std::vector<uint8_t> ReadWavSamples(const std::string& path);

// True when the program is found on PATH.
bool HaveProgram(const std::string& name);
// Runs the program with its output silenced; true when it exits with 0.
bool RunProgram(const std::vector<std::string>& arguments);
// Encodes a WAV with lame (MP3) or twolame (MP2) and the given options.
bool EncodeMp3(const std::string& wav, const std::string& mp3, const std::vector<std::string>& options);
bool EncodeMp2(const std::string& wav, const std::string& mp2, const std::vector<std::string>& options);
// A WMA (WMA 2 in ASF) of a 523 Hz tone, `buffers` buffers of 1024 samples
// long. False when GStreamer's WMA encoder or ASF muxer is not installed.
bool MakeWma(const std::string& path, int sampleRate, int channels, int buffers);

// libmpg123's own decode of the whole file with the program's settings, in
// a plain read loop; empty when nothing decodes.
std::vector<uint8_t> DecodeWithMpg123(const std::string& path);
// The audio of a file decoded by GStreamer to 16-bit interleaved samples in
// the file's own rate and channel count.
struct DecodedAudio {
    std::vector<uint8_t> pcm;
    int sampleRate = 0;
    int channels = 0;
};
DecodedAudio DecodeWithGStreamer(const std::string& path);

// The threads of this process that carry its own name: the ones it started
// itself (GStreamer and GLib name theirs).
int CountProgramThreads();
// Fills the program's plug-in registry from Decoders/ once per process.
void ScanPluginsOnce();
// A registry of the test plug-in (tests/plugins/TestPluginProtocol.h), made
// once per process.
const PluginRegistry& TestPlugins();

}  // namespace quillstar::test
