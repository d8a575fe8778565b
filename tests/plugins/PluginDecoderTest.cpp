// PluginDecoder choosing and starting the test plug-in, and a plug-in's
// end-of-file notice ending only its own play.

#include <gtest/gtest.h>

#include "TestPluginProtocol.h"
#include "decode/PluginDecoder.h"
#include "decode/PluginRegistry.h"
#include "decode/WavOutputEmulator.h"
#include "platform/PostMessage.h"
#include "platform/ProgramPath.h"
#include "platform/TraceCapture.h"
#include "resources/Messages.h"
#include "resources/Plugins.h"

using namespace quillstar;

namespace {

class PluginHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry_.Scan(ProgramDirectory() + "/" + testplugin::kTestPluginFolder);
        ASSERT_EQ(registry_.Records().size(), 1u) << "the test plug-in was not built beside the tests";
    }

    int Stops()
    {
        return registry_.Records()[0].library->Resolve<testplugin::CountFunction>(testplugin::kCountFunction)("stop");
    }

    PluginRegistry registry_;
    PluginDecoder decoder_{registry_};
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

// The notice ends the play it is posted in as it is posted, so none can be
// left waiting in a queue to stop the next track.
TEST_F(PluginHost, AnEndOfFileNoticeStopsThePlayItIsPostedIn)
{
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    ASSERT_TRUE(PostMessage(registry_.Records()[0].module->hMainWindow, msg::WM_PLUGIN_EOF));
    EXPECT_TRUE(WavOutputEmulator::Instance().IsStopped());
    ASSERT_TRUE(decoder_.Open("/music/song.tst"));
    EXPECT_FALSE(WavOutputEmulator::Instance().IsStopped());
}

}  // namespace
