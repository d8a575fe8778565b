#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/aspi/ImageRecorderOptions.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "tests/platform/aspi/TemporaryFolder.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;

namespace {

const scsi::SenseCode kLongWriteInProgress{2, 0x04, 0x08};

std::string ParseError(const std::string& text)
{
    std::string error;
    EXPECT_FALSE(ImageRecorderOptions::Parse(text, error).has_value()) << text;
    return error;
}

class ImageRecorderOption : public testing::Test {
protected:
    TestBurner& Recorder(const std::string& options)
    {
        burner_ = std::make_unique<TestBurner>(TestBurner::ForImageRecorder(folder_.File("disc.bin"), options));
        return *burner_;
    }

    std::vector<uint8_t> DiscInformation()
    {
        std::vector<uint8_t> data;
        EXPECT_TRUE(IsGood(burner_->ReadDiscInformation(data)));
        return data;
    }

    // The capabilities page of an all-pages sense, or nothing.
    std::vector<uint8_t> CapabilitiesPage()
    {
        std::vector<uint8_t> reply;
        EXPECT_TRUE(IsGood(burner_->SenseAllPages(reply)));
        for (size_t offset = 8; offset < big_endian::Get16(&reply[0]) + 2u; offset += reply[offset + 1] + 2) {
            if ((reply[offset] & 0x3F) == 0x2A)
                return {reply.begin() + static_cast<long>(offset), reply.begin() + static_cast<long>(offset) + 26};
        }
        return {};
    }

    TemporaryFolder folder_;
    std::unique_ptr<TestBurner> burner_;
};

}  // namespace

TEST(ImageRecorderOptionsParse, TakesCommasOrSpacesAndKeepsDefaultsForTheRest)
{
    std::string error;
    const auto options = ImageRecorderOptions::Parse(
        " minutes=74, media=cdrw  current-read-speed=0x7d0,throttle command-delay-ms=250", error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(options->minutes, 74);
    EXPECT_TRUE(options->erasable);
    EXPECT_EQ(options->forcedReadSpeed, 2000);
    EXPECT_TRUE(options->throttle);
    EXPECT_EQ(options->commandDelayMs, 250);
    EXPECT_EQ(options->disc, ImageRecorderOptions::Disc::kBlank);
    EXPECT_EQ(options->maxWriteSpeed, 8467);
    EXPECT_EQ(options->writeFailures, 0);
}

TEST(ImageRecorderOptionsParse, RefusesWhatItDoesNotKnowWithTheReason)
{
    EXPECT_EQ(ParseError("throttle,turbo"), "unknown option 'turbo'");
    EXPECT_EQ(ParseError("minutes=0"), "bad value in 'minutes=0'");
    EXPECT_EQ(ParseError("minutes=80min"), "bad value in 'minutes=80min'");
    EXPECT_EQ(ParseError("max-write-speed=70000"), "bad value in 'max-write-speed=70000'");
    EXPECT_EQ(ParseError("disc=dvd"), "bad value in 'disc=dvd'");
    EXPECT_EQ(ParseError("write-fail-sense=5/24"), "bad value in 'write-fail-sense=5/24'");
    EXPECT_EQ(ParseError("write-fail-sense=10/24/00"), "bad value in 'write-fail-sense=10/24/00'");
    EXPECT_EQ(ParseError("throttle=1"), "option takes no value: 'throttle=1'");
    EXPECT_EQ(ParseError("minutes"), "option needs a value: 'minutes'");
    EXPECT_EQ(ParseError("read-offset=441001"), "bad value in 'read-offset=441001'");
    for (const char* range : {"read-corrupt=5:0", "read-corrupt=-1", "read-fails=5:", "read-fails=x"})
        EXPECT_EQ(ParseError(range), std::string("bad value in '") + range + "'");
}

TEST_F(ImageRecorderOption, DiscLengthAndUnreadableCapacityShowInTheLeadOut)
{
    Recorder("minutes=74");
    auto data = DiscInformation();
    EXPECT_EQ(std::vector<uint8_t>(data.begin() + 21, data.begin() + 24), (std::vector<uint8_t>{73, 59, 74}));

    Recorder("unknown-capacity");
    data = DiscInformation();
    EXPECT_EQ(std::vector<uint8_t>(data.begin() + 21, data.begin() + 24), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF}));
}

