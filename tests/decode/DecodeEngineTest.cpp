// The decode engine's producers, its media graph and its duration probe, on
// files made for each test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "TrackReader.h"
#include "decode/AudioTrackSource.h"
#include "decode/DecodeEngine.h"
#include "platform/TraceCapture.h"
#include "resources/DecodeConstants.h"
#include "resources/DecodeEngineTexts.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

constexpr int kBlock = cd::kBlockSize;

std::vector<uint8_t> ReadToEnd(DecodeEngine& engine)
{
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> block(kBlock);
    for (int length = 0; engine.Read(block.data(), length);)
        pcm.insert(pcm.end(), block.begin(), block.begin() + length);
    return pcm;
}

class Engine : public ::testing::Test {
protected:
    TemporaryFolder folder_;
};

}  // namespace

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
        EXPECT_FALSE(engine.Read(block.data(), length));
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
