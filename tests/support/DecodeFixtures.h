#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillstar {
class PluginRegistry;
}

namespace quillstar::test {

// Writes a WAV of a tone with a little noise in 8-bit (unsigned), 16-bit or
// 24-bit samples. False when libsndfile cannot write it.
bool WriteWav(const std::string& path, int sampleRate, int channels, int bits, int64_t frames);

// A WAV file's samples as libsndfile reads them in 16 bits, as bytes.
std::vector<uint8_t> ReadWavSamples(const std::string& path);

// Runs a gst-launch style pipeline to its end; false when an element is
// missing or the pipeline fails.
bool RunGStreamerPipeline(const std::string& description);
// A WMA (WMA 2 in ASF) of a tone, `buffers` buffers of 1024 samples long.
// False when GStreamer's WMA encoder or ASF muxer is not installed.
bool MakeWma(const std::string& path, int sampleRate, int channels, int buffers);
// A Matroska file with a short video stream first and a one-second audio
// stream second, or with the video alone.
bool MakeVideoFirst(const std::string& path, bool withAudio);

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
