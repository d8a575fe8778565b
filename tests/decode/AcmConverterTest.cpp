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

std::vector<uint8_t> Ramp8(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
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

double ExpectedFrames(size_t frames, int rate)
{
    return static_cast<double>(frames) * 44100 / rate;
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

TEST(AcmConverter, WholeStreamsGiveTheCdNumberOfFrames)
{
    constexpr size_t kFrames = 30011;
    for (int rate : {22050, 48000, 32000, 11025}) {
        AcmConverter converter;
        ASSERT_EQ(converter.Open(WaveFormat::Pcm(rate, 1, 8), WaveFormat::Cd()), decode::kStatusOk);
        const auto output = ConvertStream(converter, Ramp8(kFrames), 1000);
        EXPECT_NEAR(output.size() / 2.0, ExpectedFrames(kFrames, rate), 1) << rate << " Hz";
    }

    AcmConverter converter;
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(22050, 1, 16), WaveFormat::Cd()), decode::kStatusOk);
    EXPECT_EQ(ConvertStream(converter, Sine16(22050, 2205, 440, 0.5), 4410).size() * 2, 17640u);
}

TEST(AcmConverter, StreamStateCarriesAcrossCallsAndFlushStartsAfresh)
{
    AcmConverter converter;
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(48000, 2, 16), WaveFormat::Cd()), decode::kStatusOk);
    const auto input = Sine16(48000, 48000, 440, 0.5);
    const auto whole = ConvertStream(converter, input, input.size());
    EXPECT_EQ(ConvertStream(converter, input, 1236), whole);
}

TEST(AcmConverter, At44100WidthAndChannelsAreConvertedExactly)
{
    AcmConverter converter;
    const uint8_t* out = nullptr;
    int outLength = 0;

    ASSERT_EQ(converter.Open(WaveFormat::Pcm(44100, 2, 8), WaveFormat::Cd()), decode::kStatusOk);
    const auto bytes = Ramp8(1000);
    ASSERT_EQ(converter.Convert(bytes.data(), 1000, out, outLength), decode::kStatusOk);
    ASSERT_EQ(outLength, 2000);
    const auto samples = AsSamples(out, outLength);
    for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(samples[i], (bytes[i] - 128) * 256);
    ASSERT_EQ(converter.Flush(out, outLength), decode::kStatusOk);
    EXPECT_EQ(outLength, 0);

    ASSERT_EQ(converter.Open(WaveFormat::Pcm(44100, 1, 16), WaveFormat::Cd()), decode::kStatusOk);
    const int16_t mono[] = {-32768, -1, 0, 1, 32767};
    ASSERT_EQ(converter.Convert(reinterpret_cast<const uint8_t*>(mono), sizeof mono + 1, out, outLength), 0);
    EXPECT_EQ(AsSamples(out, outLength), (std::vector<int16_t>{-32768, -32768, -1, -1, 0, 0, 1, 1, 32767, 32767}));

    ASSERT_EQ(converter.Open(WaveFormat::Pcm(44100, 2, 24), WaveFormat::Cd()), decode::kStatusOk);
    const uint8_t deep[] = {0x81, 0x34, 0x12, 0x7F, 0xCB, 0xED};  // 0x123481 and -0x123481
    ASSERT_EQ(converter.Convert(deep, sizeof deep, out, outLength), 0);
    EXPECT_EQ(AsSamples(out, outLength), (std::vector<int16_t>{0x1235, -0x1235}));

    ASSERT_EQ(converter.Open(WaveFormat::Pcm(44100, 1, 32), WaveFormat::Cd()), decode::kStatusOk);
    const int32_t wide[] = {0x7FFFFFFF, -0x40000000};
    ASSERT_EQ(converter.Convert(reinterpret_cast<const uint8_t*>(wide), sizeof wide, out, outLength), 0);
    EXPECT_EQ(AsSamples(out, outLength), (std::vector<int16_t>{32767, 32767, -16384, -16384}));

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

TEST(AcmConverter, InputBeyondTheBufferSizesConvertsInFull)
{
    const size_t kTwoMiB = 2 * decode::kConverterBufferSize;
    AcmConverter converter;
    const uint8_t* out = nullptr;
    int outLength = 0;

    // Sixteen times as much output as input, without resampling.
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(44100, 1, 8), WaveFormat::Cd()), decode::kStatusOk);
    const auto bytes = Ramp8(kTwoMiB);
    ASSERT_EQ(converter.Convert(bytes.data(), static_cast<int>(bytes.size()), out, outLength), 0);
    ASSERT_EQ(static_cast<size_t>(outLength), 4 * kTwoMiB);
    const auto samples = AsSamples(out, outLength);
    for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(samples[2 * i + 1], (bytes[i] - 128) * 256) << i;

    ASSERT_EQ(converter.Open(WaveFormat::Pcm(48000, 2, 16), WaveFormat::Cd()), decode::kStatusOk);
    const auto sine = Sine16(48000, kTwoMiB / 2, 440, 0.5);  // 2 MiB of stereo
    const auto output = ConvertStream(converter, sine, sine.size());
    EXPECT_NEAR(output.size() / 2.0, ExpectedFrames(kTwoMiB / 4, 48000), 1);

    ASSERT_EQ(converter.Open(WaveFormat::Pcm(11025, 1, 8), WaveFormat::Cd()), decode::kStatusOk);
    const auto expanded = ConvertStream(converter, Ramp8(kTwoMiB), kTwoMiB);
    EXPECT_NEAR(expanded.size() / 2.0, ExpectedFrames(kTwoMiB, 11025), 1);
}

TEST(AcmConverter, CloseTwiceIsHarmlessAndAClosedConverterFails)
{
    AcmConverter converter;
    converter.Close();
    ASSERT_EQ(converter.Open(WaveFormat::Pcm(22050, 1, 16), WaveFormat::Cd()), decode::kStatusOk);
    converter.Close();
    converter.Close();
    const uint8_t data[4] = {};
    const uint8_t* out = data;
    int outLength = 7;
    EXPECT_EQ(converter.Convert(data, sizeof data, out, outLength), decode::kStatusFailed);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(outLength, 0);
    EXPECT_EQ(converter.Flush(out, outLength), decode::kStatusFailed);
}

TEST(AcmConverter, FormatsItCannotConvertFailOpen)
{
    WaveFormat doubles = WaveFormat::Float(48000, 2);
    doubles.bitsPerSample = 64;
    WaveFormat badAlign = WaveFormat::Pcm(48000, 2, 16);
    badAlign.blockAlign = 3;
    const WaveFormat sources[] = {doubles,
                                  badAlign,
                                  WaveFormat::Pcm(48000, 2, 12),
                                  WaveFormat::Pcm(48000, 0, 16),
                                  WaveFormat::Pcm(0, 2, 16),
                                  WaveFormat::Pcm(48000, 2, 0)};
    for (const auto& source : sources) {
        AcmConverter converter;
        EXPECT_EQ(converter.Open(source, WaveFormat::Cd()), decode::kStatusFailed)
            << source.formatTag << " " << source.channels << " " << source.samplesPerSec << " " << source.bitsPerSample;
        EXPECT_FALSE(converter.IsOpen());
    }
    AcmConverter converter;
    EXPECT_EQ(converter.Open(WaveFormat::Pcm(48000, 2, 16), WaveFormat::Pcm(48000, 2, 16)), decode::kStatusFailed);
}
