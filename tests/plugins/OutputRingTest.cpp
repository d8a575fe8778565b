// The output module and its ring as a plug-in sees them, driven through the
// test plug-in: the test writes through the output module as the plug-in's
// thread would and reads through PluginDecoder as the decode thread does.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "TestPluginProtocol.h"
#include "decode/PluginDecoder.h"
#include "decode/PluginRegistry.h"
#include "decode/WavOutputEmulator.h"
#include "platform/ProgramPath.h"
#include "platform/TraceCapture.h"
#include "resources/Messages.h"
#include "resources/Plugins.h"

using namespace quillstar;
using namespace std::chrono_literals;

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
        registry_.Scan(ProgramDirectory() + "/" + testplugin::kTestPluginFolder);
        ASSERT_EQ(registry_.Records().size(), 1u) << "the test plug-in was not built beside the tests";
    }

    Out_Module& Output() { return *WavOutputEmulator::Instance().Module(); }
    In_Module& Module() { return *registry_.Records()[0].module; }

    int Count(const char* what)
    {
        const auto count =
            registry_.Records()[0].library->Resolve<testplugin::CountFunction>(testplugin::kCountFunction);
        return count ? count(what) : -1;
    }

    int Write(std::vector<char> data) { return Output().Write(data.data(), static_cast<int>(data.size())); }

    void FillRing()
    {
        for (int i = 0; i < plugin::kRingSlots - 1; ++i)
            ASSERT_EQ(Write(Pattern(testplugin::kPieceBytes, i * testplugin::kPieceBytes)), 0);
    }

    int Read(int length = plugin::kReadBlockSize)
    {
        buffer_.assign(static_cast<size_t>(std::max(length, 0)), 0);
        return decoder_.Read(buffer_.data(), length);
    }

    PluginRegistry registry_;
    PluginDecoder decoder_{registry_};
    std::vector<uint8_t> buffer_;
};

TEST_F(PluginHost, AnOpenTrackHasAnEmptyRingThatTakesAWholeSlot)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    EXPECT_EQ(Output().CanWrite(), plugin::kSlotBytes);
    EXPECT_EQ(Output().IsPlaying(), 0);
    EXPECT_EQ(decoder_.ReadBlockSize(), 9000);
    EXPECT_EQ(decoder_.Channels(), 2);
    EXPECT_EQ(decoder_.SampleRate(), 44100);
    EXPECT_EQ(decoder_.GetBitrate(), 1408000);
    EXPECT_EQ(decoder_.FormatName(), "wav");
    EXPECT_EQ(decoder_.GetLength(), testplugin::kLengthMs);
    EXPECT_EQ(std::string(Output().description), "Tolumo WAV Output Emulator");
    EXPECT_EQ(Output().id, 33);
    EXPECT_EQ(Output().Open(44100, 2, 16, -1, -1), 500);
    EXPECT_EQ(Output().Pause(1), 0);
    EXPECT_EQ(Output().GetOutputTime(), 0);
    EXPECT_EQ(Module().outMod, &Output());
    EXPECT_EQ(Module().SAGetMode(), 1);
    EXPECT_EQ(Module().dsp_isactive(), 0);
}

TEST_F(PluginHost, ThirtyOneSlotsFillTheRingAndTheNextWriteWaitsForARead)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    FillRing();
    EXPECT_EQ(Output().CanWrite(), 0);
    EXPECT_EQ(Output().IsPlaying(), 1);

    std::atomic<int> result{-1};
    std::thread plugin([&] { result = Write(Pattern(testplugin::kPieceBytes, 31 * testplugin::kPieceBytes)); });
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(result, -1) << "the 32nd write did not wait";

    ASSERT_EQ(Read(), testplugin::kPieceBytes);
    plugin.join();
    EXPECT_EQ(result, 0);

    std::vector<char> all(buffer_.begin(), buffer_.begin() + testplugin::kPieceBytes);
    for (int i = 1; i < plugin::kRingSlots; ++i) {
        ASSERT_EQ(Read(), testplugin::kPieceBytes);
        all.insert(all.end(), buffer_.begin(), buffer_.begin() + testplugin::kPieceBytes);
    }
    EXPECT_EQ(all, Pattern(32 * testplugin::kPieceBytes));
    EXPECT_EQ(Output().IsPlaying(), 0);
}

TEST_F(PluginHost, SetInfoRecordsTheBitRateInBitsPerSecond)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    const auto bitRateAfter = [this](int value) {
        Module().SetInfo(value, 44, 1, 1);
        Write(Pattern(4));
        Read();
        return decoder_.GetBitrate();
    };
    EXPECT_EQ(bitRateAfter(128), 128000);
    EXPECT_EQ(bitRateAfter(320000), 320000);
    EXPECT_EQ(bitRateAfter(0), 320000);
}

