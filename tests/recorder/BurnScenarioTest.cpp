// Burns that run alike on every rig: each test program links its own
// MakeBurnRig, so these run on the simulated drive and on the image recorder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DiscWriter.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tests/recorder/BurnTest.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace quillstar::recorder;
using quillstar::msg::WM_BURN_PROGRESS;

namespace {

using Burn = BurnTest;

}  // namespace

TEST_F(Burn, WritesEveryTrackSampleForSampleAndReportsEachStep)
{
    Prepare();
    // Last chunks of 1000 bytes and of exactly 3 sectors.
    FakeTrackSource source{{kChunk * 20 + 1000}, {kChunk * 19 + 3 * kSector}, {kSecond * 5}};
    TraceCapture trace;
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
    ExpectProgressThenFinished();
    EXPECT_EQ(Percent(), 100);
    EXPECT_EQ(log->Texts(), BurnTexts({1, 2, 3}));
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
    ExpectNothingRefused(trace);
}

TEST_F(Burn, RefusesAMissingDeviceOrADiscThatIsNotABlankCdR)
{
    Prepare();
    writer->SelectDevice(1);
    FakeTrackSource nowhere{{kSecond * 5}};
    Run(nowhere);
    ExpectRefusedBeforeWriting(kResultWrongDisc, kTextWrongDisc, nowhere);

    struct Case {
        const char* name;
        DriveSetup::Disc disc;
        bool rewritable;
    };
    // A written CD-R is a disc of kind 2, so it is refused before its status
    // is looked at.
    const std::vector<Case> cases = {
        {"no disc", DriveSetup::Disc::Missing, false},
        {"CD-RW", DriveSetup::Disc::Blank, true},
        {"appendable CD-R", DriveSetup::Disc::Appendable, false},
        {"closed CD-R", DriveSetup::Disc::Closed, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveSetup setup;
        setup.disc = c.disc;
        setup.rewritable = c.rewritable;
        Prepare(setup);
        FakeTrackSource source{{kSecond * 5}};
        Run(source);
        ExpectRefusedBeforeWriting(kResultWrongDisc, kTextWrongDisc, source);
    }
}

TEST_F(Burn, ADiscOfUnknownCapacityHoldsNothing)
{
    DriveSetup setup;
    setup.capacityUnknown = true;
    Prepare(setup);
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectRefusedBeforeWriting(kResultTooManyFiles, kTextTooManyFiles, source);
}

TEST_F(Burn, TracksWithoutAudioAreSkippedAndLaterTracksKeepTheDrivesNumbers)
{
    Prepare();
    // A good file, a zero-second file, a good one, one whose decoder cannot
    // be opened, a good one.
    FakeTrackSource source({{kSecond * 5}, {0}, {kSecond * 4 + 1000}, {kSecond * 3, false}, {kSecond * 6 + 2}});
    TraceCapture trace;
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectProgressThenFinished();
    ExpectNothingRefused(trace);
    EXPECT_EQ(writer->GetSkippedTracks(),
              (std::vector<SkippedTrack>{{1, SkipReason::NoAudio}, {3, SkipReason::NoDecoder}}));
    // The window counts the list's tracks; the disc numbers only those written.
    std::vector<std::string> texts = {kTextPowerCalibration};
    for (const auto& step :
         {TrackSteps(1), std::vector<std::string>{Numbered(kTextPreparingTrack, 2), kTextTrackNotPrimed}, TrackSteps(3),
          std::vector<std::string>{Numbered(kTextPreparingTrack, 4), kTextTrackNotPrimed}, TrackSteps(5)})
        texts.insert(texts.end(), step.begin(), step.end());
    texts.insert(texts.end(), {kTextClosingSession, kTextSuccess});
    EXPECT_EQ(log->Texts(), texts);
    ExpectDiscHolds(source, {0, 2, 4});
}

TEST_F(Burn, AShortTrackIsPaddedWithSilenceTo300Sectors)
{
    Prepare();
    FakeTrackSource source{{kSecond * 5}, {kSecond}, {kSecond * 5}, {1000}};
    TraceCapture trace;
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectProgressThenFinished();
    EXPECT_EQ(log->Texts(), BurnTexts({1, 2, 3, 4}));
    ExpectNothingRefused(trace);
    ExpectDiscHolds(source, {0, 1, 2, 3});
    const BurnedDisc disc = rig->Disc();
    ASSERT_EQ(disc.tracks.size(), 4u);
    EXPECT_EQ(disc.tracks[1].audio.size(), 300u * kSector);
    EXPECT_EQ(disc.tracks[3].audio.size(), 300u * kSector);
}

TEST_F(Burn, AListWithoutAudioWritesNothingAndLeavesTheDiscBlank)
{
    struct Case {
        const char* name;
        std::vector<FakeTrackSource::Track> tracks;
        std::vector<SkippedTrack> skipped;
    };
    const std::vector<Case> cases = {
        {"empty list", {}, {}},
        {"no file with audio", {{0}, {kSecond * 2, false}}, {{0, SkipReason::NoAudio}, {1, SkipReason::NoDecoder}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare();
        FakeTrackSource source(c.tracks);
        TraceCapture trace;
        Run(source);
        ExpectEndedWith(kResultNothingBurned, kTextNothingBurned);
        ExpectProgressThenFinished();
        EXPECT_EQ(Percent(), 0);
        EXPECT_EQ(writer->GetSkippedTracks(), c.skipped);
        // Neither a track nor the session was closed (a drive refuses to
        // close a session without a track), and nothing was written.
        EXPECT_FALSE(trace.Contains("CloseTrackOrSession\n"));
        ExpectNothingRefused(trace);
        EXPECT_FALSE(rig->Disc().sessionClosed);
        EXPECT_TRUE(rig->Disc().tracks.empty());
        EXPECT_TRUE(rig->Files().empty());
        EXPECT_EQ(source.FinishCalls(), 1);
    }
}

TEST_F(Burn, NineFailedWritesEndTheBurnAsFailed)
{
    DriveSetup setup;
    setup.failFromWrite = 8;
    setup.writeFailures = 9;
    Prepare(setup);
    FakeTrackSource source{{25 * kChunk}, {kSecond * 5}};
    TraceCapture trace;
    Run(source);
    ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
    for (int retry = 8; retry >= 1; --retry)
        EXPECT_EQ(trace.Count(Numbered("Write failed. Retrying. iError=-16, iRetry=%d\n", retry)), 1);
    EXPECT_EQ(writer->GetFailureText(), "WRITE refused by the drive: sense 3/0C/00");
    EXPECT_TRUE(writer->GetSkippedTracks().empty());
    EXPECT_FALSE(trace.Contains("CloseTrackOrSession\n"));
    EXPECT_FALSE(rig->Disc().sessionClosed);
    EXPECT_TRUE(rig->Files().empty());
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
        // The writer gives up after 300 polls: a disc still busy then is
        // not known to be complete.
        const int waits = polls == 3 ? 3 : 300;
        EXPECT_TRUE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 301 - waits)));
        EXPECT_FALSE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 300 - waits)));
        if (polls == 3) {
            ExpectEndedWith(kResultSuccess, kTextSuccess);
            EXPECT_EQ(log->Texts(), BurnTexts({1}));
            ExpectDiscHolds(source, {0});
        } else {
            ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
        }
        ExpectProgressThenFinished();
    }
}

TEST_F(Burn, AStopDuringATrackLeavesTheSessionOpenAndTheNextBurnRunsAsUsual)
{
    Prepare();
    FakeTrackSource source{{40 * kChunk}, {kSecond * 5}};
    source.HoldRead(22);
    ASSERT_TRUE(writer->WriteDisc(&source));
    ASSERT_TRUE(source.WaitUntilHeld());
    EXPECT_TRUE(writer->AbortWrite());
    ASSERT_TRUE(log->WaitFinished());
    ExpectQuietAfterStop();
    auto messages = log->Messages();
    messages.resize(messages.size() - 2);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_BURN_PROGRESS),
              static_cast<std::ptrdiff_t>(messages.size()));
    // The image recorder leaves no image, not even an unfinished one.
    EXPECT_TRUE(rig->Files().empty());
    EXPECT_FALSE(rig->Disc().sessionClosed);

    FakeTrackSource next{{kSecond * 5}};
    ASSERT_TRUE(writer->WriteDisc(&next));
    ASSERT_TRUE(log->WaitFinished(2));
    EXPECT_EQ(writer->GetResult(), kResultSuccess);
    EXPECT_EQ(Text(), kTextSuccess);
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
