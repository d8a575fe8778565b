// The MP3 plug-in behind PluginDecoder, on files made for each test with lame
// and twolame.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "decode/MpegLength.h"
#include "decode/PluginDecoder.h"
#include "decode/PluginRegistry.h"
#include "platform/TraceCapture.h"
#include "resources/Plugins.h"

using namespace quillstar;

namespace {

struct Encoding {
    const char* name;
    int sampleRate;
    int channels;
    const char* encoder;  // "lame" or "twolame"
    std::vector<std::string> options;
};

std::ostream& operator<<(std::ostream& out, const Encoding& encoding)
{
    return out << encoding.name;
}

const Encoding kCbr{"cbr.mp3", 44100, 2, "lame", {"-b", "128"}};
const Encoding kVbr{"vbr.mp3", 44100, 2, "lame", {"-V", "2"}};
const Encoding kMono{"mono.mp3", 44100, 1, "lame", {"-m", "m", "-b", "64"}};

// The plug-in and the decode thread's side of a run; each track ends on the
// plug-in's notification.
class MpegPlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry_.Scan(DecoderPluginFolder());
        ASSERT_EQ(registry_.Records().size(), 1u) << "MpegDecoder.so was not built into " << DecoderPluginFolder();
    }

    // Skips the test when the encoder is not installed.
    std::string Make(const Encoding& encoding, double seconds = 2.5)
    {
        if (!test::HaveProgram(encoding.encoder)) {
            missingEncoder_ = encoding.encoder;
            return {};
        }
        const std::string wav = folder_.File(std::string(encoding.name) + ".wav");
        const std::string path = folder_.File(encoding.name);
        wavFrames_ = static_cast<int64_t>(seconds * encoding.sampleRate);
        EXPECT_TRUE(test::WriteWav(wav, encoding.sampleRate, encoding.channels, 16, wavFrames_));
        const bool encoded = std::string(encoding.encoder) == "lame" ? test::EncodeMp3(wav, path, encoding.options)
                                                                     : test::EncodeMp2(wav, path, encoding.options);
        EXPECT_TRUE(encoded) << encoding.encoder << " failed on " << encoding.name;
        return path;
    }

    // Decodes as the decode thread does: one decoder per track, blocks of its
    // read-block size until a read returns 0.
    std::vector<uint8_t> DecodeThroughPlugin(const std::string& path)
    {
        PluginDecoder decoder(registry_);
        std::vector<uint8_t> pcm;
        if (!decoder.Open(path))
            return pcm;
        std::vector<uint8_t> block(static_cast<size_t>(decoder.ReadBlockSize()));
        for (int bytes; (bytes = decoder.Read(block.data(), decoder.ReadBlockSize())) > 0;)
            pcm.insert(pcm.end(), block.begin(), block.begin() + bytes);
        decoder.Close();
        return pcm;
    }

    test::TemporaryFolder folder_;
    PluginRegistry registry_;
    int64_t wavFrames_ = 0;
    std::string missingEncoder_;
};

#define MAKE_OR_SKIP(variable, ...)                                                                        \
    const std::string variable = Make(__VA_ARGS__);                                                        \
    if (!missingEncoder_.empty())                                                                          \
        GTEST_SKIP() << missingEncoder_ << " is not installed, so no test file can be made for this test " \
                     << "(scripts/install-deps installs it)";                                              \
    ASSERT_FALSE(variable.empty())

class EveryKindOfStream : public MpegPlugin, public ::testing::WithParamInterface<Encoding> {};

TEST_P(EveryKindOfStream, DecodesLikeLibmpg123ToTheSampleAndEndsOnItsNotification)
{
    const Encoding& encoding = GetParam();
    MAKE_OR_SKIP(path, encoding);
    const std::vector<uint8_t> reference = test::DecodeWithMpg123(path);
    ASSERT_FALSE(reference.empty());

    TraceCapture trace;
    PluginDecoder decoder(registry_);
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.SampleRate(), encoding.sampleRate);
    EXPECT_EQ(decoder.Channels(), encoding.channels);
    decoder.Close();

    const std::vector<uint8_t> pcm = DecodeThroughPlugin(path);
    EXPECT_EQ(pcm.size(), reference.size());
    EXPECT_TRUE(pcm == reference)
        << "the plug-in's PCM differs from libmpg123's at byte "
        << std::distance(pcm.begin(), std::mismatch(pcm.begin(), pcm.end(), reference.begin(), reference.end()).first);
    EXPECT_EQ(trace.Count(plugin::kTraceReadTimedOut), 0);

    const auto length = MeasureMpegLength(path);
    ASSERT_TRUE(length.has_value());
    EXPECT_EQ(length->frames * length->channels * 2, static_cast<int64_t>(pcm.size()));
    EXPECT_EQ(length->sampleRate, encoding.sampleRate);
    // lame's tag names its delay and padding: gapless decoding gives back
    // exactly the samples that were encoded.
    if (std::string(encoding.encoder) == "lame") {
        EXPECT_EQ(length->frames, wavFrames_);
    }
}

INSTANTIATE_TEST_SUITE_P(
    MpegAudio, EveryKindOfStream,
    ::testing::Values(
        kCbr, kVbr, kMono, Encoding{"rate48k.mp3", 48000, 2, "lame", {"-b", "160", "--resample", "48"}},
        Encoding{"rate22k.mp3", 22050, 2, "lame", {"-b", "64", "--resample", "22.05"}},
        Encoding{"rate8k.mp3", 8000, 1, "lame", {"-m", "m", "-b", "64", "--resample", "8"}},
        Encoding{"tagged.mp3", 44100, 2, "lame", {"-b", "128", "--tt", "Title", "--ta", "Artist", "--add-id3v2"}},
        Encoding{"layer2.mp2", 44100, 2, "twolame", {"-b", "192"}},
        Encoding{"layer2mono48k.mp2", 48000, 1, "twolame", {"-m", "m", "-b", "96"}}),
    [](const ::testing::TestParamInfo<Encoding>& info) {
        std::string name = info.param.name;
        return name.substr(0, name.find('.'));
    });

TEST_F(MpegPlugin, ATruncatedFileDeliversWhatDecodes)
{
    MAKE_OR_SKIP(whole, kCbr);
    std::vector<uint8_t> bytes = test::ReadFileBytes(whole);
    bytes.resize(bytes.size() * 6 / 10 + 77);
    const std::string truncated = folder_.File("truncated.mp3");
    ASSERT_TRUE(test::WriteFileBytes(truncated, bytes));

    TraceCapture trace;
    const std::vector<uint8_t> pcm = DecodeThroughPlugin(truncated);
    EXPECT_GT(pcm.size(), test::DecodeWithMpg123(whole).size() / 2);
    EXPECT_TRUE(pcm == test::DecodeWithMpg123(truncated));
    EXPECT_EQ(trace.Count(plugin::kTraceReadTimedOut), 0);
}

}  // namespace