TEST_F(ImageRecorderOption, ADiscShorterThanTheBurnRefusesTheWriteAtItsEnd)
{
    TestBurner& burner = Recorder("minutes=1");
    ASSERT_TRUE(IsGood(burner.SelectTrackAtOnceAudio()));
    const std::vector<uint8_t> chunk(16 * cd::kSectorSize, 0);
    int32_t address = 0;
    while (IsGood(burner.Write(address, chunk.data(), 16, static_cast<uint32_t>(chunk.size()))))
        address += 16;
    // The lead-out starts at 00:59:74, address 4349: the last whole chunk ends at 4336.
    EXPECT_EQ(address, 4336);
    EXPECT_EQ(SenseOf(burner.Write(address, chunk.data(), 16, 16 * cd::kSectorSize)), (scsi::SenseCode{5, 0x21, 0}));
    EXPECT_TRUE(IsGood(burner.Write(address, chunk.data(), 13, 13 * cd::kSectorSize)));
    EXPECT_EQ(SenseOf(burner.Write(4349, chunk.data(), 1, cd::kSectorSize)), (scsi::SenseCode{5, 0x21, 0}));
}

TEST_F(ImageRecorderOption, MediaAndDiscTypeAndDiscStates)
{
    Recorder("media=cdrw,disc-type=0xff");
    auto data = DiscInformation();
    EXPECT_EQ(data[2] & 0x10, 0x10) << "erasable";
    EXPECT_EQ(data[8], 0xFF);

    TestBurner& appendable = Recorder("disc=appendable");
    data = DiscInformation();
    EXPECT_EQ(data[2] & 0x0F, 0x05) << "incomplete session, incomplete disc";
    EXPECT_EQ(data[6], 2) << "the earlier track and the invisible one";
    EXPECT_EQ(appendable.NextWritableAddress(0xFF), 4500 + 150);
    ASSERT_TRUE(appendable.BurnTrack(2, TestAudio(300 * cd::kSectorSize, 4)));
    ASSERT_TRUE(appendable.FinishDisc());
    EXPECT_EQ(ReadText(folder_.File("disc.cue")),
              "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n    INDEX 00 01:00:00\n    INDEX 01 01:02:00\n");
    EXPECT_EQ(ReadWholeFile(folder_.File("disc.bin")).size(), (4650u + 300u) * cd::kSectorSize);

    Recorder("disc=complete");
    EXPECT_EQ(DiscInformation()[2] & 0x0F, 0x0E) << "complete session, complete disc";

    TestBurner& empty = Recorder("disc=none");
    EXPECT_EQ(SenseOf(empty.TestUnitReady()), (scsi::SenseCode{2, 0x3A, 0}));
    std::vector<uint8_t> inquiry;
    EXPECT_TRUE(IsGood(empty.Inquiry(inquiry))) << "the drive answers without a disc";
    ASSERT_TRUE(IsGood(empty.Eject()));
    EXPECT_EQ(SenseOf(empty.TestUnitReady()), (scsi::SenseCode{2, 0x3A, 0}));
}

TEST_F(ImageRecorderOption, SpeedsFollowTheMaximaAndSetSpeed)
{
    TestBurner& burner = Recorder("max-write-speed=1412,max-read-speed=7056");
    auto page = CapabilitiesPage();
    EXPECT_EQ(big_endian::Get16(&page[8]), 7056);
    EXPECT_EQ(big_endian::Get16(&page[18]), 1412);
    EXPECT_EQ(big_endian::Get16(&page[20]), 1412) << "starts at its fastest";

    const std::vector<std::pair<uint16_t, int>> writeSpeeds = {{1232, 706}, {176, 706}, {1412, 1412}, {0xFFFF, 1412}};
    for (const auto& [request, chosen] : writeSpeeds) {
        ASSERT_TRUE(IsGood(burner.SetSpeed(7056, request)));
        EXPECT_EQ(big_endian::Get16(&CapabilitiesPage()[20]), chosen) << request;
    }
    ASSERT_TRUE(IsGood(burner.SetSpeed(3000, 1412)));
    EXPECT_EQ(big_endian::Get16(&CapabilitiesPage()[14]), 2822);

    Recorder("current-write-speed=1500");
    EXPECT_EQ(big_endian::Get16(&CapabilitiesPage()[20]), 8467);
    ASSERT_TRUE(IsGood(burner_->SetSpeed(0xFFFF, 706)));
    EXPECT_EQ(big_endian::Get16(&CapabilitiesPage()[20]), 1500) << "forced after any SET SPEED";
}

