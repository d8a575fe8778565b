#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "decode/AcmConverter.h"
#include "resources/DecodeConstants.h"

using namespace quillstar;

namespace {

std::vector<uint8_t> Sine16(int rate, int frames, double frequency, double amplitude)
{
    std::vector<uint8_t> bytes(frames * 2);
    for (int i = 0; i < frames; ++i) {
        const auto s =
            static_cast<int16_t>(std::lrint(amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * i / rate)));
        std::memcpy(&bytes[i * 2], &s, 2);
    }
    return bytes;
}

std::vector<int16_t> AsSamples(const uint8_t* data, int length)
{
    std::vector<int16_t> samples(length / 2);
    std::memcpy(samples.data(), data, samples.size() * 2);
    return samples;
}

// Converts a whole stream in pieces of the given size, then flushes.
std::vector<int16_t> ConvertStream(AcmConverter& converter, const std::vector<uint8_t>& input, size_t piece)
{
    std::vector<int16_t> output;
    const uint8_t* out = nullptr;
    int outLength = 0;
    for (size_t at = 0; at < input.size(); at += piece) {
        const int length = static_cast<int>(std::min(piece, input.size() - at));
        EXPECT_EQ(converter.Convert(input.data() + at, length, out, outLength), decode::kStatusOk);
        const auto samples = AsSamples(out, outLength);
        output.insert(output.end(), samples.begin(), samples.end());
    }
    EXPECT_EQ(converter.Flush(out, outLength), decode::kStatusOk);
    const auto tail = AsSamples(out, outLength);
    output.insert(output.end(), tail.begin(), tail.end());
    return output;
}

}  // namespace

TEST(AcmConverter, SineAt22050KeepsItsFrequencyWithNothingElseWithin80Decibels)
{
    constexpr double kAmplitude = 0.9;
    AcmConverter converter;
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(22050, 1, 16), WaveFormat::Cd()), decode::kStatusOk);
    const auto output = ConvertStream(converter, Sine16(22050, 2 * 22050, 1000, kAmplitude), 4410);
    ASSERT_NEAR(output.size() / 2.0, 2 * 44100, 1);

    // One second from the middle holds exactly 1000 periods: fit the 1 kHz
    // sine and measure what is left over.
    constexpr int kStart = 22050, kLength = 44100;
    double sinPart = 0, cosPart = 0;
    for (int n = 0; n < kLength; ++n) {
        const double x = output[2 * (kStart + n)] / 32768.0;
        ASSERT_EQ(output[2 * (kStart + n)], output[2 * (kStart + n) + 1]);
        sinPart += x * std::sin(2 * std::numbers::pi * 1000 * n / 44100);
        cosPart += x * std::cos(2 * std::numbers::pi * 1000 * n / 44100);
    }
    sinPart *= 2.0 / kLength;
    cosPart *= 2.0 / kLength;
    double residual = 0;
    for (int n = 0; n < kLength; ++n) {
        const double phase = 2 * std::numbers::pi * 1000 * n / 44100;
        const double e = output[2 * (kStart + n)] / 32768.0 - sinPart * std::sin(phase) - cosPart * std::cos(phase);
        residual += e * e;
    }
    residual /= kLength;
    const double amplitude = std::hypot(sinPart, cosPart);
    EXPECT_NEAR(amplitude, kAmplitude, 0.01);
    EXPECT_GE(10 * std::log10(amplitude * amplitude / 2 / residual), 80.0);
}

// The converter makes CD audio of what the decoders hand over whatever its
// rate and channels.
TEST(AcmConverter, WholeStreamsOfAnySizeGiveTheCdNumberOfFramesWhateverThePieces)
{
    struct Case {
        int rate, channels;
        size_t bytes;
    };
    const size_t kTwoMiB = 2 * decode::kConverterBufferSize;
    // Beyond the converter's buffer sizes: 2 MiB in, or 8 times as much out as in.
    for (const Case c : {Case{22050, 1, 60022}, Case{48000, 1, 60022}, Case{32000, 1, 60022}, Case{11025, 1, kTwoMiB},
                         Case{48000, 2, kTwoMiB}, Case{22050, 1, 4410}}) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channels");
        const auto input = Sine16(c.rate, static_cast<int>(c.bytes / 2), 440, 0.5);
        AcmConverter converter;
        ASSERT_EQ(converter.Open(WaveFormat::Pcm(c.rate, c.channels, 16), WaveFormat::Cd()), decode::kStatusOk);
        const auto whole = ConvertStream(converter, input, input.size());
        const double frames = static_cast<double>(c.bytes) / (c.channels * 2);
        EXPECT_NEAR(whole.size() / 2.0, frames * 44100 / c.rate, 1);
        // Converted again in odd pieces after the flush: the same samples.
        EXPECT_EQ(ConvertStream(converter, input, 1236), whole);
    }
}

