// The writer's burns on the image recorder of the real libwnaspi32.so: what
// the disc holds, the window's texts and messages, and every fault of a
// drive or a track the burn must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/aspi/CdTextPack.h"
#include "recorder/DiscWriter.h"
#include "recorder/MmcCommands.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tests/recorder/BurnTest.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace quillstar::recorder;
using quillstar::msg::WM_BURN_FINISHED;
using quillstar::msg::WM_BURN_PROGRESS;
using quillstar::msg::WM_BURN_STOPPED;

namespace {

// A 1-minute disc: its lead-out starts at 00:59:74, 4499 frames, so it holds
// 4499 - 150 sectors of audio.
constexpr int kOneMinuteSectors = 59 * 75 + 74 - 150;
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

class Burn : public BurnTest {
protected:
    void WriteAtOnce(int pauseFrames)
    {
        BurnSettings settings;
        settings.discAtOnce = true;
        settings.pauseFrames = pauseFrames;
        writer->SetBurnSettings(settings);
    }

    // The file of that extension beside the rig's first image.
    std::string Beside(const char* extension) const
    {
        return std::filesystem::path(rig->ImagePath()).replace_extension(extension).string();
    }
};

}  // namespace

TEST_F(Burn, WritesEveryTrackSampleForSampleWhetherTheDriveKeepsUpOrNot)
{
    // Last chunks of 1000 bytes and of exactly 3 sectors, and two tracks
    // shorter than the 300 sectors a track must have.
    const std::vector<FakeTrackSource::Track> tracks = {
        {kChunk * 20 + 1000}, {kChunk * 19 + 3 * kSector}, {kSecond * 5}, {kSecond}, {1000}};
    // The second drive's buffer of one chunk empties at 10 MB/s: every WRITE
    // that follows another at once finds it full.
    for (const std::string options : {"", "throttle buffer-kb=40 max-write-speed=10000 current-write-speed=10000"}) {
        SCOPED_TRACE(options);
        Prepare(options);
        FakeTrackSource source(tracks);
        // A window reading the progress while the burn thread waits and writes
        // sees only whole texts of the burn and percents that never go back.
        const std::vector<std::string> texts = BurnTexts({1, 2, 3, 4, 5});
        std::atomic<bool> finished = false;
        std::thread window([&] {
            for (int lastPercent = 0; !finished; std::this_thread::yield()) {
                std::string text;
                int percent = 0;
                writer->GetProgress(text, percent);
                EXPECT_TRUE(text.empty() || std::find(texts.begin(), texts.end(), text) != texts.end()) << text;
                EXPECT_GE(percent, lastPercent);
                EXPECT_LE(percent, 100);
                lastPercent = percent;
            }
        });
        Run(source);
        finished = true;
        window.join();

        ExpectDiscHolds(source, {0, 1, 2, 3, 4});
        EXPECT_EQ(rig->Disc().tracks[0].audio.size(), 321u * kSector);
        EXPECT_EQ(rig->Disc().tracks[3].audio.size(), 300u * kSector);
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        EXPECT_EQ(Percent(), 100);
        EXPECT_EQ(log->Texts(), texts);
        // Closing a track keeps the percent it had reached.
        const auto entries = log->Entries();
        for (size_t at = 1; at < entries.size(); ++at) {
            if (entries[at].text.rfind("Closing", 0) == 0) {
                EXPECT_EQ(entries[at].percent, entries[at - 1].percent) << entries[at].text;
            }
        }
        EXPECT_TRUE(writer->GetSkippedTracks().empty());
        EXPECT_EQ(source.FinishCalls(), 1);
        if (options.empty()) {
            ExpectNothingRefused();
        } else {
            EXPECT_GT(trace.Count(kWriteRefusedBusy), 0);
        }
        for (const std::string& text : trace.Texts())
            EXPECT_NE(text.rfind("Write failed.", 0), 0u) << text;
    }
}

TEST_F(Burn, RefusesAMissingDeviceOrADiscThatIsNotABlankCdR)
{
    Prepare();
    writer->SelectDevice(1);
    FakeTrackSource nowhere{{kSecond * 5}};
    Run(nowhere);
    ExpectRefusedBeforeWriting(kResultWrongDisc, kTextWrongDisc, nowhere);
    // A written CD-R is a disc of kind 2, so it is refused before its status
    // is looked at.
    for (const char* options : {"disc=none", "media=cdrw", "disc=appendable", "disc=complete", "disc-type=0x10"}) {
        SCOPED_TRACE(options);
        Prepare(options);
        FakeTrackSource source{{kSecond * 5}};
        Run(source);
        ExpectRefusedBeforeWriting(kResultWrongDisc, kTextWrongDisc, source);
    }
}

