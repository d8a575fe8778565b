// The decode engine's producers, its media graph and its duration probe, on
// files made for each test.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "AudioFixtures.h"
#include "DecodeFixtures.h"
#include "TestPluginProtocol.h"
#include "TrackReader.h"
#include "decode/AudioTrackSource.h"
#include "decode/DecodeEngine.h"
#include "decode/MpegLength.h"
#include "decode/PluginDecoder.h"
#include "decode/SndFileDecoder.h"
#include "platform/TraceCapture.h"
#include "resources/DecodeEngineTexts.h"
#include "resources/Plugins.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int kBlock = cd::kBlockSize;

std::vector<uint8_t> ReadToEnd(DecodeEngine& engine)
{
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> block(kBlock);
    for (int length = 0; engine.Read(block.data(), length) == SyncBuffer::Delivery::Block;)
        pcm.insert(pcm.end(), block.begin(), block.begin() + length);
    return pcm;
}

class Engine : public ::testing::Test {
protected:
    std::string Text(const std::string& name, const std::string& text)
    {
        const std::string path = folder_.PathOf(name);
        EXPECT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end())));
        return path;
    }

    std::string Wma(const std::string& name, int sampleRate = 44100, int channels = 2)
    {
        const std::string path = folder_.PathOf(name);
        if (!MakeWma(path, sampleRate, channels, 50))
            skip_ = true;
        return path;
    }

    FixtureFolder folder_;
    bool skip_ = false;
};

#define SKIP_WITHOUT_WMA_ENCODER() \
    if (skip_)                     \
    GTEST_SKIP() << "GStreamer's WMA encoder (gstreamer1.0-libav) is not installed"

}  // namespace

// The plug-in writes pieces that end inside a 24-bit frame; the rest of the
// frame comes with the next.
TEST(DecodeEngineDecoders, APluginsEightAndTwentyFourBitOutputIsConverted)
{
    for (const int bits : {8, 24}) {
        DecodeEngine engine(TestPlugins());
        engine.SetBlockLength(kBlock);
        // The test plug-in claims the name.
        ASSERT_TRUE(engine.StartDecodeThread("/music/stream" + std::to_string(bits) + "bit-claimed.mp3"));
        const std::vector<int16_t> left = Channel(ReadToEnd(engine), 0);
        const size_t width = static_cast<size_t>(bits / 8);
        ASSERT_EQ(left.size(), testplugin::kStreamBytes / width / 2) << bits;
        for (size_t frame = 0; frame < left.size(); frame += 97) {
            const auto byte = [&](size_t offset) { return testplugin::PatternByte(frame * 2 * width + offset); };
            const int32_t sample =
                bits == 8 ? (byte(0) - 128) << 16 : byte(0) | byte(1) << 8 | static_cast<int8_t>(byte(2)) << 16;
            ASSERT_NEAR(left[frame], sample / 256.0, 1.0) << bits << " bits, frame " << frame;
        }
    }
}

// The plug-in plays but never opens its output, so the opening would wait
// its whole bound; a Stop ends it at once instead of waiting for it.
TEST(DecodeEngineDecoders, StopEndsADecoderThatIsStillOpening)
{
    const auto plays =
        TestPlugins().Records()[0].library->Resolve<testplugin::CountFunction>(testplugin::kCountFunction);
    ASSERT_NE(plays, nullptr);
    const int playsBefore = plays("play");
    TraceCapture trace;
    DecodeEngine engine(TestPlugins());
    engine.SetBlockLength(kBlock);
    auto opening = std::async(std::launch::async, [&] { return engine.StartDecodeThread("/music/mute-claimed.mp3"); });
    while (plays("play") == playsBefore)
        std::this_thread::yield();
    engine.Stop();
    EXPECT_FALSE(opening.get());
    EXPECT_FALSE(trace.Contains(plugin::kTraceOpenTimedOut));
}