TEST_F(ImageRecorderOption, CapabilitiesPageCanBeMissingOrSayReadOnly)
{
    TestBurner& burner = Recorder("no-capabilities-page");
    EXPECT_TRUE(CapabilitiesPage().empty());
    std::vector<uint8_t> reply;
    EXPECT_EQ(SenseOf(burner.SensePage(0x2A, reply)), (scsi::SenseCode{5, 0x24, 0}));

    Recorder("reader-only");
    const auto page = CapabilitiesPage();
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(page[3] & 0x03, 0) << "writes neither CD-R nor CD-RW";
    EXPECT_EQ(big_endian::Get16(&page[18]), 0);

    TestBurner& failing = Recorder("inquiry-fails");
    const auto refused = failing.Inquiry(reply);
    EXPECT_EQ(refused.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_EQ(SenseOf(refused), (scsi::SenseCode{4, 0x44, 0}));
}

TEST_F(ImageRecorderOption, WritesFailAsOftenAsAskedThenSucceedAtTheSameAddress)
{
    TestBurner& burner = Recorder("write-fails=2,write-fails-at=2,write-fail-sense=3/0C/00");
    ASSERT_TRUE(IsGood(burner.SelectTrackAtOnceAudio()));
    const auto chunk = TestAudio(16 * cd::kSectorSize, 6);
    ASSERT_TRUE(IsGood(burner.Write(0, chunk.data(), 16, 16 * cd::kSectorSize)));
    EXPECT_EQ(SenseOf(burner.Write(16, chunk.data(), 16, 16 * cd::kSectorSize)), (scsi::SenseCode{3, 0x0C, 0}));
    EXPECT_EQ(SenseOf(burner.Write(16, chunk.data(), 16, 16 * cd::kSectorSize)), (scsi::SenseCode{3, 0x0C, 0}));
    EXPECT_TRUE(IsGood(burner.Write(16, chunk.data(), 16, 16 * cd::kSectorSize)));
    EXPECT_EQ(burner.NextWritableAddress(0xFF), -1) << "no longer blank";
    std::vector<uint8_t> info;
    ASSERT_TRUE(IsGood(burner.ReadTrackInformation(0xFF, info)));
    EXPECT_EQ(big_endian::Get32(&info[12]), 32u);
}

TEST_F(ImageRecorderOption, TheThrottleHoldsABurnToItsSpeed)
{
    TestBurner& burner = Recorder("throttle,buffer-kb=64,max-write-speed=706");
    ASSERT_TRUE(IsGood(burner.SelectTrackAtOnceAudio()));
    const auto chunk = TestAudio(16 * cd::kSectorSize, 3);
    const auto started = std::chrono::steady_clock::now();
    int refusals = 0;
    for (int32_t address = 0; address < 4 * 16;) {
        const auto outcome = burner.Write(address, chunk.data(), 16, 16 * cd::kSectorSize);
        if (IsGood(outcome)) {
            address += 16;
            continue;
        }
        ASSERT_EQ(SenseOf(outcome), kLongWriteInProgress);
        ++refusals;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(IsGood(burner.SynchronizeCache()));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_GT(refusals, 0) << "the host outpaced the drive";
    // 4 chunks at 706 kB/s cannot be written out faster than this.
    EXPECT_GE(seconds, 4.0 * 16 * cd::kSectorSize / 706000 * 0.95);
}
