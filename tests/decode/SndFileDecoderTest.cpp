#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "decode/SndFileDecoder.h"

using namespace quillstar;
namespace fs = std::filesystem;

namespace {

// The 16-bit value every test file holds at a frame and channel; 8-bit files
// keep only its high byte.
int16_t SampleValue(int64_t frame, int channel)
{
    return static_cast<int16_t>(frame * 37 + channel * 1000);
}

class SndFileDecoderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / ("quillstar-decode-" + std::to_string(getpid()) + "-" + test->name());
        fs::create_directories(folder_);
    }

    void TearDown() override { fs::remove_all(folder_); }

    std::string WriteWav(const std::string& name, int rate, int channels, int subtype, int64_t frames)
    {
        const std::string path = (folder_ / name).string();
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = SF_FORMAT_WAV | subtype;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
        std::vector<int> samples;
        for (int64_t f = 0; f < frames; ++f)
            for (int c = 0; c < channels; ++c)
                samples.push_back(Expected(f, c, subtype) * 65536);
        sf_write_int(file, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(file);
        return path;
    }

    std::string WriteText(const std::string& name, const std::string& text)
    {
        const std::string path = (folder_ / name).string();
        std::ofstream(path) << text;
        return path;
    }

    static int16_t Expected(int64_t frame, int channel, int subtype)
    {
        const int16_t value = SampleValue(frame, channel);
        return subtype == SF_FORMAT_PCM_U8 ? static_cast<int16_t>(value & 0xFF00) : value;
    }

    // Reads until a read returns 0, recording every read's size.
    static std::vector<int16_t> ReadAll(SndFileDecoder& decoder, std::vector<int>* sizes = nullptr)
    {
        std::vector<int16_t> samples;
        std::vector<int16_t> block(decoder.ReadBlockSize() / 2);
        for (int reads = 0; reads < 10000; ++reads) {
            const int got = decoder.Read(reinterpret_cast<uint8_t*>(block.data()), decoder.ReadBlockSize());
            if (sizes != nullptr)
                sizes->push_back(got);
            if (got == 0)
                break;
            samples.insert(samples.end(), block.begin(), block.begin() + got / 2);
        }
        return samples;
    }

    static void ExpectSamples(const std::vector<int16_t>& samples, int channels, int subtype, int64_t frames)
    {
        ASSERT_EQ(samples.size(), static_cast<size_t>(frames * channels));
        for (int64_t f = 0; f < frames; ++f)
            for (int c = 0; c < channels; ++c)
                ASSERT_EQ(samples[f * channels + c], Expected(f, c, subtype)) << "frame " << f;
    }

    fs::path folder_;
};

}  // namespace

TEST_F(SndFileDecoderTest, ReadsAOneSecondCdWavInBlocksOf12000Bytes)
{
    const auto path = WriteWav("cd.wav", 44100, 2, SF_FORMAT_PCM_16, 44100);
    SndFileDecoder decoder;
    EXPECT_EQ(decoder.FormatName(), "wav");
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.Channels(), 2);
    EXPECT_EQ(decoder.SampleRate(), 44100);
    EXPECT_EQ(decoder.GetBitrate(), 1411200);
    EXPECT_EQ(decoder.ReadBlockSize(), 12000);

    std::vector<int> sizes;
    const auto samples = ReadAll(decoder, &sizes);
    std::vector<int> expected(14, 12000);
    expected.push_back(8400);
    expected.push_back(0);
    EXPECT_EQ(sizes, expected);
    ExpectSamples(samples, 2, SF_FORMAT_PCM_16, 44100);
    // 16 reads of 12000 asked for against 176400 bytes in the file.
    EXPECT_EQ(decoder.Progress(), 16 * 12000 * 100 / 176400);
}

TEST_F(SndFileDecoderTest, TwentyFourBitStereoReadsAsFloats)
{
    const auto path = WriteWav("deep.wav", 44100, 2, SF_FORMAT_PCM_24, 44100);
    SndFileDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.Format(), SampleFormat::Float32);
    EXPECT_EQ(decoder.GetBitrate(), 24 * 44100 * 2);
    std::vector<float> block(3000);
    EXPECT_EQ(decoder.Read(reinterpret_cast<uint8_t*>(block.data()), 12000), 12000);
    // The file's size counts four bytes per delivered sample: 352800 bytes.
    EXPECT_EQ(decoder.Progress(), 12000 * 100 / 352800);
    for (int64_t f = 0; f < 1500; ++f)
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(block[f * 2 + c] * 32768, SampleValue(f, c)) << "frame " << f;
}

TEST_F(SndFileDecoderTest, EightBitMonoIsNotConverted)
{
    const auto path = WriteWav("small.wav", 22050, 1, SF_FORMAT_PCM_U8, 22050);
    SndFileDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.Channels(), 1);
    EXPECT_EQ(decoder.SampleRate(), 22050);
    EXPECT_EQ(decoder.GetBitrate(), 8 * 22050);
    ExpectSamples(ReadAll(decoder), 1, SF_FORMAT_PCM_U8, 22050);
}

TEST_F(SndFileDecoderTest, LengthAndPositionCountWholeSeconds)
{
    const auto path = WriteWav("long.wav", 44100, 2, SF_FORMAT_PCM_16, 127890);  // 2.9 s
    SndFileDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.GetLength(), 2000);
    EXPECT_EQ(decoder.GetPosition(), 0);
    EXPECT_EQ(decoder.Seek(1500, kSeekMilliseconds), 66150);
    EXPECT_EQ(decoder.GetPosition(), 1000);
    EXPECT_EQ(decoder.Seek(50, kSeekPercent), 63945);
    EXPECT_EQ(decoder.Seek(250, kSeekPercent), 127890 * 99 / 100);
    EXPECT_EQ(decoder.Seek(1, 7), 0);
}

TEST_F(SndFileDecoderTest, CloseTwiceReturnsOneBothTimes)
{
    const auto path = WriteWav("cd.wav", 44100, 2, SF_FORMAT_PCM_16, 100);
    SndFileDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.Close(), 1);
    EXPECT_EQ(decoder.Close(), 1);
    uint8_t block[400];
    EXPECT_EQ(decoder.Read(block, sizeof block), 0);
    EXPECT_EQ(decoder.Seek(0, kSeekMilliseconds), -1);
}

TEST_F(SndFileDecoderTest, BadFilesFailToOpenOrEndEarly)
{
    SndFileDecoder decoder;
    uint8_t block[12000];
    for (const auto& path : {WriteText("empty.wav", ""), WriteText("notes.wav", "not a sound file\n"),
                             (folder_ / "missing.wav").string()}) {
        EXPECT_FALSE(decoder.Open(path)) << path;
        EXPECT_EQ(decoder.Read(block, sizeof block), 0);
        EXPECT_EQ(decoder.GetPosition(), 0);
        EXPECT_EQ(decoder.Close(), 1);
    }

    const auto truncated = WriteWav("cut.wav", 44100, 2, SF_FORMAT_PCM_16, 44100);
    fs::resize_file(truncated, 44 + 10000);
    if (decoder.Open(truncated)) {
        std::vector<int> sizes;
        const auto samples = ReadAll(decoder, &sizes);
        EXPECT_EQ(sizes.back(), 0);
        EXPECT_LE(samples.size() * 2, 10000u);
    }
}