TEST_F(Burn, TheWriterAndTheRecorderAgreeWhereTheDiscEnds)
{
    struct Case {
        const char* name;
        std::vector<FakeTrackSource::Track> tracks;
        bool fits;
        bool hideLengths = false;
        bool atOnce = false;
    };
    const int lastSector = (kOneMinuteSectors - 2000 - 150) * kSector;
    const std::vector<FakeTrackSource::Track> tenShortTracks(10, {1000});
    // Written at once, the lead-out comes where track-at-once closes the session.
    const std::vector<Case> cases = {
        {"a list that fills the disc to its last sector", {{2000 * kSector}, {lastSector}}, true},
        {"one sample more", {{2000 * kSector}, {lastSector + 4}}, false},
        {"a list that fills the disc, at once", {{2000 * kSector}, {lastSector}}, true, false, true},
        {"one sample more, at once", {{2000 * kSector}, {lastSector + 4}}, false, false, true},
        // 10 x 300 sectors and 9 pauses: one sector more than the disc holds.
        {"short tracks count 300 sectors", tenShortTracks, false},
        {"a source that cannot tell its track lengths is measured by its total",
         {{3000 * kSector}, {1200 * kSector}},
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare("minutes=1");
        if (c.atOnce)
            WriteAtOnce(150);
        FakeTrackSource source(c.tracks);
        if (c.hideLengths)
            source.HideTrackLengths();
        Run(source);
        if (!c.fits) {
            ExpectRefusedBeforeWriting(kResultTooManyFiles, kTextTooManyFiles, source);
            continue;
        }
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        ExpectNothingRefused();
        ExpectDiscHolds(source, {0, 1});
        EXPECT_EQ(std::filesystem::file_size(rig->ImagePath()), uintmax_t{kOneMinuteSectors} * kSector);
    }
    Prepare("unknown-capacity");
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectRefusedBeforeWriting(kResultTooManyFiles, kTextTooManyFiles, source);

    // The last track's final WRITE is the single sector past the lead-out:
    // refused, so the disc is not complete.
    Prepare("minutes=1");
    const int lastTrack = 16 * 100 + 1;
    UnderstatingSource understating{{(kOneMinuteSectors + 1 - lastTrack - 150) * kSector}, {lastTrack * kSector}};
    Run(understating);
    ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
    EXPECT_EQ(trace.Count(kWriteRefusedPastLeadOut), 9);
    EXPECT_TRUE(rig->Files().empty());
}

TEST_F(Burn, TracksWithoutAudioAreSkippedAndLaterTracksKeepTheDrivesNumbers)
{
    Prepare();
    // A good file, a zero-second file, a good one, one whose decoder cannot
    // be opened, a good one.
    FakeTrackSource source({{kSecond * 5}, {0}, {kSecond * 4 + 1000}, {kSecond * 3, false}, {kSecond * 6 + 2}});
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectNothingRefused();
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
        Run(source);
        ExpectEndedWith(kResultNothingBurned, kTextNothingBurned);
        EXPECT_EQ(Percent(), 0);
        EXPECT_EQ(writer->GetSkippedTracks(), c.skipped);
        // Neither a track nor the session was closed (a drive refuses to
        // close a session without a track), and nothing was written.
        EXPECT_FALSE(trace.Contains("CloseTrackOrSession\n"));
        ExpectNothingRefused();
        EXPECT_TRUE(rig->Files().empty());
        EXPECT_EQ(source.FinishCalls(), 1);
    }
}

