// The track source as the disc writer and the burn list use it, on WAV files
// made for each test and on plug-in tracks the test plug-in plays.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "DecodeFixtures.h"
#include "TestPluginProtocol.h"
#include "TrackReader.h"
#include "decode/AudioTrackSource.h"
#include "resources/CdAudio.h"

using namespace quillstar;
using namespace quillstar::test;
namespace fs = std::filesystem;

namespace {

constexpr int kBlock = cd::kBlockSize;

class TrackSource : public ::testing::Test {
protected:
    std::string Wav(const std::string& name, int64_t frames, int sampleRate = 44100, int channels = 2, int bits = 16)
    {
        const std::string path = folder_.PathOf(name);
        EXPECT_TRUE(WriteWav(path, sampleRate, channels, bits, frames)) << path;
        return path;
    }

    std::string Text(const std::string& name, const std::string& text)
    {
        const std::string path = folder_.PathOf(name);
        std::vector<uint8_t> bytes(text.begin(), text.end());
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }

    FixtureFolder folder_;
    AudioTrackSource source_;
};

bool AllZero(const std::vector<uint8_t>& bytes, size_t from, size_t to)
{
    for (size_t at = from; at < to; ++at) {
        if (bytes[at] != 0)
            return false;
    }
    return true;
}

}  // namespace

TEST_F(TrackSource, ByteCountsAreTheSecondsAtCdRateCutToAWholeByte)
{
    EXPECT_EQ(source_.AddTrack(Wav("three.wav", 132300)), 3.0);
    EXPECT_EQ(source_.GetTrackBytes(0), 529200.0);
    // 100001 frames at 100 kHz: 1.00001 s, not a whole number of samples at CD rate.
    EXPECT_DOUBLE_EQ(source_.AddTrack(Wav("odd.wav", 100001, 100000)), 1.00001);
    EXPECT_EQ(source_.GetTrackBytes(1), 176401.0);
    // 15 frames are 340.136...µs, which times 176400 lands a hair below 60
    // bytes in floating point: the track still holds its last sample whole.
    source_.AddTrack(Wav("fifteen.wav", 15));
    EXPECT_EQ(source_.GetTrackBytes(2), 60.0);
    EXPECT_EQ(source_.GetTrackCount(), 3);
    EXPECT_EQ(source_.GetTrackBytes(3), 0.0);
}

TEST_F(TrackSource, TotalsComeFromTheSummedSeconds)
{
    source_.AddTrack(Wav("a.wav", 66150));
    source_.AddTrack(Wav("b.wav", 99225));
    EXPECT_EQ(source_.GetTotalSeconds(), 3.75);
    EXPECT_EQ(source_.GetTotalBytes(), 661500.0);
    source_.RemoveAllTracks();
    EXPECT_EQ(source_.GetTrackCount(), 0);
    EXPECT_EQ(source_.GetTotalSeconds(), 0.0);
}

TEST_F(TrackSource, ExtensionsAreTheLastThreeCharactersInAnyCase)
{
    const std::string wav = Wav("tone.wav", 44100);
    for (const char* name : {"upper.WAV", "mixed.WaV", "nodotwav"}) {
        fs::copy_file(wav, folder_.PathOf(name));
        EXPECT_EQ(source_.AddTrack(folder_.PathOf(name)), 1.0) << name;
    }
    const TrackRead read = ReadTrack(source_, 1);
    EXPECT_EQ(read.pcm, ReadWavSamples(wav));
}

TEST_F(TrackSource, AFileIsTimedAndDecodedByWhatItHoldsWhateverItsName)
{
    const std::string wav = Wav("tone.wav", 44100);
    fs::copy_file(wav, folder_.PathOf("tone.flac"));
    const std::string notes = Text("notes.ogg", "no audio in here\n");
    EXPECT_EQ(source_.AddTrack(folder_.PathOf("tone.flac")), 1.0);
    EXPECT_EQ(source_.AddTrack(notes), 0.0);
    EXPECT_EQ(source_.GetTrackBytes(1), 0.0);

    EXPECT_EQ(ReadTrack(source_, 0).pcm, ReadWavSamples(wav));
    EXPECT_FALSE(source_.OpenTrack(1));
}

TEST_F(TrackSource, ADecoderThatRunsShortIsMadeUpWithSilenceAndReportedDamaged)
{
    // The track is added at 50000 bytes; by the burn the file holds 10000.
    const std::string path = Wav("shrinks.wav", 12500);
    source_.AddTrack(path);
    ASSERT_EQ(source_.GetTrackBytes(0), 50000.0);
    Wav("shrinks.wav", 2500);

    const TrackRead read = ReadTrack(source_, 0);
    EXPECT_EQ(read.lengths, (std::vector<int>{37632, 12368}));
    EXPECT_EQ(read.lastLength, 0);
    ASSERT_EQ(read.pcm.size(), 50000u);
    EXPECT_TRUE(std::equal(read.pcm.begin(), read.pcm.begin() + 10000, ReadWavSamples(path).begin()));
    EXPECT_TRUE(AllZero(read.pcm, 10000, 50000));
    EXPECT_EQ(source_.GetBytesDone(), 10000.0);
    double stoppedAt = 0;
    ASSERT_TRUE(source_.GetTrackDamage(0, stoppedAt));
    EXPECT_DOUBLE_EQ(stoppedAt, 10000.0 / 176400);

    // Short by less than a few codec frames: a probe that measured a little
    // long, not damage.
    Wav("shrinks.wav", 12500 - 4000);
    ReadTrack(source_, 0);
    EXPECT_FALSE(source_.GetTrackDamage(0, stoppedAt));
}

