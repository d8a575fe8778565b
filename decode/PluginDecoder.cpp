#include "decode/PluginDecoder.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "decode/WavOutputEmulator.h"
#include "platform/Trace.h"
#include "resources/Plugins.h"

namespace quillstar {
namespace {

std::string ToLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The text after the file name's last dot when it is one to three characters
// long, lower-cased; "wav" otherwise. Only the file name counts, so a dot in a
// folder name is no extension, and an empty extension matches no list.
std::string ExtensionOf(const std::string& path)
{
    const size_t nameStart = path.find_last_of('/') + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return plugin::kDefaultExtension;
    const std::string extension = path.substr(dot + 1);
    if (extension.empty() || extension.size() > 3)
        return plugin::kDefaultExtension;
    return ToLower(extension);
}

// The samples of an output opened with that many bits; none for a width no
// converter reads.
std::optional<SampleFormat> IntegerSamplesOf(int bitsPerSample)
{
    switch (bitsPerSample) {
    case 8:
        return SampleFormat::UInt8;
    case 16:
        return SampleFormat::Int16;
    case 24:
        return SampleFormat::Int24;
    case 32:
        return SampleFormat::Int32;
    default:
        return std::nullopt;
    }
}

}  // namespace

PluginDecoder::PluginDecoder() : PluginDecoder(PluginRegistry::Process()) {}

PluginDecoder::PluginDecoder(const PluginRegistry& registry) : registry_(registry) {}

PluginDecoder::~PluginDecoder()
{
    Close();
}

bool PluginDecoder::Open(const std::string& path)
{
    Close();
    WavOutputEmulator::Instance().PrepareForPlay();
    readBlockSize_ = plugin::kReadBlockSize;

    const PluginRecord* chosen = ChoosePlugin(path);
    if (chosen == nullptr) {
        Trace("PluginDecoder: no plug-in handles %s\n", path.c_str());
        return false;
    }
    record_ = *chosen;
    if (record_.module->UsesOutputPlug == 0)
        return false;
    WavOutputEmulator::Instance().InstallInto(*record_.module);

    channels_ = plugin::kPresetChannels;
    sampleRate_ = plugin::kPresetSampleRate;
    sampleFormat_ = SampleFormat::Int16;
    return StartPlaying(path);
}

const PluginRecord* PluginDecoder::ChoosePlugin(const std::string& path) const
{
    const std::string extension = ExtensionOf(path);
    for (const PluginRecord& record : registry_.Records()) {
        if (record.module->IsOurFile(path.c_str()) != 0)
            return &record;
        if (ToLower(record.extensions).find(extension) != std::string::npos)
            return &record;
    }
    return nullptr;
}

bool PluginDecoder::StartPlaying(const std::string& path)
{
    WavOutputEmulator& output = WavOutputEmulator::Instance();
    In_Module& module = *record_.module;
    if (module.Play(path.c_str()) != 0) {
        Trace("PluginDecoder: %s cannot play %s\n", record_.fileName.c_str(), path.c_str());
        return false;
    }
    // A plug-in that never opens its output would hold the decode thread
    // forever; past the bound, or on a stop, it is stopped and the track
    // fails.
    const auto giveUp = [&] {
        output.Stop();
        module.Stop();
        return false;
    };
    if (!output.WaitUntilOpened(plugin::kOpenTimeoutMs)) {
        if (!output.IsStopped())
            Trace("%s", plugin::kTraceOpenTimedOut);
        return giveUp();
    }
    const OutputFormat format = output.Format();
    const std::optional<SampleFormat> samples = IntegerSamplesOf(format.bitsPerSample);
    if (!samples) {
        Trace(plugin::kTraceOutputWidth, format.bitsPerSample);
        return giveUp();
    }
    channels_ = format.channels;
    sampleRate_ = format.sampleRate;
    sampleFormat_ = *samples;
    playing_ = true;
    return true;
}

int PluginDecoder::Close()
{
    if (playing_) {
        // The plug-in's thread may be waiting in Write for room that will
        // never come; the stop releases it so that the module's Stop returns.
        WavOutputEmulator::Instance().Stop();
        record_.module->Stop();
    }
    playing_ = false;
    return 1;
}

int PluginDecoder::Read(uint8_t* buffer, int length)
{
    if (!playing_)
        return 0;
    const OutputRing::ReadResult result =
        WavOutputEmulator::Instance().Ring().Read(buffer, length, plugin::kReadTimeoutMs);
    if (result.end == OutputRing::ReadEnd::TimedOut)
        Trace("%s", plugin::kTraceReadTimedOut);
    return result.bytes;
}

}  // namespace quillstar
