// Every kind of file a burn takes, through AddTrack, OpenTrack and ReadAudio:
// the probed length agrees with what the decoders deliver, and the track
// comes out as 44100 Hz stereo of exactly its byte count.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "DecodeFixtures.h"
#include "TrackReader.h"
#include "decode/AudioTrackSource.h"
#include "decode/DecodeEngine.h"
#include "platform/TraceCapture.h"
#include "resources/DecodeEngineTexts.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

enum class Kind { Wav, Mp3, Wma };

struct Format {
    const char* name;
    Kind kind;
    int sampleRate;
    int channels;
    int bits;  // WAV only
    std::vector<std::string> lameOptions;
};

std::ostream& operator<<(std::ostream& out, const Format& format)
{
    return out << format.name;
}

// The WAV tone is 440 Hz (880 Hz on a second channel); the WMA tone 523 Hz.
constexpr double kWavTone = 440.0;
constexpr double kWmaTone = 523.0;
constexpr double kSeconds = 1.3;
// WMA keeps its length in milliseconds and its decoder adds a few samples.
constexpr double kWmaLengthTolerance = 0.003;

bool IsCdFormat(const Format& format)
{
    return format.sampleRate == 44100 && format.channels == 2 && (format.kind != Kind::Wav || format.bits == 16);
}

std::string ResampleText(const Format& format)
{
    char text[256];
    std::snprintf(text, sizeof text, engine::kTraceResample, static_cast<unsigned long>(format.sampleRate), 16ul,
                  static_cast<unsigned long>(format.channels));
    return text;
}

class EveryFormat : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override { ScanPluginsOnce(); }

    // Empty when the tool to make the file is missing.
    std::string Make(const Format& format)
    {
        const std::string path = folder_.PathOf(format.name);
        const auto frames = static_cast<int64_t>(kSeconds * format.sampleRate) + 6;  // odd at 22050 Hz
        switch (format.kind) {
        case Kind::Wav:
            EXPECT_TRUE(WriteWav(path, format.sampleRate, format.channels, format.bits, frames));
            return path;
        case Kind::Mp3: {
            if (!HaveProgram("lame"))
                return {};
            const std::string wav = path + ".wav";
            EXPECT_TRUE(WriteWav(wav, format.sampleRate, format.channels, 16, frames));
            EXPECT_TRUE(EncodeMp3(wav, path, format.lameOptions));
            return path;
        }
        case Kind::Wma:
            return MakeWma(path, format.sampleRate, format.channels,
                           static_cast<int>(kSeconds * format.sampleRate / 1024))
                       ? path
                       : std::string();
        }
        return {};
    }

    // Frames per channel the file's own decoder gives, in the file's rate.
    static double DecodedSeconds(const std::string& path, const Format& format)
    {
        if (format.kind == Kind::Wma) {
            const DecodedAudio audio = DecodeWithGStreamer(path);
            return audio.sampleRate > 0 ? audio.pcm.size() / (2.0 * audio.channels * audio.sampleRate) : 0.0;
        }
        auto decoder = DecodeEngine::CreateDecoder(path);
        EXPECT_TRUE(decoder->Open(path));
        std::vector<uint8_t> block(static_cast<size_t>(decoder->ReadBlockSize()));
        int64_t bytes = 0;
        for (int got; (got = decoder->Read(block.data(), decoder->ReadBlockSize())) > 0;)
            bytes += got;
        EXPECT_EQ(decoder->SampleRate(), format.sampleRate);
        EXPECT_EQ(decoder->Channels(), format.channels);
        decoder->Close();
        return bytes / (2.0 * format.channels * format.sampleRate);
    }

    // The decoded PCM a CD-format file must come out as, unchanged.
    static std::vector<uint8_t> Reference(const std::string& path, const Format& format)
    {
        switch (format.kind) {
        case Kind::Wav:
            return ReadWavSamples(path);
        case Kind::Mp3:
            return DecodeWithMpg123(path);
        case Kind::Wma:
            return DecodeWithGStreamer(path).pcm;
        }
        return {};
    }

    FixtureFolder folder_;
};

}  // namespace

