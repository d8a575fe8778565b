// The decode engine's producers, its media graph and its duration probe, on
// files made for each test.

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "AudioFixtures.h"
#include "TestPluginProtocol.h"
#include "TrackReader.h"
#include "decode/AudioTrackSource.h"
#include "decode/DecodeEngine.h"
#include "platform/TraceCapture.h"
#include "resources/DecodeConstants.h"
#include "resources/DecodeEngineTexts.h"
#include "resources/Plugins.h"

using namespace quillstar;
using namespace quillstar::test;

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
    TemporaryFolder folder_;
};

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
        const std::vector<uint8_t> pcm = ReadToEnd(engine);
        const size_t width = static_cast<size_t>(bits / 8);
        ASSERT_EQ(pcm.size(), testplugin::kStreamBytes / width * 2) << bits;
        for (size_t frame = 0; frame < pcm.size() / 4; frame += 97) {
            const auto byte = [&](size_t offset) { return testplugin::PatternByte(frame * 2 * width + offset); };
            const int32_t sample =
                bits == 8 ? (byte(0) - 128) << 16 : byte(0) | byte(1) << 8 | static_cast<int8_t>(byte(2)) << 16;
            const auto left = static_cast<int16_t>(pcm[frame * 4] | pcm[frame * 4 + 1] << 8);
            ASSERT_NEAR(left, sample / 256.0, 1.0) << bits << " bits, frame " << frame;
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

TEST_F(Engine, AFileWithoutAudioIsProbedAsNothingAndNeitherOpensNorLeavesAThread)
{
    ASSERT_TRUE(WriteText(folder_.File("notes.wma"), "just words\n"));
    ASSERT_TRUE(WriteText(folder_.File("notes.xyz"), "just words\n"));
    DecodeEngine engine;
    engine.SetBlockLength(kBlock);
    const int threads = CountProgramThreads();
    AudioTrackSource source;
    for (const std::string& path : {folder_.File("notes.wma"), folder_.File("missing.wma")}) {
        EXPECT_EQ(DecodeEngine::ProbeDuration(path), 0.0) << path;
        EXPECT_LT(engine.OpenGraph(path), 0) << path;
        std::vector<uint8_t> block(kBlock);
        int length = -1;
        EXPECT_EQ(engine.Read(block.data(), length), SyncBuffer::Delivery::EndOfData);
        EXPECT_EQ(length, 0);
    }
    EXPECT_EQ(CountProgramThreads(), threads);
    EXPECT_EQ(source.AddTrack(folder_.File("notes.xyz")), 0.0);
    EXPECT_FALSE(source.OpenTrack(0));
}

TEST_F(Engine, AGraphRunsToTheEndOfDataWithNoThreadDispatchingMessagesAndACutFileEndsInSilence)
{
    const std::string whole = folder_.File("whole.wma");
    if (!MakeWma(whole, 44100, 2, 50))
        GTEST_SKIP() << "GStreamer's WMA encoder (gstreamer1.0-libav) is not installed";
    {
        TraceCapture trace;
        DecodeEngine engine;
        engine.SetBlockLength(kBlock);
        EXPECT_GE(engine.OpenGraph(whole), 0);
        EXPECT_TRUE(trace.Contains(engine::kTraceOpenFileExited));
        EXPECT_TRUE(ReadToEnd(engine) == DecodeWithGStreamer(whole).pcm);
        EXPECT_TRUE(trace.Contains(engine::kTraceEndOfStream));
        engine.Stop();
        EXPECT_TRUE(trace.Contains(engine::kTraceStopped));
    }
    std::vector<uint8_t> bytes = ReadFileBytes(whole);
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(WriteFileBytes(folder_.File("cut.wma"), bytes));
    AudioTrackSource source;
    source.AddTrack(folder_.File("cut.wma"));
    const TrackRead read = ReadTrack(source, 0);
    EXPECT_EQ(static_cast<double>(read.pcm.size()), source.GetTrackBytes(0));
    EXPECT_LT(source.GetBytesDone(), 0.75 * 50 * 1024 * 4);
}

TEST_F(Engine, StopEndsAProducerBlockedOnAFullBlockAndJoinsIt)
{
    const std::string path = folder_.File("long.wav");
    ASSERT_TRUE(WriteWav(path, 48000, 2, 24, 480000));
    const int threads = CountProgramThreads();
    TraceCapture trace;
    AudioTrackSource source;
    source.AddTrack(path);
    ASSERT_TRUE(source.OpenTrack(0));
    std::vector<uint8_t> block(kBlock);
    int length = kBlock;
    ASSERT_TRUE(source.ReadAudio(block.data(), length));
    ASSERT_TRUE(trace.WaitFor(decode::kTraceWaitRead, 2));
    source.FinishBurn();
    EXPECT_EQ(CountProgramThreads(), threads);
    // What the stopped producer had decoded is never handed on: the track
    // opened again starts from its beginning.
    const TrackRead again = ReadTrack(source, 0);
    ASSERT_EQ(static_cast<double>(again.pcm.size()), source.GetTrackBytes(0));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), again.pcm.begin()));
}
