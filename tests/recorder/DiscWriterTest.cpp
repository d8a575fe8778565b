#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
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

class Burn : public BurnTest {
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

TEST_F(Burn, WritesEveryTrackSampleForSampleAndReportsEachStep)
{
    Prepare();
    // Last chunks of 1000 bytes and of exactly 3 sectors.
    FakeTrackSource source{{kChunk * 20 + 1000}, {kChunk * 19 + 3 * kSector}, {kSecond * 5}};
    std::atomic<bool> done = false;
    std::thread window([&] {
        while (!done)
            EXPECT_LE(Percent(), 100);
    });
    Run(source);
    done = true;
    window.join();

    ExpectDiscHolds(source, {0, 1, 2});
    EXPECT_EQ(rig->Disc().tracks[0].audio.size(), 321u * kSector);
    EXPECT_EQ(rig->Disc().tracks[1].audio.size(), 307u * kSector);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    EXPECT_EQ(Percent(), 100);
    std::vector<std::string> texts = {kTextPowerCalibration};
    for (int track = 1; track <= 3; ++track) {
        const auto steps = TrackSteps(track);
        texts.insert(texts.end(), steps.begin(), steps.end());
    }
    texts.insert(texts.end(), {kTextClosingSession, kTextSuccess});
    EXPECT_EQ(log->Texts(), texts);
    const auto messages = log->Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_BURN_STOPPED), 0);
    const auto percents = log->Percents();
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    const auto entries = log->Entries();
    for (size_t at = 1; at < entries.size(); ++at) {
        if (entries[at].text.rfind("Closing", 0) == 0) {
            EXPECT_EQ(entries[at].percent, entries[at - 1].percent) << entries[at].text;
        }
    }
    EXPECT_TRUE(writer->GetSkippedTracks().empty());
    EXPECT_EQ(source.FinishCalls(), 1);
}

TEST_F(Burn, WithoutADeviceTheDiscIsWrong)
{
    Prepare();
    writer->SelectDevice(1);
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectEndedWith(kResultWrongDisc, kTextWrongDisc);
    EXPECT_EQ(log->Messages(), (std::vector<uint32_t>{WM_BURN_PROGRESS, WM_BURN_FINISHED}));
    EXPECT_EQ(Percent(), 0);
    EXPECT_EQ(source.FinishCalls(), 0);
}

TEST_F(Burn, RefusesADiscThatIsNotABlankCdR)
{
    struct Case {
        DriveSetup::Disc disc;
        bool rewritable;
        int result;
        const char* text;
    };
    const std::vector<Case> cases = {
        {DriveSetup::Disc::Missing, false, kResultWrongDisc, kTextWrongDisc},
        {DriveSetup::Disc::Blank, true, kResultWrongDisc, kTextWrongDisc},
        // A written CD-R is a disc of kind 2, so it is refused before its
        // status is looked at.
        {DriveSetup::Disc::Appendable, false, kResultWrongDisc, kTextWrongDisc},
        {DriveSetup::Disc::Closed, false, kResultWrongDisc, kTextWrongDisc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.disc));
        DriveSetup setup;
        setup.disc = c.disc;
        setup.rewritable = c.rewritable;
        Prepare(setup);
        FakeTrackSource source{{kSecond * 5}};
        Run(source);
        ExpectEndedWith(c.result, c.text);
        EXPECT_EQ(log->Texts(), std::vector<std::string>{c.text});
        EXPECT_TRUE(rig->Disc().tracks.empty());
    }
}

TEST_F(Burn, ADiscOfUnknownCapacityHoldsNothing)
{
    DriveSetup setup;
    setup.capacityUnknown = true;
    Prepare(setup);
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectEndedWith(kResultTooManyFiles, kTextTooManyFiles);
    EXPECT_TRUE(rig->Disc().tracks.empty());
}

TEST_F(Burn, ComparesTheSectorsTheBurnNeedsWithTheSectorsTheDiscHolds)
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

TEST_F(Burn, ASourceThatCannotTellItsTrackLengthsIsMeasuredByItsTotal)
{
    DriveSetup setup;
    setup.leadOutFrames = 150 + 600;
    Prepare(setup);
    FakeTrackSource source{{400 * kSector}, {200 * kSector}};
    source.HideTrackLengths();
    Run(source);
    ExpectEndedWith(kResultTooManyFiles, kTextTooManyFiles);
}

TEST_F(Burn, AnEmptyListBurnsNothingAndLeavesTheDiscBlank)
{
    SimulatedDrive& drive = PrepareSimulated();
    FakeTrackSource source(std::vector<FakeTrackSource::Track>{});
    Run(source);
    ExpectEndedWith(kResultNothingBurned, kTextNothingBurned);
    EXPECT_FALSE(rig->Disc().sessionClosed);
    EXPECT_TRUE(rig->Disc().tracks.empty());
    for (const auto& cdb : drive.Commands())
        EXPECT_FALSE(cdb[0] == 0x5B && cdb[2] == 0x02) << "CLOSE SESSION sent";
    EXPECT_EQ(drive.Ejects(), 1);
}

TEST_F(Burn, TracksWithoutAudioAreSkippedAndLaterTracksKeepTheDrivesNumbers)
{
    Prepare();
    FakeTrackSource source(
        {{kSecond * 5}, {0}, {kSecond * 4 + 1000}, {kSecond * 3, false}, {kSecond * 6 + 2}});
    Run(source);
    ExpectDiscHolds(source, {0, 2, 4});
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    EXPECT_EQ(writer->GetSkippedTracks(),
              (std::vector<SkippedTrack>{{1, SkipReason::NoAudio}, {3, SkipReason::NoDecoder}}));
    const auto texts = log->Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), kTextTrackNotPrimed), 2);
}