TEST_P(EveryFormat, ProbesItsDecodedLengthAndBurnsAsCdAudioOfExactlyItsByteCount)
{
    const Format& format = GetParam();
    const std::string path = Make(format);
    if (path.empty())
        GTEST_SKIP() << "the encoder for " << format.name << " is not installed (scripts/install-deps installs it)";

    AudioTrackSource source;
    const double seconds = source.AddTrack(path);
    ASSERT_GT(seconds, 1.0);
    const double decoded = DecodedSeconds(path, format);
    if (format.kind == Kind::Wma)
        EXPECT_NEAR(decoded, seconds, kWmaLengthTolerance);
    else
        EXPECT_EQ(std::llround(decoded * format.sampleRate), std::llround(seconds * format.sampleRate));

    TraceCapture trace;
    const TrackRead read = ReadTrack(source, 0);
    ASSERT_EQ(static_cast<double>(read.pcm.size()), source.GetTrackBytes(0));
    EXPECT_EQ(read.lastLength, 0);
    double stoppedAt = 0;
    EXPECT_FALSE(source.GetTrackDamage(0, stoppedAt)) << "whole, yet reported damaged at " << stoppedAt;

    // What the decoders produced, in CD format, before the track was cut or
    // filled: the probed length to the sample, give or take the resampler's
    // rounding of the last one.
    const double produced = source.GetBytesDone();
    const double byteCount = source.GetTrackBytes(0);
    if (format.kind == Kind::Wma)
        EXPECT_NEAR(produced, byteCount, kWmaLengthTolerance * 176400);
    else if (IsCdFormat(format))
        EXPECT_EQ(produced, byteCount);
    else
        EXPECT_NEAR(produced, byteCount, 8.0);

    if (IsCdFormat(format)) {
        EXPECT_TRUE(trace.Contains(engine::kTraceNoResample));
        EXPECT_EQ(trace.Count(ResampleText(format)), 0);
        std::vector<uint8_t> reference = Reference(path, format);
        reference.resize(read.pcm.size(), 0);
        EXPECT_TRUE(read.pcm == reference) << "the CD-format PCM was changed on its way";
    } else {
        EXPECT_EQ(trace.Count(ResampleText(format)), 1);
        EXPECT_FALSE(trace.Contains(engine::kTraceNoResample));
    }

    // Played at 44100 Hz the tone keeps its pitch; a mono file plays on both
    // sides.
    const std::vector<int16_t> left = Channel(read.pcm, 0);
    const std::vector<int16_t> right = Channel(read.pcm, 1);
    const double tone = format.kind == Kind::Wma ? kWmaTone : kWavTone;
    EXPECT_NEAR(ToneFrequency(left), tone, tone * 0.02);
    if (format.channels == 1) {
        EXPECT_EQ(left, right);
    } else if (format.kind != Kind::Wma) {
        EXPECT_NEAR(ToneFrequency(right), 2 * tone, tone * 0.04);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, EveryFormat,
    ::testing::Values(Format{"cbr.mp3", Kind::Mp3, 44100, 2, 16, {"-b", "128"}},
                      Format{"vbr.mp3", Kind::Mp3, 44100, 2, 16, {"-V", "2"}},
                      Format{"rate48k.mp3", Kind::Mp3, 48000, 2, 16, {"-b", "160", "--resample", "48"}},
                      Format{"mono22k.mp3", Kind::Mp3, 22050, 1, 16, {"-m", "m", "-b", "64", "--resample", "22.05"}},
                      Format{"cd16.wav", Kind::Wav, 44100, 2, 16, {}},
                      Format{"rate48k24.wav", Kind::Wav, 48000, 2, 24, {}},
                      Format{"mono22k8.wav", Kind::Wav, 22050, 1, 8, {}}, Format{"cd.wma", Kind::Wma, 44100, 2, 16, {}},
                      Format{"mono22k.wma", Kind::Wma, 22050, 1, 16, {}}),
    [](const ::testing::TestParamInfo<Format>& info) {
        std::string name = info.param.name;
        name[name.find('.')] = '_';
        return name;
    });