TEST_F(Engine, ProbeDurationMeasuresTheAudioStreamOrGivesNothing)
{
    const std::string videoFirst = folder_.PathOf("video-first.wma");
    const std::string videoOnly = folder_.PathOf("video-only.wma");
    if (!MakeVideoFirst(videoFirst, true) || !MakeVideoFirst(videoOnly, false))
        GTEST_SKIP() << "GStreamer's video test elements are not installed";
    // The audio stream is 43 × 1024 samples long, the video 0.4 s.
    EXPECT_NEAR(DecodeEngine::ProbeDuration(videoFirst), 43 * 1024 / 44100.0, 0.03);
    EXPECT_EQ(DecodeEngine::ProbeDuration(videoOnly), 0.0);
    EXPECT_EQ(DecodeEngine::ProbeDuration(Text("notes.wma", "just words\n")), 0.0);
    EXPECT_EQ(DecodeEngine::ProbeDuration(folder_.PathOf("missing.wma")), 0.0);
}

TEST_F(Engine, ProbeDurationOfATruncatedMp3IsWhatDecodes)
{
    if (!HaveProgram("lame"))
        GTEST_SKIP() << "lame is not installed";
    ScanPluginsOnce();
    const std::string wav = folder_.PathOf("tone.wav");
    const std::string whole = folder_.PathOf("whole.mp3");
    ASSERT_TRUE(WriteWav(wav, 44100, 2, 16, 88200));
    ASSERT_TRUE(EncodeMp3(wav, whole, {"-b", "128"}));
    std::vector<uint8_t> bytes = ReadFileBytes(whole);
    bytes.resize(bytes.size() / 2 + 101);
    const std::string cut = folder_.PathOf("cut.mp3");
    ASSERT_TRUE(WriteFileBytes(cut, bytes));

    AudioTrackSource source;
    EXPECT_NEAR(source.AddTrack(cut), 1.0, 0.1);
    const TrackRead read = ReadTrack(source, 0);
    ASSERT_EQ(static_cast<double>(read.pcm.size()), source.GetTrackBytes(0));
    // The frame scan counts the cut last frame, which does not decode: the
    // track may end in up to one frame of silence.
    const std::vector<uint8_t> decoded = DecodeWithMpg123(cut);
    EXPECT_EQ(source.GetBytesDone(), static_cast<double>(decoded.size()));
    EXPECT_LE(read.pcm.size() - decoded.size(), 1152u * 4);
    ASSERT_LE(decoded.size(), read.pcm.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), read.pcm.begin()));
    double stoppedAt = 0;
    EXPECT_FALSE(source.GetTrackDamage(0, stoppedAt)) << "one frame short is whole";
}

TEST_F(Engine, AGraphThatCannotPlayTheFileDoesNotOpen)
{
    const std::string videoOnly = folder_.PathOf("video-only.wma");
    ASSERT_TRUE(MakeVideoFirst(videoOnly, false));
    DecodeEngine engine;
    engine.SetBlockLength(kBlock);
    const int threads = CountProgramThreads();
    for (const std::string& path :
         {Text("notes.wma", "no audio in here\n"), folder_.PathOf("missing.wma"), videoOnly}) {
        EXPECT_LT(engine.OpenGraph(path), 0) << path;
        std::vector<uint8_t> block(kBlock);
        int length = -1;
        EXPECT_EQ(engine.Read(block.data(), length), SyncBuffer::Delivery::EndOfData);
        EXPECT_EQ(length, 0);
    }
    EXPECT_EQ(CountProgramThreads(), threads);

    AudioTrackSource source;
    EXPECT_EQ(source.AddTrack(Text("notes.xyz", "no audio in here\n")), 0.0);
    EXPECT_FALSE(source.OpenTrack(0));
}

TEST_F(Engine, AGraphRunsToTheEndOfDataWithNoThreadDispatchingMessages)
{
    const std::string path = Wma("tone.wma");
    SKIP_WITHOUT_WMA_ENCODER();
    TraceCapture trace;
    DecodeEngine engine;
    engine.SetBlockLength(kBlock);
    EXPECT_GE(engine.OpenGraph(path), 0);
    EXPECT_TRUE(trace.Contains(engine::kTraceOpenFileExited));
    const std::vector<uint8_t> pcm = ReadToEnd(engine);
    EXPECT_TRUE(pcm == DecodeWithGStreamer(path).pcm);
    EXPECT_TRUE(trace.Contains(engine::kTraceEndOfStream));
    engine.Stop();
    EXPECT_TRUE(trace.Contains(engine::kTraceStopped));
}