TEST_F(Burn, AShortTrackIsPaddedWithSilenceTo300Sectors)
{
    Prepare();
    FakeTrackSource source{{kSecond * 5}, {kSecond}, {kSecond * 5}, {1000}};
    Run(source);
    ExpectDiscHolds(source, {0, 1, 2, 3});
    EXPECT_EQ(rig->Disc().tracks[1].audio.size(), 300u * kSector);
    EXPECT_EQ(rig->Disc().tracks[3].audio.size(), 300u * kSector);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
}

TEST_F(Burn, AListWithoutAudioWritesNothingAndSaysSo)
{
    SimulatedDrive& drive = PrepareSimulated();
    FakeTrackSource source{{0}, {kSecond * 2, false}};
    Run(source);
    ExpectEndedWith(kResultNothingBurned, kTextNothingBurned);
    EXPECT_FALSE(rig->Disc().sessionClosed);
    EXPECT_TRUE(rig->Disc().tracks.empty());
    const auto opcodes = drive.Opcodes();
    EXPECT_EQ(std::count(opcodes.begin(), opcodes.end(), 0x5B), 0);
    EXPECT_EQ(writer->GetSkippedTracks(),
              (std::vector<SkippedTrack>{{0, SkipReason::NoAudio}, {1, SkipReason::NoDecoder}}));
}

TEST_F(Burn, NineFailedWritesEndOnlyThatTrack)
{
    DriveSetup setup;
    setup.failFromWrite = 20;
    setup.writeFailures = 9;
    Prepare(setup);
    FakeTrackSource source{{25 * kChunk}, {kSecond * 5}};
    TraceCapture trace;
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    const BurnedDisc disc = rig->Disc();
    ASSERT_EQ(disc.tracks.size(), 2u);
    EXPECT_EQ(disc.tracks[0].audio.size(), 19u * kChunk);
    EXPECT_TRUE(disc.tracks[1].audio == OnDisc(source.Audio(1)));
    for (int retry = 8; retry >= 1; --retry)
        EXPECT_EQ(trace.Count(Numbered("Write failed. Retrying. iError=-16, iRetry=%d\n", retry)), 1);
    EXPECT_TRUE(trace.Contains("\n\nThe write really could not succeed!\n\n"));
    EXPECT_EQ(writer->GetSkippedTracks(), (std::vector<SkippedTrack>{{0, SkipReason::WriteFailed}}));
}

TEST_F(Burn, EightFailedWritesAreRetriedWithoutLoss)
{
    DriveSetup setup;
    setup.failFromWrite = 3;
    setup.writeFailures = 8;
    setup.writeFailureSenseKey = 0x04;
    Prepare(setup);
    FakeTrackSource source{{kSecond * 5}};
    TraceCapture trace;
    Run(source);
    ExpectDiscHolds(source, {0});
    EXPECT_EQ(trace.Count("Write failed. Retrying. iError=-17, iRetry=1\n"), 1);
    EXPECT_FALSE(trace.Contains("\n\nThe write really could not succeed!\n\n"));
}

TEST_F(Burn, ADriveBusyWritingIsWaitedForWithoutUsingUpTheRetries)
{
    DriveSetup setup;
    setup.busyAnswersPerWrite = 12;
    Prepare(setup);
    FakeTrackSource source{{kSecond * 5}, {kSecond * 4 + 10}};
    TraceCapture trace;
    Run(source);
    ExpectDiscHolds(source, {0, 1});
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    for (const std::string& text : trace.Texts())
        EXPECT_EQ(text.rfind("Write failed.", 0), std::string::npos) << text;
}

TEST_F(Burn, ADriveThatStaysBusyEndsTheTrackAfterTheLimit)
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

TEST_F(Burn, WaitsForTheSessionToClose)
{
    for (const int polls : {3, 1000}) {
        SCOPED_TRACE(polls);
        DriveSetup setup;
        setup.notReadyPollsAfterClose = polls;
        Prepare(setup);
        FakeTrackSource source{{kSecond * 5}};
        TraceCapture trace;
        Run(source);
        const int waits = polls == 3 ? 3 : 300;
        EXPECT_TRUE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 301 - waits)));
        EXPECT_FALSE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 300 - waits)));
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        EXPECT_TRUE(rig->Disc().sessionClosed);
    }
}

TEST_F(Burn, AStopBeforeWritingWritesNothingAndKeepsTheStopText)
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

TEST_F(Burn, AStopDuringATrackClosesItLeavesTheSessionOpenAndEjects)
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

    // The next burn, on the fresh disc, runs as usual.
    FakeTrackSource next{{kSecond * 5}};
    ASSERT_TRUE(writer->WriteDisc(&next));
    ASSERT_TRUE(log->WaitFinished(2));
    EXPECT_EQ(writer->GetResult(), kResultSuccess);
    ExpectDiscHolds(next, {0});
}

TEST_F(Burn, DestroyingTheWriterDuringABurnStopsAndWaitsForIt)
{
    Prepare();
    FakeTrackSource source{{40 * kChunk}};
    source.HoldRead(3);
    ASSERT_TRUE(writer->WriteDisc(&source));
    ASSERT_TRUE(source.WaitUntilHeld());
    writer.reset();
    EXPECT_GE(source.FinishCalls(), 1);
    EXPECT_FALSE(rig->Disc().sessionClosed);
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
