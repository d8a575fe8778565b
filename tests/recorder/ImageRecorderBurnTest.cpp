#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DiscWriter.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tests/platform/aspi/TemporaryFolder.h"
#include "tests/recorder/BurnTest.h"
#include "tests/recorder/ImageRig.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace quillstar::recorder;
using quillstar::msg::WM_BURN_FINISHED;
using quillstar::msg::WM_BURN_PROGRESS;

namespace {

constexpr int kPauseSectors = 150;
// A 1-minute disc: its lead-out starts at 00:59:74, 4499 frames, so it holds
// 4499 - 150 sectors of audio.
constexpr int kOneMinuteLeadOut = 59 * 75 + 74;
constexpr int kOneMinuteSectors = kOneMinuteLeadOut - 150;

// What the recorder traces for each command it refuses.
constexpr const char* kRefusal = "Image recorder: command ";
constexpr const char* kWriteRefusedBusy = "Image recorder: command 0x2a refused, status 0x02, sense 2/04/08\n";
constexpr const char* kWriteRefusedPastLeadOut = "Image recorder: command 0x2a refused, status 0x02, sense 5/21/00\n";

// The image a closed session leaves: each track in whole sectors (at least
// 300), the pause's silence before every track after the first.
std::vector<uint8_t> ExpectedImage(const FakeTrackSource& source, const std::vector<int>& sourceTracks)
{
    std::vector<uint8_t> image;
    for (size_t at = 0; at < sourceTracks.size(); ++at) {
        if (at > 0)
            image.resize(image.size() + size_t{kPauseSectors} * kSector, 0);
        const auto track = OnDisc(source.Audio(sourceTracks[at]));
        image.insert(image.end(), track.begin(), track.end());
    }
    return image;
}

std::vector<std::string> BurnTexts(const std::vector<int>& writtenTracks)
{
    std::vector<std::string> texts = {kTextPowerCalibration};
    for (const int track : writtenTracks) {
        const auto steps = TrackSteps(track);
        texts.insert(texts.end(), steps.begin(), steps.end());
    }
    texts.insert(texts.end(), {kTextClosingSession, kTextSuccess});
    return texts;
}

void ExpectNothingRefused(const TraceCapture& trace)
{
    for (const std::string& text : trace.Texts())
        EXPECT_NE(text.rfind(kRefusal, 0), 0u) << text;
}

// A source whose last track delivers one sector more than it announces, as
// a decoder whose length was estimated short does.
class UnderstatingSource : public FakeTrackSource {
public:
    using FakeTrackSource::FakeTrackSource;

    double GetTrackBytes(int track) override
    {
        const bool last = track == GetTrackCount() - 1;
        return FakeTrackSource::GetTrackBytes(track) - (last ? kSector : 0);
    }
    double GetTotalBytes() override { return FakeTrackSource::GetTotalBytes() - kSector; }
};

class ImageBurn : public BurnTest {
protected:
    // A recorder with test options the setup has no field for.
    void PrepareWithOptions(const DriveSetup& setup, const std::string& moreOptions)
    {
        Disconnect();
        Connect(std::make_unique<ImageRig>(setup, moreOptions));
    }

    ImageRig& Image() const { return static_cast<ImageRig&>(*rig); }

    // Progress messages only, then the one finished message.
    void ExpectProgressThenFinished()
    {
        auto messages = log->Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), WM_BURN_FINISHED);
        messages.pop_back();
        EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_BURN_PROGRESS),
                  static_cast<std::ptrdiff_t>(messages.size()));
    }

    void ExpectRefusedBeforeWriting(int result, const char* text, const FakeTrackSource& source)
    {
        ExpectEndedWith(result, text);
        EXPECT_EQ(log->Messages(), (std::vector<uint32_t>{WM_BURN_PROGRESS, WM_BURN_FINISHED}));
        EXPECT_EQ(Percent(), 0);
        EXPECT_TRUE(Image().Files().empty());
        EXPECT_EQ(source.FinishCalls(), 0);
    }
};

}  // namespace