// Every drive answer counts: a failed WRITE is retried eight times, and a
// fault at any step of a two-track burn that retries do not mend ends it as
// failed, names the command and its sense, and leaves no finished image.
TEST_F(Burn, EveryRefusedStepEndsTheBurnAsFailedOnceRetriesDoNotMendIt)
{
    struct Fault {
        const char* options;
        const char* failure;            // empty when the retries mended it
        int closes;                     // tracks and the session closed
        const char* retries = nullptr;  // the trace of each of the eight retries
        bool atOnce = false;            // its retries left unchecked
    };
    // The drive that stays busy fails each WRITE once the wait has run out.
    timings.notReadyLimit = 20;
    const Fault faults[] = {
        {"write-fails=8 write-fails-at=3 write-fail-sense=4/0C/00", "", 3,
         "Write failed. Retrying. iError=-17, iRetry=%d\n"},
        {"write-fails=9 write-fails-at=8", "WRITE refused by the drive: sense 3/0C/00", 0,
         "Write failed. Retrying. iError=-16, iRetry=%d\n"},
        {"write-fails=100000 write-fail-sense=2/04/08", "WRITE refused by the drive: sense 2/04/08", 0,
         "Write failed. Retrying. iError=-15, iRetry=%d\n"},
        // No disc is no reason to wait or retry: the first refusal ends it.
        {"write-fails-at=5 write-fails=1 write-fail-sense=2/3A/00", "WRITE refused by the drive: sense 2/3A/00", 0},
        {"sync-cache-fails", "SYNCHRONIZE CACHE refused by the drive: sense 3/0C/00", 0},
        {"close-track-fails=2", "CLOSE TRACK refused by the drive: sense 3/0C/00", 1},
        {"close-session-fails", "CLOSE SESSION refused by the drive: sense 3/72/00", 2},
        // Written at once, the session ends with the cache written out.
        {"sync-cache-fails", "SYNCHRONIZE CACHE refused by the drive: sense 3/0C/00", 0, nullptr, true},
        {"close-session-fails", "SYNCHRONIZE CACHE refused by the drive: sense 3/72/00", 0, nullptr, true},
        {"write-fails-at=5 write-fails=100000", "WRITE refused by the drive: sense 3/0C/00", 0, nullptr, true},
        {"write-fails-at=5 write-fails=1 write-fail-sense=2/3A/00", "WRITE refused by the drive: sense 2/3A/00", 0,
         nullptr, true},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(testing::Message() << fault.options << (fault.atOnce ? " at once" : ""));
        Prepare(fault.options);
        if (fault.atOnce)
            WriteAtOnce(150);
        FakeTrackSource source{{kSecond * 5}, {kSecond * 5}};
        Run(source);
        EXPECT_EQ(trace.Count("Close track command went OK!\n"), fault.closes);
        const auto texts = trace.Texts();
        if (!fault.atOnce) {
            EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                    [](const std::string& text) { return text.rfind("Write failed.", 0) == 0; }),
                      fault.retries ? 8 : 0);
        }
        for (int retry = 8; fault.retries && retry >= 1; --retry)
            EXPECT_EQ(trace.Count(Numbered(fault.retries, retry)), 1);
        EXPECT_TRUE(writer->GetSkippedTracks().empty());
        if (*fault.failure == 0) {
            ExpectEndedWith(kResultSuccess, kTextSuccess);
            ExpectDiscHolds(source, {0, 1});
            continue;
        }
        ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
        EXPECT_EQ(writer->GetFailureText(), fault.failure);
        EXPECT_TRUE(rig->Files().empty());
    }

    // An image that cannot be written is kept under its temporary name.
    for (const bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce ? "image-write-fails at once" : "image-write-fails");
        Prepare("image-write-fails");
        if (atOnce)
            WriteAtOnce(150);
        FakeTrackSource source{{kSecond * 5}};
        Run(source);
        ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
        EXPECT_EQ(writer->GetFailureText(), (atOnce ? "SYNCHRONIZE CACHE" : "CLOSE SESSION") +
                                                std::string(" refused by the drive: sense 3/72/00"));
        const std::vector<std::string> files = rig->Files();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(files[0].rfind(".disc.bin.", 0), 0u) << files[0];
        const std::filesystem::path kept = std::filesystem::path(rig->ImagePath()).parent_path() / files[0];
        const std::vector<std::string> texts = trace.Texts();
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
            return text.find("the audio written so far is kept in " + kept.string()) != std::string::npos;
        }));
        EXPECT_EQ(std::filesystem::file_size(kept), uintmax_t{kSecond} * 5);
    }
}