// The decoders hand over 16-bit samples or 32-bit floats.
TEST(AcmConverter, At44100MonoAndFloatsBecomeStereoExactlyAndSixChannelsMixDownWithoutClipping)
{
    AcmConverter converter;
    const uint8_t* out = nullptr;
    int outLength = 0;
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(44100, 1, 16), WaveFormat::Cd()), decode::kStatusOk);
    const int16_t mono[] = {-32768, -1, 0, 1, 32767};
    ASSERT_EQ(converter.Convert(reinterpret_cast<const uint8_t*>(mono), sizeof mono + 1, out, outLength), 0);
    EXPECT_EQ(AsSamples(out, outLength), (std::vector<int16_t>{-32768, -32768, -1, -1, 0, 0, 1, 1, 32767, 32767}));
    ASSERT_EQ(converter.Flush(out, outLength), decode::kStatusOk);
    EXPECT_EQ(outLength, 0);

    ASSERT_EQ(converter.Open(WaveFormat::Float(44100, 1), WaveFormat::Cd()), decode::kStatusOk);
    const float floats[] = {-1.0f, 0.5f, 2.0f};
    ASSERT_EQ(converter.Convert(reinterpret_cast<const uint8_t*>(floats), sizeof floats, out, outLength), 0);
    EXPECT_EQ(AsSamples(out, outLength), (std::vector<int16_t>{-32768, -32768, 16384, 16384, 32767, 32767}));

    // Six channels (front left, front right, centre, low frequency, back
    // left, back right), mixed as the ITU does: the left ones reach only the
    // left side at 1 : 0.707 : 0.707 for front, centre and back, the low
    // frequencies not at all, and a full mix does not clip.
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(44100, 6, 16), WaveFormat::Cd()), decode::kStatusOk);
    const int16_t surround[] = {24000, 0, 0, 0,     0, 0, 0,     0,     24000, 0,     0,     0,
                                0,     0, 0, 24000, 0, 0, 32767, 32767, 32767, 32767, 32767, 32767};
    ASSERT_EQ(converter.Convert(reinterpret_cast<const uint8_t*>(surround), sizeof surround, out, outLength), 0);
    const auto front = static_cast<int16_t>(std::lrint(24000 / (1 + 2 * 0.7071)));
    const auto centre = static_cast<int16_t>(std::lrint(24000 * 0.7071 / (1 + 2 * 0.7071)));
    EXPECT_EQ(AsSamples(out, outLength), (std::vector<int16_t>{front, 0, centre, centre, 0, 0, 32767, 32767}));
}

TEST(AcmConverter, FormatsItCannotConvertFailOpenAndAClosedConverterFails)
{
    WaveFormat doubles = WaveFormat::Float(48000, 2);
    doubles.bitsPerSample = 64;
    for (const auto& source : {doubles, WaveFormat::Pcm(48000, 0, 16), WaveFormat::Pcm(0, 2, 16)}) {
        AcmConverter converter;
        EXPECT_EQ(converter.Open(source, WaveFormat::Cd()), decode::kStatusFailed)
            << source.channels << " " << source.samplesPerSec;
        EXPECT_FALSE(converter.IsOpen());
    }
    AcmConverter converter;
    EXPECT_EQ(converter.Open(WaveFormat::Pcm(48000, 2, 16), WaveFormat::Pcm(48000, 2, 16)), decode::kStatusFailed);
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(22050, 1, 16), WaveFormat::Cd()), decode::kStatusOk);
    converter.Close();
    converter.Close();
    const uint8_t data[4] = {};
    const uint8_t* out = data;
    int outLength = 7;
    EXPECT_EQ(converter.Convert(data, sizeof data, out, outLength), decode::kStatusFailed);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(outLength, 0);
}
