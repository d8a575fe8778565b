// The track source as the disc writer and the burn list use it, on WAV files
// made for each test and on plug-in tracks the test plug-in plays.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "TestPluginProtocol.h"
#include "TrackReader.h"
#include "decode/AudioTrackSource.h"
#include "resources/CdAudio.h"

using namespace quillstar;
using namespace quillstar::test;
namespace fs = std::filesystem;

namespace {

class TrackSource : public ::testing::Test {
protected:
    std::string Wav(const std::string& name, int64_t frames, int sampleRate = 44100)
    {
        const std::string path = folder_.File(name);
        EXPECT_TRUE(WriteWav(path, sampleRate, 2, 16, frames)) << path;
        return path;
    }

    TemporaryFolder folder_;
    AudioTrackSource source_;
};

bool IsSilence(const std::vector<uint8_t>& bytes, size_t from)
{
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(),
                       [](uint8_t b) { return b == 0; });
}

}  // namespace

TEST_F(TrackSource, ByteCountsAreTheSecondsAtCdRateCutToAWholeSample)
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
    EXPECT_EQ(source_.GetTrackBytes(3), 0.0);
    EXPECT_NEAR(source_.GetTotalSeconds(), 4.00001 + 15 / 44100.0, 1e-9);
    // Upper-case and dotless names ending in "wav" are WAV files too.
    fs::copy_file(folder_.File("three.wav"), folder_.File("LOUD.WAV"));
    fs::copy_file(folder_.File("three.wav"), folder_.File("nodotwav"));
    EXPECT_EQ(source_.AddTrack(folder_.File("LOUD.WAV")), 3.0);
    EXPECT_EQ(source_.AddTrack(folder_.File("nodotwav")), 3.0);
    EXPECT_EQ(ReadTrack(source_, 4).pcm, ReadWavSamples(folder_.File("three.wav")));
    source_.RemoveAllTracks();
    EXPECT_EQ(source_.GetTrackCount(), 0);
    EXPECT_EQ(source_.GetTotalBytes(), 0.0);
}

TEST_F(TrackSource, AFileThatChangedSinceItWasAddedStillDeliversExactlyItsByteCount)
{
    struct Case {
        int64_t framesAdded, framesBurned;
        std::vector<int> lengths;
        bool damaged;
    };
    // Made up with silence when it shrank, cut at the byte count when it
    // grew. Short by less than a few codec frames is a probe that measured a
    // little long; short by more is reported damaged where the audio stopped.
    for (const Case& c : {Case{12500, 2500, {37632, 12368}, true}, Case{12500, 8500, {37632, 12368}, false},
                          Case{10000, 20000, {37632, 2368}, false}}) {
        SCOPED_TRACE(c.framesBurned);
        AudioTrackSource source;
        const std::string name = "changes" + std::to_string(c.framesBurned) + ".wav";
        const std::string path = Wav(name, c.framesAdded);
        source.AddTrack(path);
        Wav(name, c.framesBurned);
        const TrackRead read = ReadTrack(source, 0);
        EXPECT_EQ(read.lengths, c.lengths);
        EXPECT_EQ(read.lastLength, 0);
        ASSERT_EQ(read.pcm.size(), static_cast<size_t>(c.framesAdded * 4));
        const std::vector<uint8_t> samples = ReadWavSamples(path);
        const size_t decoded = std::min(samples.size(), read.pcm.size());
        EXPECT_TRUE(
            std::equal(read.pcm.begin(), read.pcm.begin() + static_cast<std::ptrdiff_t>(decoded), samples.begin()));
        EXPECT_TRUE(IsSilence(read.pcm, decoded));
        // What the decoder produced, before the silence or the cut.
        EXPECT_GE(source.GetBytesDone(), static_cast<double>(decoded));
        EXPECT_LT(source.GetBytesDone(), static_cast<double>(decoded + cd::kBlockSize));
        double stoppedAt = 0;
        EXPECT_EQ(source.GetTrackDamage(0, stoppedAt), c.damaged);
        if (c.damaged) {
            EXPECT_DOUBLE_EQ(stoppedAt, static_cast<double>(decoded) / cd::kBytesPerSecond);
        }
    }
}

// A track whose decoder cannot open is left out before it starts, never
// burned as silence, whether or not it was measured when it was added.
TEST_F(TrackSource, FilesThatCannotBeDecodedAreNotOpenedAndAFileIsDecodedByWhatItHolds)
{
    const std::string vanishing = Wav("vanishing.wav", 44100);
    EXPECT_EQ(source_.AddTrack(vanishing), 1.0);
    fs::remove(vanishing);
    std::vector<uint8_t> header = ReadFileBytes(Wav("good.wav", 4410));
    std::fill(header.begin() + 12, header.begin() + 36, 0xEE);
    ASSERT_TRUE(WriteFileBytes(folder_.File("corrupt.wav"), header));
    ASSERT_TRUE(WriteText(folder_.File("notes.mp3"), "no frames\n"));
    ASSERT_TRUE(WriteText(folder_.File("empty.mp3"), ""));
    // Opening a pipe to read it would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo(folder_.File("pipe.mp3").c_str(), 0600), 0);
    for (const char* name : {"corrupt.wav", "gone.wav", "notes.mp3", "empty.mp3", "pipe.mp3"})
        EXPECT_EQ(source_.AddTrack(folder_.File(name)), 0.0) << name;
    std::vector<uint8_t> buffer(cd::kBlockSize);
    for (int track = 0; track < source_.GetTrackCount(); ++track) {
        EXPECT_FALSE(source_.OpenTrack(track)) << track;
        int length = cd::kBlockSize;
        EXPECT_FALSE(source_.ReadAudio(buffer.data(), length));
        EXPECT_EQ(length, 0);
    }
    EXPECT_EQ(source_.GetBytesDone(), 0.0);
    fs::copy_file(folder_.File("good.wav"), folder_.File("tone.flac"));
    EXPECT_DOUBLE_EQ(source_.AddTrack(folder_.File("tone.flac")), 0.1);
    EXPECT_EQ(ReadTrack(source_, 6).pcm, ReadWavSamples(folder_.File("good.wav")));
}

TEST_F(TrackSource, AnMp3WithoutItsPluginIsSkippedAndAStalledPluginFinishesItsTrackDamaged)
{
    if (!HaveProgram("lame"))
        GTEST_SKIP() << "lame is not installed";
    const std::string wav = Wav("tone.wav", 44100);
    // The test plug-in claims the file by its name.
    const std::string mp3 = folder_.File("stall-claimed.mp3");
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
    EXPECT_TRUE(IsSilence(read.pcm, testplugin::kStallBytes));
    double stoppedAt = 0;
    ASSERT_TRUE(source.GetTrackDamage(0, stoppedAt));
    EXPECT_DOUBLE_EQ(stoppedAt, 0.5);
}