TEST_F(PluginHost, FilesAreMatchedByAShortExtensionOrClaimedByAModule)
{
    // The test module lists "TST;WAV": an extension longer than three
    // characters, or none, is matched as "wav".
    EXPECT_TRUE(decoder_.Open("/music/song.mpeg"));
    EXPECT_TRUE(decoder_.Open("/music.ogg/song"));
    EXPECT_TRUE(decoder_.Open("/music/SONG.TsT"));
    EXPECT_FALSE(decoder_.Open("/music/song.ogg"));
    EXPECT_TRUE(decoder_.Open("/music/claimed.ogg"));
    EXPECT_EQ(decoder_.Record().fileName, testplugin::kPlaysFile);
}

TEST_F(PluginHost, StopAllPluginsReleasesAPluginBlockedInWrite)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    FillRing();
    std::atomic<int> result{-1};
    std::thread plugin([&] { result = Write(Pattern(100)); });
    std::this_thread::sleep_for(50ms);
    StopAllPlugins();
    plugin.join();
    EXPECT_EQ(result, 1);

    // What was queued before the stop still comes out, all of it, then the end.
    TraceCapture trace;
    for (int i = 0; i < plugin::kRingSlots - 1; ++i)
        ASSERT_EQ(Read(), testplugin::kPieceBytes);
    EXPECT_EQ(Read(), 0);
    EXPECT_EQ(trace.Count(plugin::kTraceReadTimedOut), 0);
}

TEST_F(PluginHost, StopAllPluginsReleasesAWaitingRead)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    TraceCapture trace;
    std::atomic<int> result{-1};
    std::thread decodeThread([&] { result = Read(); });
    std::this_thread::sleep_for(50ms);
    StopAllPlugins();
    decodeThread.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(trace.Count(plugin::kTraceReadTimedOut), 0);
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

TEST_F(PluginHost, OpenTakesTheFormatThePluginOpenedItsOutputWith)
{
    ASSERT_TRUE(decoder_.Open("/music/mono22k.tst"));
    EXPECT_EQ(decoder_.Channels(), 1);
    EXPECT_EQ(decoder_.SampleRate(), 22050);
}

TEST_F(PluginHost, AFailedPlayFailsOpen)
{
    EXPECT_FALSE(decoder_.Open("/music/fail.tst"));
    EXPECT_EQ(decoder_.Read(nullptr, 0), 0);
}

TEST_F(PluginHost, APluginThatNeverOpensItsOutputIsStoppedAndOpenFails)
{
    TraceCapture trace;
    const int stops = Count("stop");
    EXPECT_FALSE(decoder_.Open("/music/mute.tst"));
    EXPECT_EQ(Count("stop"), stops + 1);
    EXPECT_TRUE(trace.Contains(plugin::kTraceOpenTimedOut));
}

TEST_F(PluginHost, CloseReleasesAPluginBlockedInWrite)
{
    ASSERT_TRUE(decoder_.Open("/music/flood.tst"));
    for (int i = 0; i < 500 && Output().CanWrite() != 0; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(Output().CanWrite(), 0);
    const int stops = Count("stop");
    EXPECT_EQ(decoder_.Close(), 1);
    EXPECT_EQ(Count("stop"), stops + 1);
    EXPECT_EQ(decoder_.Close(), 1);
    EXPECT_EQ(Count("stop"), stops + 1);
}

TEST_F(PluginHost, AStreamIsReadToItsLastByteAndEndsOnItsNotification)
{
    TraceCapture trace;
    ASSERT_TRUE(decoder_.Open("/music/stream.tst"));
    std::vector<char> all;
    for (int bytes = Read(); bytes > 0; bytes = Read())
        all.insert(all.end(), buffer_.begin(), buffer_.begin() + bytes);
    EXPECT_EQ(all, Pattern(testplugin::kStreamBytes));
    EXPECT_EQ(trace.Count(plugin::kTraceReadTimedOut), 0);

    // The stop came from the notification; Close still stops the module so
    // its thread is joined.
    const int stops = Count("stop");
    decoder_.Close();
    EXPECT_EQ(Count("stop"), stops + 1);
}

// The notice ends the play it is posted in as it is posted, so none can be
// left waiting in a queue to stop the next track.
TEST_F(PluginHost, AnEndOfFileNoticeStopsThePlayItIsPostedIn)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    ASSERT_TRUE(PostMessage(Module().hMainWindow, msg::WM_PLUGIN_EOF));
    EXPECT_TRUE(WavOutputEmulator::Instance().IsStopped());
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    EXPECT_FALSE(WavOutputEmulator::Instance().IsStopped());
}

}  // namespace