TEST_F(ImageBurn, WritesEveryTrackSampleForSampleIntoTheImageAndItsCueSheet)
{
    Prepare();
    // Last chunks of 1000 bytes and of exactly 3 sectors.
    FakeTrackSource source{{kChunk * 20 + 1000}, {kChunk * 19 + 3 * kSector}, {kSecond * 5}};
    TraceCapture trace;
    Run(source);

    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectProgressThenFinished();
    EXPECT_EQ(Percent(), 100);
    EXPECT_EQ(log->Texts(), BurnTexts({1, 2, 3}));
    const auto percents = log->Percents();
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_TRUE(writer->GetSkippedTracks().empty());
    EXPECT_EQ(source.FinishCalls(), 1);
    ExpectNothingRefused(trace);

    EXPECT_EQ(Image().Files(), (std::vector<std::string>{"disc.bin", "disc.cue"}));
    // 321, 307 and 375 sectors, a 150-sector pause before the second and third.
    EXPECT_EQ(ReadText(Image().CuePath()),
              "FILE \"disc.bin\" BINARY\n"
              "  TRACK 01 AUDIO\n"
              "    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n"
              "    INDEX 00 00:04:21\n"
              "    INDEX 01 00:06:21\n"
              "  TRACK 03 AUDIO\n"
              "    INDEX 00 00:10:28\n"
              "    INDEX 01 00:12:28\n");
    EXPECT_TRUE(Image().Image() == ExpectedImage(source, {0, 1, 2}));
    ExpectDiscHolds(source, {0, 1, 2});
}

TEST_F(ImageBurn, BchunkSplitsTheImageIntoTheSourceTracks)
{
    if (std::system("command -v bchunk > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "bchunk is not installed";
    Prepare();
    FakeTrackSource source{{kChunk * 20 + 1000}, {kSecond}, {kChunk * 19 + 3 * kSector}};
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectProgressThenFinished();

    TemporaryFolder split;
    const std::string command =
        "cd '" + split.Path() + "' && bchunk -w '" + Image().ImagePath() + "' '" + Image().CuePath() + "' track > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (int track = 0; track < 3; ++track) {
        SCOPED_TRACE(track);
        const auto wav = ReadWholeFile(split.File("track0" + std::to_string(track + 1) + ".wav"));
        ASSERT_GT(wav.size(), 44u);
        EXPECT_TRUE(std::vector<uint8_t>(wav.begin() + 44, wav.end()) == OnDisc(source.Audio(track)));
    }
}

TEST_F(ImageBurn, RefusesADiscThatIsNotABlankCdRAndWritesNoImage)
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
        const char* moreOptions;
    };
    // A written CD-R is a disc of kind 2, so it is refused before its status
    // is looked at.
    const std::vector<Case> cases = {
        {"no disc", DriveSetup::Disc::Missing, false, ""},
        {"CD-RW", DriveSetup::Disc::Blank, true, ""},
        {"appendable CD-R", DriveSetup::Disc::Appendable, false, ""},
        {"closed CD-R", DriveSetup::Disc::Closed, false, ""},
        {"other disc type", DriveSetup::Disc::Blank, false, "disc-type=0x10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriveSetup setup;
        setup.disc = c.disc;
        setup.rewritable = c.rewritable;
        PrepareWithOptions(setup, c.moreOptions);
        FakeTrackSource source{{kSecond * 5}};
        Run(source);
        ExpectRefusedBeforeWriting(kResultWrongDisc, kTextWrongDisc, source);
        EXPECT_EQ(log->Texts(), std::vector<std::string>{kTextWrongDisc});
    }
}

TEST_F(ImageBurn, ADiscOfUnknownCapacityHoldsNothing)
{
    DriveSetup setup;
    setup.capacityUnknown = true;
    Prepare(setup);
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectRefusedBeforeWriting(kResultTooManyFiles, kTextTooManyFiles, source);
}