TEST_F(Burn, ADiscWrittenAtOnceIsOneStreamWithItsCdTextAndSilenceWhereADecoderFailed)
{
    Prepare();
    WriteAtOnce(0);
    writer->SetDiscText({{"Album", "Band"}, {{"One", "Band"}, {"Empty", ""}, {"Broken", ""}, {"Three", "Guest"}}});
    // A track ending inside a sector, one without audio (left out), one whose
    // decoder cannot be opened (its place stays silent), one more.
    FakeTrackSource source{{kSecond * 5 + 1000}, {0}, {kSecond * 4 + 8, false}, {kSecond * 5 + 4}};
    Run(source);
    ExpectEndedWith(kResultSuccess, kTextSuccess);
    ExpectNothingRefused();
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
    EXPECT_TRUE(ReadFileBytes(rig->ImagePath()) == stream);
    const BurnedDisc disc = rig->Disc();
    ASSERT_EQ(disc.tracks.size(), 3u);
    EXPECT_EQ(disc.tracks[1].audio.size(), 300u * kSector) << "starts in sector 375";
    for (const BurnedDisc::Track& track : disc.tracks)
        EXPECT_EQ(track.pauseSectors, 0);

    const std::vector<uint8_t> file = ReadFileBytes(Beside(".cdt"));
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
    EXPECT_NE(ReadText(Beside(".cue")).find("    TITLE \"Three\"\n    PERFORMER \"Guest\"\n"), std::string::npos);
    // cdrdao finds the image beside the sheet from the sheet's folder.
    const std::filesystem::path sheet(Beside(".cue"));
    const std::string check = "cd " + sheet.parent_path().string() + " && cdrdao toc-size disc.cue >/dev/null 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0);
}

TEST_F(Burn, AVerifiedBurnFindsTheReadOffsetAndEverySecondThatDiffersOrCannotBeRead)
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
        Prepare(c.options);
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
    Prepare("close-session-fails");
    writer->SetBurnSettings(verify);
    FakeTrackSource source{{kSecond * 5}};
    Run(source);
    ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
    EXPECT_FALSE(writer->GetVerification().has_value());
}

TEST_F(Burn, WaitsForTheSessionToCloseUpTo300Polls)
{
    for (const int polls : {3, 1000}) {
        SCOPED_TRACE(polls);
        Prepare("not-ready-after-close=" + std::to_string(polls));
        FakeTrackSource source{{kSecond * 5}};
        Run(source);
        const int waits = std::min(polls, 300);
        EXPECT_TRUE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 301 - waits)));
        EXPECT_FALSE(trace.Contains(Numbered("Waiting for session to close. Loop=%d\n", 300 - waits)));
        // A disc still busy after the last poll is not known to be complete.
        if (polls > 300) {
            ExpectEndedWith(kResultBurnFailed, kTextBurnFailed);
            continue;
        }
        ExpectEndedWith(kResultSuccess, kTextSuccess);
        EXPECT_EQ(log->Texts(), BurnTexts({1}));
        ExpectDiscHolds(source, {0});
    }
}

TEST_F(Burn, AStopDuringATrackLeavesNoImageKeepsItsTextAndTheNextBurnRunsAsUsual)
{
    for (const bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce ? "at once" : "track-at-once");
        Prepare();
        if (atOnce)
            WriteAtOnce(150);
        FakeTrackSource source{{40 * kChunk}, {kSecond * 5}};
        source.HoldRead(22);
        ASSERT_TRUE(writer->WriteDisc(&source));
        ASSERT_TRUE(source.WaitUntilHeld());
        EXPECT_TRUE(writer->AbortWrite());
        ASSERT_TRUE(log->WaitFinished());
        // Progress messages, then only the stop and the finish: the window
        // keeps its stop text.
        auto messages = log->Messages();
        ASSERT_GE(messages.size(), 2u);
        EXPECT_EQ(std::vector<uint32_t>(messages.end() - 2, messages.end()),
                  (std::vector<uint32_t>{WM_BURN_STOPPED, WM_BURN_FINISHED}));
        messages.resize(messages.size() - 2);
        EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_BURN_PROGRESS),
                  static_cast<std::ptrdiff_t>(messages.size()));
        EXPECT_EQ(writer->GetResult(), kResultSuccess);
        EXPECT_NE(Text(), kTextSuccess);
        EXPECT_NE(Text(), kTextTooManyFiles);
        // The image recorder leaves no image, not even an unfinished one.
        EXPECT_TRUE(rig->Files().empty());

        FakeTrackSource next{{kSecond * 5}, {kSecond * 4}};
        ASSERT_TRUE(writer->WriteDisc(&next));
        ASSERT_TRUE(log->WaitFinished(2));
        EXPECT_EQ(writer->GetResult(), kResultSuccess);
        EXPECT_EQ(Text(), kTextSuccess);
        ExpectDiscHolds(next, {0, 1});
    }
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
    EXPECT_TRUE(rig->Files().empty());
}

TEST_F(Burn, TheDriveIsHeldAndItsTrayLockedOnlyWhileABurnRuns)
{
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stopped" : "failed");
        Prepare(stop ? "" : "write-fails-at=3 write-fails=100000");
        // Another user of the drive, in this process.
        ScsiTransport other(ImageRig::Library());
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
