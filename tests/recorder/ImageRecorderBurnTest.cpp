#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/TraceCapture.h"
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

TEST_F(ImageBurn, TheDriveIsHeldAndItsTrayLockedOnlyWhileABurnRuns)
{
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stopped" : "failed");
        DriveSetup setup;
        setup.failFromWrite = stop ? 0 : 3;
        setup.writeFailures = stop ? 0 : 100000;
        Prepare(setup);
        // Another user of the drive, in this process.
        MmcCommands other(rig->Library());
        ASSERT_EQ(other.LoadASPI(), 0);
        const DeviceInfo& drive = writer->GetDevice();
        FakeTrackSource source{{40 * kChunk}};
        if (stop)
            source.HoldRead(3);
        ASSERT_TRUE(writer->WriteDisc(&source));
        if (stop) {
            ASSERT_TRUE(source.WaitUntilHeld());
            EXPECT_EQ(other.HoldDevice(drive, true), EBUSY);
            EXPECT_EQ(other.Eject(drive, true), kErrorIllegalRequest) << "the tray is locked";
            EXPECT_TRUE(writer->AbortWrite());
        }
        ASSERT_TRUE(log->WaitFinished());
        EXPECT_EQ(other.HoldDevice(drive, true), 0);
        EXPECT_EQ(other.HoldDevice(drive, false), 0);
        EXPECT_EQ(other.Eject(drive, true), 0) << "the tray is free";
    }
}