TEST_F(ImageBurn, TheWriterAndTheRecorderAgreeWhereTheDiscEnds)
{
    DriveSetup oneMinute;
    oneMinute.leadOutFrames = kOneMinuteLeadOut;
    {
        SCOPED_TRACE("a list that fills the disc to its last sector");
        Prepare(oneMinute);
        FakeTrackSource source{{2000 * kSector}, {(kOneMinuteSectors - 2000 - kPauseSectors) * kSector}};
        TraceCapture trace;
        Run(source);
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        ExpectProgressThenFinished();
        ExpectNothingRefused(trace);
        ExpectDiscHolds(source, {0, 1});
        EXPECT_EQ(std::filesystem::file_size(Image().ImagePath()), uintmax_t{kOneMinuteSectors} * kSector);
    }
    {
        SCOPED_TRACE("one byte more");
        Prepare(oneMinute);
        FakeTrackSource source{{2000 * kSector}, {(kOneMinuteSectors - 2000 - kPauseSectors) * kSector + 1}};
        Run(source);
        ExpectRefusedBeforeWriting(kResultTooManyFiles, kTextTooManyFiles, source);
    }
    {
        // The last track's final WRITE is the single sector past the point.
        SCOPED_TRACE("a source delivering one sector more than it announced");
        Prepare(oneMinute);
        const int lastTrack = 16 * 100 + 1;
        UnderstatingSource source{{(kOneMinuteSectors + 1 - lastTrack - kPauseSectors) * kSector},
                                  {lastTrack * kSector}};
        TraceCapture trace;
        Run(source);
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        ExpectProgressThenFinished();
        EXPECT_EQ(trace.Count(kWriteRefusedPastLeadOut), 9);
        EXPECT_EQ(writer->GetSkippedTracks(), (std::vector<SkippedTrack>{{1, SkipReason::WriteFailed}}));
        const BurnedDisc disc = rig->Disc();
        ASSERT_EQ(disc.tracks.size(), 2u);
        auto written = source.Audio(1);
        written.resize(size_t{lastTrack - 1} * kSector);
        EXPECT_TRUE(disc.tracks[1].audio == written);
        EXPECT_EQ(std::filesystem::file_size(Image().ImagePath()), uintmax_t{kOneMinuteSectors} * kSector);
    }
}

TEST_F(ImageBurn, NineFailedWritesEndOnlyThatTrack)
{
    // The first track breaks off after 19 chunks (304 sectors, long enough
    // to close) or after 7 (112 sectors, filled up with silence to 300 so
    // that it can be closed and the next track follows).
    for (const int chunksWritten : {19, 7}) {
        SCOPED_TRACE(testing::Message() << chunksWritten << " chunks written");
        DriveSetup setup;
        setup.failFromWrite = chunksWritten + 1;
        setup.writeFailures = 9;
        Prepare(setup);
        FakeTrackSource source{{25 * kChunk}, {kSecond * 5}};
        TraceCapture trace;
        Run(source);
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        ExpectProgressThenFinished();
        EXPECT_EQ(log->Texts(), BurnTexts({1, 2}));
        for (int retry = 8; retry >= 1; --retry)
            EXPECT_EQ(trace.Count(Numbered("Write failed. Retrying. iError=-16, iRetry=%d\n", retry)), 1);
        EXPECT_EQ(trace.Count("\n\nThe write really could not succeed!\n\n"), 1);
        EXPECT_EQ(writer->GetSkippedTracks(), (std::vector<SkippedTrack>{{0, SkipReason::WriteFailed}}));

        const BurnedDisc disc = rig->Disc();
        EXPECT_TRUE(disc.sessionClosed);
        ASSERT_EQ(disc.tracks.size(), 2u);
        auto written = source.Audio(0);
        written.resize(size_t{kChunk} * chunksWritten);
        EXPECT_TRUE(disc.tracks[0].audio == OnDisc(written));
        EXPECT_EQ(disc.tracks[1].number, 2);
        EXPECT_EQ(disc.tracks[1].pauseSectors, kPauseSectors);
        EXPECT_TRUE(disc.tracks[1].audio == OnDisc(source.Audio(1)));
    }
}

TEST_F(ImageBurn, TracksWithoutAudioAreSkippedAndLaterTracksKeepTheDrivesNumbers)
{
    Prepare();
    // A good file, a zero-second file, a good one, one whose decoder cannot
    // be opened, a good one.
    FakeTrackSource source(
        {{kSecond * 5}, {0}, {kSecond * 4 + 1000}, {kSecond * 3, false}, {kSecond * 6 + 2}});
    TraceCapture trace;
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectProgressThenFinished();
    ExpectNothingRefused(trace);
    EXPECT_EQ(writer->GetSkippedTracks(),
              (std::vector<SkippedTrack>{{1, SkipReason::NoAudio}, {3, SkipReason::NoDecoder}}));
    // The window counts the list's tracks; the disc numbers only those written.
    std::vector<std::string> texts = {kTextPowerCalibration};
    for (const auto& step : {TrackSteps(1), std::vector<std::string>{Numbered(kTextPreparingTrack, 2), kTextTrackNotPrimed},
                             TrackSteps(3), std::vector<std::string>{Numbered(kTextPreparingTrack, 4), kTextTrackNotPrimed},
                             TrackSteps(5)})
        texts.insert(texts.end(), step.begin(), step.end());
    texts.insert(texts.end(), {kTextClosingSession, kTextSuccess});
    EXPECT_EQ(log->Texts(), texts);

    ExpectDiscHolds(source, {0, 2, 4});
    const std::string cue = ReadText(Image().CuePath());
    for (const char* track : {"TRACK 01 AUDIO", "TRACK 02 AUDIO", "TRACK 03 AUDIO"})
        EXPECT_NE(cue.find(track), std::string::npos) << track;
    EXPECT_EQ(cue.find("TRACK 04"), std::string::npos);
    EXPECT_TRUE(Image().Image() == ExpectedImage(source, {0, 2, 4}));
}

