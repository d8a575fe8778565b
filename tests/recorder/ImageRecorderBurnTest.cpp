#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/TraceCapture.h"
#include "platform/aspi/CdTextPack.h"
#include "recorder/DiscWriter.h"
#include "recorder/MmcCommands.h"
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

    void WriteAtOnce(int pauseFrames)
    {
        BurnSettings settings;
        settings.discAtOnce = true;
        settings.pauseFrames = pauseFrames;
        writer->SetBurnSettings(settings);
    }

    std::string Beside(const char* extension) const
    {
        return std::filesystem::path(Image().ImagePath()).replace_extension(extension).string();
    }
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
    // Written at once, the lead-out comes where track-at-once closes the session.
    for (const bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce ? "a list that fills the disc, at once" : "a list that fills the disc");
        Prepare(oneMinute);
        if (atOnce)
            WriteAtOnce(kPauseSectors);
        FakeTrackSource source{{2000 * kSector}, {(kOneMinuteSectors - 2000 - kPauseSectors) * kSector}};
        TraceCapture trace;
        Run(source);
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        ExpectProgressThenFinished();
        ExpectNothingRefused(trace);
        ExpectDiscHolds(source, {0, 1});
        EXPECT_EQ(std::filesystem::file_size(Image().ImagePath()), uintmax_t{kOneMinuteSectors} * kSector);

        SCOPED_TRACE("one sample more");
        Prepare(oneMinute);
        if (atOnce)
            WriteAtOnce(kPauseSectors);
        FakeTrackSource more{{2000 * kSector}, {(kOneMinuteSectors - 2000 - kPauseSectors) * kSector + 4}};
        Run(more);
        ExpectRefusedBeforeWriting(kResultTooManyFiles, kTextTooManyFiles, more);
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
// as failed, names the command and its sense, and leaves no finished image,
// whether the disc is written track-at-once or at once.
TEST_F(ImageBurn, EveryRefusedStepEndsTheBurnAsFailed)
{
    struct Fault {
        const char* options;
        const char* failure;
        int tracksClosed;
        bool atOnce;
    };
    const Fault faults[] = {
        {"sync-cache-fails", "SYNCHRONIZE CACHE refused by the drive: sense 3/0C/00", 0, false},
        {"close-track-fails=2", "CLOSE TRACK refused by the drive: sense 3/0C/00", 1, false},
        {"close-session-fails", "CLOSE SESSION refused by the drive: sense 3/72/00", 2, false},
        {"write-fails-at=5 write-fails=100000", "WRITE refused by the drive: sense 3/0C/00", 0, false},
        // No disc is no reason to wait or retry: the first refusal ends it.
        {"write-fails-at=5 write-fails=1 write-fail-sense=2/3A/00", "WRITE refused by the drive: sense 2/3A/00", 0,
         false},
        // Written at once, the session ends with the cache written out.
        {"sync-cache-fails", "SYNCHRONIZE CACHE refused by the drive: sense 3/0C/00", 0, true},
        {"close-session-fails", "SYNCHRONIZE CACHE refused by the drive: sense 3/72/00", 0, true},
        {"write-fails-at=5 write-fails=100000", "WRITE refused by the drive: sense 3/0C/00", 0, true},
        {"write-fails-at=5 write-fails=1 write-fail-sense=2/3A/00", "WRITE refused by the drive: sense 2/3A/00", 0,
         true},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(testing::Message() << fault.options << (fault.atOnce ? " at once" : ""));
        PrepareWithOptions({}, fault.options);
        if (fault.atOnce)
            WriteAtOnce(150);
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
    for (const bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce ? "at once" : "track-at-once");
        PrepareWithOptions({}, "image-write-fails");
        if (atOnce)
            WriteAtOnce(150);
        FakeTrackSource source{{kSecond * 5}};
        TraceCapture trace;
        Run(source);
        ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
        EXPECT_EQ(writer->GetFailureText(), (atOnce ? "SYNCHRONIZE CACHE" : "CLOSE SESSION") +
                                                std::string(" refused by the drive: sense 3/72/00"));
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
}

TEST_F(ImageBurn, ADiscWrittenAtOnceIsOneStreamWithItsCdTextAndSilenceWhereADecoderFailed)
{
    Prepare();
    WriteAtOnce(0);
    writer->SetDiscText({{"Album", "Band"}, {{"One", "Band"}, {"Empty", ""}, {"Broken", ""}, {"Three", "Guest"}}});
    // A track ending inside a sector, one without audio (left out), one whose
    // decoder cannot be opened (its place stays silent), one more.
    FakeTrackSource source{{kSecond * 5 + 1000}, {0}, {kSecond * 4 + 8, false}, {kSecond * 5 + 4}};
    TraceCapture trace;
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectProgressThenFinished();
    ExpectNothingRefused(trace);
    EXPECT_EQ(writer->GetSkippedTracks(),
              (std::vector<SkippedTrack>{{1, SkipReason::NoAudio}, {2, SkipReason::NoDecoder}}));
    EXPECT_EQ(log->Texts(), (std::vector<std::string>{
                                kTextPowerCalibration, Numbered(kTextPreparingTrack, 1), Numbered(kTextWritingTrack, 1),
                                Numbered(kTextPreparingTrack, 2), kTextTrackNotPrimed, Numbered(kTextPreparingTrack, 3),
                                kTextTrackNotPrimed, Numbered(kTextPreparingTrack, 4), Numbered(kTextWritingTrack, 4),
                                kTextClosingSession, kTextSuccess}));

    // Not a byte between the tracks; each INDEX 01 at the sector its first byte is in.
    std::vector<uint8_t> stream = source.Audio(0);
    stream.resize(stream.size() + kSecond * 4 + 8, 0);
    const std::vector<uint8_t> last = source.Audio(3);
    stream.insert(stream.end(), last.begin(), last.end());
    stream.resize((stream.size() + kSector - 1) / kSector * kSector, 0);
    EXPECT_TRUE(Image().Image() == stream);
    const BurnedDisc disc = rig->Disc();
    ASSERT_EQ(disc.tracks.size(), 3u);
    EXPECT_EQ(disc.tracks[1].audio.size(), 300u * kSector) << "starts in sector 375";
    for (const BurnedDisc::Track& track : disc.tracks)
        EXPECT_EQ(track.pauseSectors, 0);

    const std::vector<uint8_t> file = ReadWholeFile(Beside(".cdt"));
    ASSERT_EQ(file.size() % 18, 4u);
    std::vector<CdTextPack> packs(file.size() / 18);
    for (size_t at = 0; at < packs.size(); ++at) {
        std::copy_n(file.begin() + 4 + static_cast<ptrdiff_t>(at * 18), 18, packs[at].bytes.begin());
        EXPECT_TRUE(packs[at].HasValidCrc()) << at;
    }
    EXPECT_EQ(CdTextPack::Texts(packs, CdTextPack::kTitle),
              (std::vector<std::string>{"Album", "One", "Broken", "Three"}));
    EXPECT_EQ(CdTextPack::Texts(packs, CdTextPack::kPerformer),
              (std::vector<std::string>{"Band", "Band", "", "Guest"}));
    const std::vector<uint8_t> cue = ReadWholeFile(Beside(".cue"));
    EXPECT_NE(std::string(cue.begin(), cue.end()).find("    TITLE \"Three\"\n    PERFORMER \"Guest\"\n"),
              std::string::npos);
    // cdrdao finds the image beside the sheet from the sheet's folder.
    const std::filesystem::path sheet(Beside(".cue"));
    const std::string check = "cd " + sheet.parent_path().string() + " && cdrdao toc-size disc.cue >/dev/null 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST_F(ImageBurn, AStopWhileWritingAtOnceLeavesNoImageAndTheNextBurnRunsAsUsual)
{
    Prepare();
    WriteAtOnce(150);
    FakeTrackSource source{{40 * kChunk}, {kSecond * 5}};
    source.HoldRead(22);
    ASSERT_TRUE(writer->WriteDisc(&source));
    ASSERT_TRUE(source.WaitUntilHeld());
    EXPECT_TRUE(writer->AbortWrite());
    ASSERT_TRUE(log->WaitFinished());
    ExpectQuietAfterStop();
    EXPECT_TRUE(rig->Files().empty());

    FakeTrackSource next{{kSecond * 5}, {kSecond * 4}};
    ASSERT_TRUE(writer->WriteDisc(&next));
    ASSERT_TRUE(log->WaitFinished(2));
    EXPECT_EQ(writer->GetResult(), kResultSuccess);
    ExpectDiscHolds(next, {0, 1});
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

TEST_F(ImageBurn, TheDriveIsHeldAndItsTrayLockedOnlyWhileABurnRuns)
{
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stopped" : "failed");
        DriveSetup setup;
        setup.failFromWrite = stop ? 0 : 3;
        setup.writeFailures = stop ? 0 : 100000;
        Prepare(setup);
        // Another user of the drive, in this process.
        ScsiTransport other(rig->Library());
        ASSERT_EQ(other.LoadASPI(), 0);
        MmcCommands commands(other);
        const DeviceInfo& drive = writer->GetDevice();
        FakeTrackSource source{{40 * kChunk}};
        if (stop)
            source.HoldRead(3);
        ASSERT_TRUE(writer->WriteDisc(&source));
        if (stop) {
            ASSERT_TRUE(source.WaitUntilHeld());
            EXPECT_EQ(other.HoldDevice(drive, true), EBUSY);
            EXPECT_EQ(commands.Eject(drive, true), kErrorIllegalRequest) << "the tray is locked";
            EXPECT_TRUE(writer->AbortWrite());
        }
        ASSERT_TRUE(log->WaitFinished());
        EXPECT_EQ(other.HoldDevice(drive, true), 0);
        EXPECT_EQ(other.HoldDevice(drive, false), 0);
        EXPECT_EQ(commands.Eject(drive, true), 0) << "the tray is free";
    }
}
