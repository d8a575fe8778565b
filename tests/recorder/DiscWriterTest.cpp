#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DiscWriter.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tests/recorder/BurnTest.h"
#include "tests/recorder/SimulatedRig.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace quillstar::recorder;
using quillstar::msg::WM_BURN_FINISHED;
using quillstar::msg::WM_BURN_PROGRESS;
using quillstar::msg::WM_BURN_STOPPED;

namespace {

// What only the simulated drive shows: the commands the writer sent.
class SimulatedBurn : public BurnTest {
protected:
    SimulatedDrive& PrepareSimulated(const DriveSetup& setup = {})
    {
        Disconnect();
        auto simulated = std::make_unique<SimulatedRig>(setup);
        SimulatedDrive& drive = simulated->Drive();
        Connect(std::move(simulated));
        return drive;
    }
};

}  // namespace

TEST_F(SimulatedBurn, ComparesTheSectorsTheBurnNeedsWithTheSectorsTheDiscHolds)
{
    struct Case {
        const char* name;
        std::vector<FakeTrackSource::Track> tracks;
        int sectorsNeeded;
    };
    // 1850 sectors of audio hold more bytes than the disc's frames x 2048.
    const std::vector<Case> cases = {
        {"one long track", {{1850 * kSector}}, 1850},
        {"two tracks and a pause", {{925 * kSector}, {774 * kSector + 1}}, 1850},
        {"short tracks count 300 sectors", {{kSecond}, {0}, {1000}}, 750},
    };
    for (const Case& c : cases) {
        for (const int spare : {0, -1}) {
            SCOPED_TRACE(testing::Message() << c.name << ", spare sectors " << spare);
            DriveSetup setup;
            setup.leadOutFrames = 150 + c.sectorsNeeded + spare;
            Prepare(setup);
            FakeTrackSource source(c.tracks);
            Run(source);
            EXPECT_EQ(writer->GetResult(), spare == 0 ? kResultSuccess : kResultTooManyFiles);
            EXPECT_EQ(rig->Disc().sessionClosed, spare == 0);
        }
    }
}

TEST_F(SimulatedBurn, ASourceThatCannotTellItsTrackLengthsIsMeasuredByItsTotal)
{
    DriveSetup setup;
    setup.leadOutFrames = 150 + 600;
    Prepare(setup);
    FakeTrackSource source{{400 * kSector}, {200 * kSector}};
    source.HideTrackLengths();
    Run(source);
    ExpectEndedWith(kResultTooManyFiles, kTextTooManyFiles);
}

TEST_F(SimulatedBurn, ADriveThatStaysBusyEndsTheTrackAfterTheLimit)
{
    DriveSetup setup;
    setup.busyAnswersPerWrite = 1 << 30;
    timings.notReadyLimit = 20;
    Prepare(setup);
    FakeTrackSource source{{kSecond * 5}};
    TraceCapture trace;
    Run(source);
    EXPECT_EQ(trace.Count("Write failed. Retrying. iError=-15, iRetry=8\n"), 1);
    EXPECT_TRUE(rig->Disc().tracks.empty());
    ExpectEndedWith(kResultNothingBurned, kTextNothingBurned);
    EXPECT_EQ(writer->GetSkippedTracks(), (std::vector<SkippedTrack>{{0, SkipReason::WriteFailed}}));
}

TEST_F(SimulatedBurn, AStopBeforeWritingWritesNothingAndKeepsTheStopText)
{
    SimulatedDrive& drive = PrepareSimulated();
    FakeTrackSource source{{kSecond * 5}};
    drive.HoldNext(0x51);
    ASSERT_TRUE(writer->WriteDisc(&source));
    ASSERT_TRUE(drive.WaitUntilHeld());
    EXPECT_TRUE(writer->AbortWrite());
    drive.Release();
    ASSERT_TRUE(log->WaitFinished());
    ExpectQuietAfterStop();
    EXPECT_EQ(log->Messages(), (std::vector<uint32_t>{WM_BURN_STOPPED, WM_BURN_FINISHED}));
    EXPECT_TRUE(rig->Disc().tracks.empty());
    const auto opcodes = drive.Opcodes();
    EXPECT_EQ(std::count(opcodes.begin(), opcodes.end(), 0x2A), 0);
    EXPECT_EQ(drive.Ejects(), 1);
}

TEST_F(SimulatedBurn, AStopDuringATrackClosesTheTrackAndEjects)
{
    SimulatedDrive& drive = PrepareSimulated();
    FakeTrackSource source{{40 * kChunk}, {kSecond * 5}};
    source.HoldRead(22);
    ASSERT_TRUE(writer->WriteDisc(&source));
    ASSERT_TRUE(source.WaitUntilHeld());
    EXPECT_TRUE(writer->AbortWrite());
    ASSERT_TRUE(log->WaitFinished());
    ExpectQuietAfterStop();
    const BurnedDisc disc = rig->Disc();
    EXPECT_FALSE(disc.sessionClosed);
    ASSERT_EQ(disc.tracks.size(), 1u);
    EXPECT_EQ(disc.tracks[0].audio.size(), 21u * kChunk);
    std::vector<uint8_t> tail;
    for (const auto& cdb : drive.Commands()) {
        if (cdb[0] != 0x2A)
            tail.push_back(cdb[0]);
        else
            tail.clear();
    }
    EXPECT_EQ(tail, (std::vector<uint8_t>{0x35, 0x5B, 0x1B}));
}

TEST(DiscWriter, DoesNothingUntilInitialised)
{
    ProgressLog log;
    CDiscWriter writer(log.Handle(), AspiLibrary::AtPath("/nonexistent/libwnaspi32.so"));
    log.Watch(&writer);
    FakeTrackSource source{{kSecond}};
    EXPECT_FALSE(writer.WriteDisc(&source));
    EXPECT_FALSE(writer.AbortWrite());
    EXPECT_FALSE(writer.Initialize());
    EXPECT_FALSE(writer.IsInitialized());
    EXPECT_EQ(writer.GetDeviceCount(), 0);
    EXPECT_EQ(writer.GetDeviceName(0), "");
    EXPECT_EQ(writer.GetDevice().present, 0u);
    EXPECT_TRUE(log.Messages().empty());
}