TEST_F(ImageBurn, AShortTrackIsPaddedWithSilenceTo300Sectors)
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
    EXPECT_TRUE(Image().Image() == ExpectedImage(source, {0, 1, 2, 3}));
}

TEST_F(ImageBurn, AListWithoutAudioWritesNothingAndLeavesTheDiscBlank)
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
        // Neither a track nor the session was closed, so the recorder had
        // nothing to refuse and wrote no image.
        EXPECT_FALSE(trace.Contains("CloseTrackOrSession\n"));
        ExpectNothingRefused(trace);
        EXPECT_TRUE(Image().Files().empty());
        EXPECT_EQ(source.FinishCalls(), 1);
    }
}

TEST_F(ImageBurn, WaitsForTheSessionToClose)
{
    for (const int polls : {3, 1000}) {
        SCOPED_TRACE(polls);
        DriveSetup setup;
        setup.notReadyPollsAfterClose = polls;
        Prepare(setup);
        FakeTrackSource source{{kSecond * 5}};
        TraceCapture trace;
        Run(source);
        // The writer gives up after 300 polls.
        const int waits = polls == 3 ? 3 : 300;
        EXPECT_TRUE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 301 - waits)));
        EXPECT_FALSE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 300 - waits)));
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        ExpectProgressThenFinished();
        EXPECT_EQ(log->Texts(), BurnTexts({1}));
        ExpectDiscHolds(source, {0});
    }
}

TEST_F(ImageBurn, AStopDuringATrackLeavesNoImageAndTheNextBurnRunsAsUsual)
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
    // The session stayed open and the disc was ejected: no image, not even
    // an unfinished one.
    EXPECT_TRUE(Image().Files().empty());
    EXPECT_FALSE(rig->Disc().sessionClosed);

    FakeTrackSource next{{kSecond * 5}};
    ASSERT_TRUE(writer->WriteDisc(&next));
    ASSERT_TRUE(log->WaitFinished(2));
    EXPECT_EQ(writer->GetResult(), kResultSuccess);
    EXPECT_EQ(Text(), kTextSuccess);
    ExpectDiscHolds(next, {0});
    EXPECT_EQ(Image().Files(), (std::vector<std::string>{"disc.bin", "disc.cue"}));
}

TEST_F(ImageBurn, AThrottledRecorderIsWaitedForAndEveryTrackArrivesWhole)
{
    // A buffer of one chunk emptied at 10 MB/s: every WRITE that follows
    // another at once finds it full.
    DriveSetup setup;
    setup.maxWriteSpeed = 10000;
    setup.forcedWriteSpeed = 10000;
    PrepareWithOptions(setup, "throttle buffer-kb=40");
    FakeTrackSource source{{kSecond * 4 + 1000}, {kSecond * 3}, {kChunk * 9 + 7}};
    TraceCapture trace;
    // A window reading the progress while the burn thread waits and writes
    // sees only whole texts of the burn and percents that never go back.
    const std::vector<std::string> texts = BurnTexts({1, 2, 3});
    std::atomic<bool> finished = false;
    std::thread window([&] {
        int lastPercent = 0;
        while (!finished) {
            std::string text;
            int percent = 0;
            writer->GetProgress(text, percent);
            EXPECT_TRUE(text.empty() || std::find(texts.begin(), texts.end(), text) != texts.end()) << text;
            EXPECT_GE(percent, lastPercent);
            lastPercent = percent;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    Run(source);
    finished = true;
    window.join();
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectProgressThenFinished();
    EXPECT_EQ(log->Texts(), texts);
    EXPECT_GT(trace.Count(kWriteRefusedBusy), 0);
    for (const std::string& text : trace.Texts())
        EXPECT_NE(text.rfind("Write failed.", 0), 0u) << text;
    EXPECT_TRUE(writer->GetSkippedTracks().empty());
    ExpectDiscHolds(source, {0, 1, 2});
}