TEST_F(TrackSource, ADecoderThatOvershootsIsCutAtTheByteCount)
{
    const std::string path = Wav("grows.wav", 10000);
    source_.AddTrack(path);
    ASSERT_EQ(source_.GetTrackBytes(0), 40000.0);
    Wav("grows.wav", 20000);

    const TrackRead read = ReadTrack(source_, 0);
    EXPECT_EQ(read.lengths, (std::vector<int>{37632, 2368}));
    EXPECT_EQ(read.lastLength, 0);
    const std::vector<uint8_t> samples = ReadWavSamples(path);
    EXPECT_TRUE(std::equal(read.pcm.begin(), read.pcm.end(), samples.begin()));
    double stoppedAt = 0;
    EXPECT_FALSE(source_.GetTrackDamage(0, stoppedAt));
}

TEST_F(TrackSource, FinishBurnKeepsTheListAndClearsTheProgress)
{
    const std::string path = Wav("long.wav", 441000);
    source_.AddTrack(path);
    ASSERT_TRUE(source_.OpenTrack(0));
    std::vector<uint8_t> buffer(kBlock);
    int length = kBlock;
    ASSERT_TRUE(source_.ReadAudio(buffer.data(), length));
    EXPECT_EQ(source_.GetBytesDone(), static_cast<double>(kBlock));

    source_.FinishBurn();
    EXPECT_EQ(source_.GetBytesDone(), 0.0);
    EXPECT_EQ(source_.GetSecondsDone(), 0.0);
    EXPECT_EQ(source_.GetTrackCount(), 1);
    EXPECT_EQ(source_.GetTrackBytes(0), 1764000.0);
    // No track is open after the burn: nothing more comes out.
    length = kBlock;
    EXPECT_FALSE(source_.ReadAudio(buffer.data(), length));
    EXPECT_EQ(length, 0);

    // The next burn starts the track from its beginning.
    const TrackRead again = ReadTrack(source_, 0);
    EXPECT_EQ(again.pcm, ReadWavSamples(path));
}

// A track whose decoder cannot open is left out before it starts, never
// burned as silence, whether or not it was measured when it was added.
TEST_F(TrackSource, FilesThatCannotBeDecodedAreNotOpened)
{
    const std::string vanishing = Wav("vanishing.wav", 44100);
    EXPECT_EQ(source_.AddTrack(vanishing), 1.0);
    fs::remove(vanishing);
    std::vector<uint8_t> header = ReadFileBytes(Wav("good.wav", 4410));
    std::fill(header.begin() + 12, header.begin() + 36, 0xEE);
    const std::string corrupt = folder_.PathOf("corrupt.wav");
    ASSERT_TRUE(WriteFileBytes(corrupt, header));
    // Opening a pipe to read it would wait for a writer that never comes.
    const std::string pipe = folder_.PathOf("pipe.mp3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path :
         {corrupt, folder_.PathOf("gone.wav"), Text("notes.mp3", "no frames\n"), Text("empty.mp3", ""), pipe})
        EXPECT_EQ(source_.AddTrack(path), 0.0) << path;
    std::vector<uint8_t> buffer(kBlock);
    for (int track = 0; track < source_.GetTrackCount(); ++track) {
        EXPECT_FALSE(source_.OpenTrack(track)) << track;
        int length = kBlock;
        EXPECT_FALSE(source_.ReadAudio(buffer.data(), length));
        EXPECT_EQ(length, 0);
    }
    EXPECT_EQ(source_.GetBytesDone(), 0.0);
}

TEST_F(TrackSource, AnMp3WithoutItsPluginIsSkippedAndAStalledPluginFinishesItsTrackDamaged)
{
    if (!HaveProgram("lame"))
        GTEST_SKIP() << "lame is not installed";
    const std::string wav = Wav("tone.wav", 44100);
    // The test plug-in claims the file by its name.
    const std::string mp3 = folder_.PathOf("stall-claimed.mp3");
    ASSERT_TRUE(EncodeMp3(wav, mp3, {"-b", "128"}));

    // With the Decoders/ folder missing no plug-in plays the MP3; the track
    // after it comes out exact.
    const PluginRegistry none;
    AudioTrackSource bare(none);
    EXPECT_GT(bare.AddTrack(mp3), 0.9);
    bare.AddTrack(wav);
    EXPECT_FALSE(bare.OpenTrack(0));
    EXPECT_EQ(ReadTrack(bare, 1).pcm, ReadWavSamples(wav));

    // The plug-in plays half a second, then nothing.
    AudioTrackSource source(TestPlugins());
    source.SetStallLimit(300);
    source.AddTrack(mp3);
    const TrackRead read = ReadTrack(source, 0);
    ASSERT_EQ(static_cast<double>(read.pcm.size()), source.GetTrackBytes(0));
    for (size_t at = 0; at < testplugin::kStallBytes; ++at)
        ASSERT_EQ(read.pcm[at], testplugin::PatternByte(at)) << at;
    EXPECT_TRUE(AllZero(read.pcm, testplugin::kStallBytes, read.pcm.size()));
    double stoppedAt = 0;
    ASSERT_TRUE(source.GetTrackDamage(0, stoppedAt));
    EXPECT_DOUBLE_EQ(stoppedAt, 0.5);
}
