#include "AudioFixtures.h"

#include <fcntl.h>
#include <gst/gst.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numbers>
#include <thread>

#include "TestPluginProtocol.h"
#include "decode/GStreamerSupport.h"
#include "decode/MpegFile.h"
#include "decode/PluginRegistry.h"
#include "platform/ProgramPath.h"

extern char** environ;

namespace quillstar::test {

bool WriteWav(const std::string& path, int sampleRate, int channels, int bits, int64_t frames)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | (bits == 8 ? SF_FORMAT_PCM_U8 : bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        return false;
    std::vector<int> samples(static_cast<size_t>(frames * channels));
    uint32_t noise = 4321;
    for (int64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double tone = 0.5 * std::sin(2 * std::numbers::pi * 440.0 * (c + 1) * i / sampleRate);
            const double value = tone + 0.02 * ((noise >> 16) / 32768.0 - 1.0);
            samples[static_cast<size_t>(i * channels + c)] = static_cast<int>(value * 2147483647.0);
        }
    }
    const sf_count_t written = sf_writef_int(file, samples.data(), frames);
    sf_close(file);
    return written == frames;
}

std::vector<uint8_t> ReadWavSamples(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(info.frames * info.channels * 2));
    sf_readf_short(file, reinterpret_cast<short*>(bytes.data()), info.frames);
    sf_close(file);
    return bytes;
}

bool HaveProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        if (access((folders.substr(start, end - start) + "/" + name).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool RunProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool EncodeMp3(const std::string& wav, const std::string& mp3, const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{"lame", "--quiet"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {wav, mp3});
    return RunProgram(arguments);
}

bool EncodeMp2(const std::string& wav, const std::string& mp2, const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{"twolame", "-t", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {wav, mp2});
    return RunProgram(arguments);
}

namespace {

// Runs a gst-launch style pipeline to its end; false when an element is
// missing or the pipeline fails.
bool RunGStreamerPipeline(const std::string& description)
{
    if (!InitGStreamer())
        return false;
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (error != nullptr) {
        g_clear_error(&error);
        if (pipeline != nullptr)
            gst_object_unref(pipeline);
        return false;
    }
    bool ended = false;
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) {
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 30 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        ended = message != nullptr && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (message != nullptr)
            gst_message_unref(message);
        gst_object_unref(bus);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ended;
}

GstFlowReturn TakeSample(GstElement* sink, gpointer audio)
{
    GstSample* sample = nullptr;
    g_signal_emit_by_name(sink, "pull-sample", &sample);
    if (sample == nullptr)
        return GST_FLOW_EOS;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        auto& pcm = static_cast<DecodedAudio*>(audio)->pcm;
        pcm.insert(pcm.end(), map.data, map.data + map.size);
        gst_buffer_unmap(buffer, &map);
    }
    GstStructure* format = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
    gst_structure_get_int(format, "rate", &static_cast<DecodedAudio*>(audio)->sampleRate);
    gst_structure_get_int(format, "channels", &static_cast<DecodedAudio*>(audio)->channels);
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

}  // namespace

bool MakeWma(const std::string& path, int sampleRate, int channels, int buffers)
{
    // The encoder wants whole 1024-sample buffers: odd sizes crash it at
    // 22050 Hz mono.
    return RunGStreamerPipeline("audiotestsrc wave=sine freq=523 num-buffers=" + std::to_string(buffers) +
                                " samplesperbuffer=1024 ! audio/x-raw,rate=" + std::to_string(sampleRate) +
                                ",channels=" + std::to_string(channels) +
                                " ! audioconvert ! avenc_wmav2 ! avmux_asf ! filesink location=\"" + path + "\"");
}

std::vector<uint8_t> DecodeWithMpg123(const std::string& path)
{
    std::vector<uint8_t> pcm;
    MpegFile file;
    if (!file.Open(path))
        return pcm;
    std::vector<uint8_t> buffer(16384);
    for (;;) {
        size_t done = 0;
        const int result = mpg123_read(file.Handle(), buffer.data(), buffer.size(), &done);
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(done));
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return pcm;
    }
}

DecodedAudio DecodeWithGStreamer(const std::string& path)
{
    DecodedAudio audio;
    if (!InitGStreamer())
        return audio;
    GstElement* pipeline = gst_parse_launch(("filesrc location=\"" + path +
                                             "\" ! decodebin ! audioconvert ! "
                                             "audio/x-raw,format=S16LE,layout=interleaved ! "
                                             "appsink name=sink sync=false emit-signals=true")
                                                .c_str(),
                                            nullptr);
    if (pipeline == nullptr)
        return audio;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_signal_connect(sink, "new-sample", G_CALLBACK(TakeSample), &audio);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND,
                                                     static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (message != nullptr)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return audio;
}

int CountProgramThreads()
{
    // ThreadSanitizer starts a thread of its own with the program's first
    // one: started here first, it is in every count.
    static std::once_flag once;
    std::call_once(once, [] { std::thread([] {}).join(); });
    const auto nameOf = [](const std::filesystem::path& folder) {
        std::string name;
        std::getline(std::ifstream(folder / "comm"), name);
        return name;
    };
    const std::string program = nameOf("/proc/self");
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
        count += nameOf(task.path()) == program;
    return count;
}

void ScanPluginsOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { ScanDecoderPlugins(); });
}

const PluginRegistry& TestPlugins()
{
    static PluginRegistry plugins;
    static std::once_flag once;
    std::call_once(once, [] { plugins.Scan(ProgramDirectory() + "/" + testplugin::kTestPluginFolder); });
    return plugins;
}

}  // namespace quillstar::test
