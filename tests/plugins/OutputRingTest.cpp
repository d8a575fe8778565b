// The output module and its ring as a plug-in sees them, driven through the
// test plug-in: the test writes through the output module as the plug-in's
// thread would and reads through PluginDecoder as the decode thread does.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "TestPluginProtocol.h"
#include "decode/PluginDecoder.h"
#include "decode/PluginRegistry.h"
#include "decode/WavOutputEmulator.h"
#include "platform/ProgramPath.h"
#include "platform/TraceCapture.h"
#include "resources/Plugins.h"

using namespace quillstar;

namespace {

std::vector<char> Pattern(size_t bytes, size_t start = 0)
{
    std::vector<char> data(bytes);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<char>(testplugin::PatternByte(start + i));
    return data;
}

class PluginHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry_.Scan(nullptr, ProgramDirectory() + "/" + testplugin::kTestPluginFolder);
        ASSERT_EQ(registry_.Records().size(), 1u) << "the test plug-in was not built beside the tests";
    }

    Out_Module& Output() { return *WavOutputEmulator::Instance().Module(); }

    int Stops()
    {
        return registry_.Records()[0].library->Resolve<testplugin::CountFunction>(testplugin::kCountFunction)("stop");
    }

    int Write(std::vector<char> data) { return Output().Write(data.data(), static_cast<int>(data.size())); }

    void FillRing()
    {
        for (int i = 0; i < plugin::kRingSlots - 1; ++i)
            ASSERT_EQ(Write(Pattern(testplugin::kPieceBytes, i * testplugin::kPieceBytes)), 0);
        ASSERT_EQ(Output().CanWrite(), 0);
    }

    int Read(int length = plugin::kReadBlockSize)
    {
        buffer_.assign(static_cast<size_t>(std::max(length, 0)), 0);
        return decoder_.Read(buffer_.data(), length);
    }

    // Reads until a read delivers nothing.
    std::vector<char> ReadAll()
    {
        std::vector<char> all;
        for (int bytes = Read(); bytes > 0; bytes = Read())
            all.insert(all.end(), buffer_.begin(), buffer_.begin() + bytes);
        return all;
    }

    PluginRegistry registry_;
    PluginDecoder decoder_{registry_};
    std::vector<uint8_t> buffer_;
};

TEST_F(PluginHost, FilesAreMatchedByAShortExtensionOrClaimedByAModuleAndOpenTakesTheOutputFormat)
{
    // The test module lists "TST;WAV": an extension longer than three
    // characters, or none, is matched as "wav".
    EXPECT_TRUE(decoder_.Open("/music/song.mpeg"));
    EXPECT_TRUE(decoder_.Open("/music.ogg/song"));
    EXPECT_TRUE(decoder_.Open("/music/SONG.TsT"));
    EXPECT_FALSE(decoder_.Open("/music/song.ogg"));
    EXPECT_TRUE(decoder_.Open("/music/claimed.ogg"));
    EXPECT_EQ(decoder_.Record().fileName, testplugin::kPlaysFile);
    ASSERT_TRUE(decoder_.Open("/music/mono22k.tst"));
    EXPECT_EQ(decoder_.Channels(), 1);
    EXPECT_EQ(decoder_.SampleRate(), 22050);

    EXPECT_FALSE(decoder_.Open("/music/fail.tst"));
    EXPECT_EQ(decoder_.Read(nullptr, 0), 0);
    // A plug-in that never opens its output is stopped rather than waited for.
    TraceCapture trace;
    const int stops = Stops();
    EXPECT_FALSE(decoder_.Open("/music/mute.tst"));
    EXPECT_EQ(Stops(), stops + 1);
    EXPECT_TRUE(trace.Contains(plugin::kTraceOpenTimedOut));
}

TEST_F(PluginHost, WritesComeOutOfTheRingWholeAndInOrder)
{
    struct Case {
        int written;
        std::vector<std::pair<int, int>> reads;  // asked, delivered
    };
    const std::vector<Case> cases = {
        {4608, {{plugin::kReadBlockSize, 4608}}},
        // Longer than a slot: spread over slots.
        {20000, {{plugin::kReadBlockSize, 8200}, {plugin::kReadBlockSize, 8200}, {plugin::kReadBlockSize, 3600}}},
        // A read smaller than a slot leaves the rest for the next.
        {8200, {{3000, 3000}, {plugin::kReadBlockSize, 5200}}},
    };
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    EXPECT_EQ(Write({}), 0);
    EXPECT_EQ(Output().IsPlaying(), 0) << "an empty write queued something";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        ASSERT_EQ(Write(Pattern(static_cast<size_t>(c.written))), 0);
        EXPECT_EQ(Output().IsPlaying(), 1);
        std::vector<char> all;
        for (const auto& [asked, delivered] : c.reads) {
            ASSERT_EQ(Read(asked), delivered);
            all.insert(all.end(), buffer_.begin(), buffer_.begin() + delivered);
        }
        EXPECT_EQ(all, Pattern(static_cast<size_t>(c.written)));
        EXPECT_EQ(Output().IsPlaying(), 0);
        EXPECT_EQ(Output().CanWrite(), plugin::kSlotBytes);
    }
}

TEST_F(PluginHost, AReadWithNothingQueuedEndsTheTrackAfterASecond)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    TraceCapture trace;
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(trace.Count(plugin::kTraceReadTimedOut), 1);
}

TEST_F(PluginHost, StopAllPluginsReleasesAWriteToAFullRingAndAWaitingReadAndKeepsWhatWasQueued)
{
    // Whether the stop finds the other thread waiting or about to wait, it
    // returns at once.
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    std::atomic<int> result{-1};
    std::thread decodeThread([&] { result = Read(); });
    StopAllPlugins();
    decodeThread.join();
    EXPECT_EQ(result, 0);

    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    FillRing();
    std::thread plugin([&] { result = Write(Pattern(100)); });
    StopAllPlugins();
    plugin.join();
    EXPECT_EQ(result, 1);
    TraceCapture trace;
    EXPECT_EQ(ReadAll(), Pattern(31 * testplugin::kPieceBytes));
    EXPECT_EQ(trace.Count(plugin::kTraceReadTimedOut), 0);
}

}  // namespace