TEST_F(Engine, TheFirstAudioStreamAfterAVideoStreamIsTheOneBurned)
{
    const std::string path = folder_.PathOf("video-first.wma");
    ASSERT_TRUE(MakeVideoFirst(path, true));
    AudioTrackSource source;
    EXPECT_GT(source.AddTrack(path), 0.9);
    const TrackRead read = ReadTrack(source, 0);
    EXPECT_EQ(static_cast<double>(read.pcm.size()), source.GetTrackBytes(0));
    EXPECT_NEAR(ToneFrequency(Channel(read.pcm, 0)), 440.0, 10.0);
}

TEST_F(Engine, AWmaCutInHalfBurnsWhatDecodesThenSilence)
{
    const std::string whole = Wma("whole.wma");
    SKIP_WITHOUT_WMA_ENCODER();
    std::vector<uint8_t> bytes = ReadFileBytes(whole);
    bytes.resize(bytes.size() / 2);
    const std::string cut = folder_.PathOf("cut.wma");
    ASSERT_TRUE(WriteFileBytes(cut, bytes));

    AudioTrackSource source;
    source.AddTrack(cut);
    const TrackRead read = ReadTrack(source, 0);
    EXPECT_EQ(static_cast<double>(read.pcm.size()), source.GetTrackBytes(0));
    EXPECT_LT(source.GetBytesDone(), 0.75 * 50 * 1024 * 4);
}

TEST_F(Engine, StartingATrackEndsTheProducerStillBlockedOnTheLastOne)
{
    const std::string first = folder_.PathOf("first.wav");
    const std::string second = folder_.PathOf("second.wav");
    ASSERT_TRUE(WriteWav(first, 44100, 2, 16, 441000));
    ASSERT_TRUE(WriteWav(second, 44100, 1, 16, 30000));
    const int threads = CountProgramThreads();

    DecodeEngine engine;
    engine.SetBlockLength(kBlock);
    ASSERT_TRUE(engine.StartDecodeThread(first));
    std::vector<uint8_t> block(kBlock);
    int length = 0;
    ASSERT_EQ(engine.Read(block.data(), length), SyncBuffer::Delivery::Block);
    // The producer has filled the next block and waits for it to be read.
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(engine.StartDecodeThread(second));

    // Only the second file comes out, converted to stereo.
    const std::vector<uint8_t> pcm = ReadToEnd(engine);
    const std::vector<uint8_t> mono = ReadWavSamples(second);
    ASSERT_EQ(pcm.size(), mono.size() * 2);
    const std::vector<int16_t> left = Channel(pcm, 0);
    for (size_t frame = 0; frame < left.size(); frame += 997)
        EXPECT_EQ(left[frame], static_cast<int16_t>(mono[2 * frame] | mono[2 * frame + 1] << 8)) << frame;
    engine.Stop();
    EXPECT_EQ(CountProgramThreads(), threads);
}

TEST_F(Engine, StopEndsAProducerBlockedOnAFullBlockAndJoinsIt)
{
    const std::string path = folder_.PathOf("long.wav");
    ASSERT_TRUE(WriteWav(path, 48000, 2, 24, 480000));
    const int threads = CountProgramThreads();
    AudioTrackSource source;
    source.AddTrack(path);
    ASSERT_TRUE(source.OpenTrack(0));
    std::vector<uint8_t> block(kBlock);
    int length = kBlock;
    ASSERT_TRUE(source.ReadAudio(block.data(), length));
    std::this_thread::sleep_for(20ms);
    source.FinishBurn();
    EXPECT_EQ(CountProgramThreads(), threads);
    // What the stopped producer had decoded is never handed on: the track
    // opened again starts from its beginning.
    const TrackRead again = ReadTrack(source, 0);
    ASSERT_EQ(static_cast<double>(again.pcm.size()), source.GetTrackBytes(0));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), again.pcm.begin()));
}
