#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DiscWriter.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tests/recorder/BurnTest.h"
#include "tests/recorder/ImageRig.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace quillstar::recorder;

namespace {

constexpr int kPauseSectors = 150;
// A 1-minute disc: its lead-out starts at 00:59:74, 4499 frames, so it holds
// 4499 - 150 sectors of audio.
constexpr int kOneMinuteLeadOut = 59 * 75 + 74;
constexpr int kOneMinuteSectors = kOneMinuteLeadOut - 150;

// What the recorder traces for WRITEs it refuses.
constexpr const char* kWriteRefusedBusy = "Image recorder: command 0x2a refused, status 0x02, sense 2/04/08\n";
constexpr const char* kWriteRefusedPastLeadOut = "Image recorder: command 0x2a refused, status 0x02, sense 5/21/00\n";

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
};

}  // namespace

TEST_F(ImageBurn, RefusesADiscOfAnotherTypeAndWritesNoImage)
{
    PrepareWithOptions({}, "disc-type=0x10");
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectRefusedBeforeWriting(kResultWrongDisc, kTextWrongDisc, source);
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
        ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
        ExpectProgressThenFinished();
        EXPECT_EQ(trace.Count(kWriteRefusedPastLeadOut), 9);
        EXPECT_TRUE(rig->Files().empty());
    }
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

// Every drive answer counts: a fault at any step of a two-track burn ends it
// as failed, names the command and its sense, and leaves no finished image.
TEST_F(ImageBurn, EveryRefusedStepEndsTheBurnAsFailed)
{
    struct Fault {
        const char* options;
        const char* failure;
        int tracksClosed;
    };
    const Fault faults[] = {
        {"sync-cache-fails", "SYNCHRONIZE CACHE refused by the drive: sense 3/0C/00", 0},
        {"close-track-fails=2", "CLOSE TRACK refused by the drive: sense 3/0C/00", 1},
        {"close-session-fails", "CLOSE SESSION refused by the drive: sense 3/72/00", 2},
        {"write-fails-at=5 write-fails=100000", "WRITE refused by the drive: sense 3/0C/00", 0},
        // No disc is no reason to wait or retry: the first refusal ends it.
        {"write-fails-at=5 write-fails=1 write-fail-sense=2/3A/00", "WRITE refused by the drive: sense 2/3A/00", 0},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.options);
        PrepareWithOptions({}, fault.options);
        FakeTrackSource source{{kSecond * 5}, {kSecond * 5}};
        TraceCapture trace;
        Run(source);
        ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
        ExpectProgressThenFinished();
        EXPECT_EQ(writer->GetFailureText(), fault.failure);
        EXPECT_EQ(trace.Count("Close track command went OK!\n"), fault.tracksClosed);
        EXPECT_FALSE(trace.Contains("Write failed. Retrying. iError=-15, iRetry=8\n"));
        EXPECT_TRUE(rig->Files().empty());
    }
}

TEST_F(ImageBurn, AnImageThatCannotBeWrittenIsKeptUnderItsTemporaryName)
{
    PrepareWithOptions({}, "image-write-fails");
    FakeTrackSource source{{kSecond * 5}};
    TraceCapture trace;
    Run(source);
    ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
    EXPECT_EQ(writer->GetFailureText(), "CLOSE SESSION refused by the drive: sense 3/72/00");
    const std::vector<std::string> files = rig->Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].rfind(".disc.bin.", 0), 0u) << files[0];
    const std::filesystem::path kept = std::filesystem::path(Image().ImagePath()).parent_path() / files[0];
    const std::vector<std::string> texts = trace.Texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
        return text.find("the audio written so far is kept in " + kept.string()) != std::string::npos;
    }));
    EXPECT_EQ(std::filesystem::file_size(kept), uintmax_t{kSecond} * 5);
}

TEST_F(ImageBurn, AVerifiedBurnFindsTheReadOffsetAndEverySecondThatDiffersOrCannotBeRead)
{
    // Tracks of 5, 6 and 5 seconds: track 2's audio starts at sector 525.
    const struct {
        std::string options;
        bool silentFirstTrack;
        std::optional<int> offset;
        std::string track2;
    } cases[] = {
        {"", false, 0, "verified"},
        {"read-offset=-700", false, -700, "verified"},
        {"read-offset=+24", false, 24, "verified"},
        {"read-offset=+2900", false, 2900, "verified"},
        {"read-offset=-2900", true, -2900, "verified"},
        {"read-corrupt=760:2 read-offset=30", false, 30, "differs at 00:03 (1 second differs)"},
        {"read-corrupt=600:151", false, 0, "differs at 00:01 (3 seconds differ)"},
        {"read-fails=830", false, 0, "could not be read at 00:04"},
    };
    BurnSettings verify;
    verify.verify = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        PrepareWithOptions({}, c.options);
        writer->SetBurnSettings(verify);
        FakeTrackSource source{{kSecond * 5, true, c.silentFirstTrack}, {kSecond * 6}, {kSecond * 5}};
        Run(source);
        const auto verification = writer->GetVerification();
        ASSERT_TRUE(verification.has_value());
        EXPECT_EQ(verification->readOffset, c.offset);
        EXPECT_EQ(verification->TrackLines(),
                  (std::vector<std::string>{"Track 01: verified", "Track 02: " + c.track2, "Track 03: verified"}));
        const bool verified = c.track2 == "verified";
        ExpectEndedWith(verified ? kResultSuccess : kResultVerificationFailed,
                        verified ? "Verified: all 3 tracks match the music files."
                                 : ("Verification failed: track 02 " + c.track2 + ".").c_str());
        EXPECT_EQ(log->Texts().size(), BurnTexts({1, 2, 3}).size() + 3) << "the success text is replaced";
        EXPECT_EQ(log->Texts()[log->Texts().size() - 2], "Verifying track 03...");
    }

    SCOPED_TRACE("a failed burn does not verify");
    PrepareWithOptions({}, "close-session-fails");
    writer->SetBurnSettings(verify);
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
    EXPECT_FALSE(writer->GetVerification().has_value());
}
