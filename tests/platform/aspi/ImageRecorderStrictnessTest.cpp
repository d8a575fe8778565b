#include <gtest/gtest.h>

#include <vector>

#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "tests/platform/aspi/TemporaryFolder.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;

namespace {

constexpr uint32_t kSector = cd::kSectorSize;

class ImageRecorderStrictness : public testing::Test {
protected:
    SRB_ExecSCSICmd WriteSectors(int32_t address, uint16_t blocks, uint32_t length = 0)
    {
        chunk_.assign(std::max<size_t>(length, blocks * kSector), 0x5A);
        return burner_.Write(address, chunk_.data(), blocks, length ? length : blocks * kSector);
    }

    // Writes sectors in 16-sector WRITEs from the next writable address.
    void WriteTrack(int track, int sectors)
    {
        int64_t address = burner_.NextWritableAddress(static_cast<uint32_t>(track));
        ASSERT_GE(address, 0);
        for (int done = 0; done < sectors;) {
            const auto blocks = static_cast<uint16_t>(std::min(16, sectors - done));
            ASSERT_TRUE(IsGood(WriteSectors(static_cast<int32_t>(address), blocks)));
            address += blocks;
            done += blocks;
        }
    }

    std::vector<uint8_t> WriteParametersPage()
    {
        std::vector<uint8_t> reply;
        EXPECT_TRUE(IsGood(burner_.SensePage(0x05, reply)));
        return {reply.begin() + 8, reply.begin() + 8 + reply[9] + 2};
    }

    TemporaryFolder folder_;
    TestBurner burner_ = TestBurner::ForImageRecorder(folder_.File("disc.bin"));
    std::vector<uint8_t> chunk_;
};

const scsi::SenseCode kInvalidField{5, 0x24, 0};
const scsi::SenseCode kInvalidParameter{5, 0x26, 0};
const scsi::SenseCode kSequenceError{5, 0x2C, 0};
const scsi::SenseCode kBadWriteAddress{5, 0x21, 0x02};

}  // namespace

TEST_F(ImageRecorderStrictness, AWriteBeforePage05SelectsTrackAtOnceAudioIsRefused)
{
    ASSERT_EQ(burner_.NextWritableAddress(1), 0);
    const auto refused = WriteSectors(0, 16);
    EXPECT_EQ(refused.SRB_Status, SS_ERR);
    EXPECT_EQ(refused.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_EQ(SenseOf(refused), (scsi::SenseCode{5, 0x64, 0x00}));

    // Audio with 2048-byte blocks is not raw audio either.
    auto page = WriteParametersPage();
    page[0] &= 0x7F;
    page[3] = 0x42;
    page[4] = 8;
    ASSERT_TRUE(IsGood(burner_.SelectWriteParameters(page)));
    EXPECT_EQ(SenseOf(WriteSectors(0, 16)), (scsi::SenseCode{5, 0x64, 0x00}));
    EXPECT_TRUE(folder_.Names().empty()) << "nothing was written";
}

TEST_F(ImageRecorderStrictness, AWriteAwayFromTheNextWritableAddressIsRefused)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio()));
    EXPECT_EQ(SenseOf(WriteSectors(1, 16)), kBadWriteAddress);
    EXPECT_EQ(SenseOf(WriteSectors(-150, 16)), kBadWriteAddress);
    EXPECT_TRUE(folder_.Names().empty());

    ASSERT_TRUE(IsGood(WriteSectors(0, 16)));
    EXPECT_EQ(SenseOf(WriteSectors(0, 16)), kBadWriteAddress) << "written already";
    EXPECT_EQ(SenseOf(WriteSectors(17, 16)), kBadWriteAddress) << "leaves a gap";
    ASSERT_TRUE(IsGood(WriteSectors(16, 16)));

    std::vector<uint8_t> info;
    ASSERT_TRUE(IsGood(burner_.ReadTrackInformation(1, info)));
    EXPECT_EQ(big_endian::Get32(&info[12]), 32u) << "the refused WRITEs moved nothing";
}

TEST_F(ImageRecorderStrictness, AWriteWhoseLengthIsNotItsBlocksTimes2352IsRefused)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio()));
    EXPECT_EQ(SenseOf(WriteSectors(0, 16, 16 * kSector - 1)), kInvalidField);
    EXPECT_EQ(SenseOf(WriteSectors(0, 16, 16 * 2048)), kInvalidField);
    EXPECT_EQ(SenseOf(WriteSectors(0, 15, 16 * kSector)), kInvalidField);
    EXPECT_TRUE(folder_.Names().empty());

    chunk_.assign(kSector, 0);
    const auto wrongWay = burner_.Execute({0x2A, 0, 0, 0, 0, 0, 0, 0, 1}, 10, SRB_DIR_IN, chunk_.data(), kSector);
    EXPECT_EQ(wrongWay.SRB_Status, SS_ERR);
    EXPECT_EQ(wrongWay.SRB_HaStat, HASTAT_PHASE_ERR);
}

TEST_F(ImageRecorderStrictness, EmptyAndShortTracksAndEmptySessionsCannotBeClosed)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio()));
    EXPECT_EQ(SenseOf(burner_.CloseSession()), kSequenceError) << "no track yet";
    EXPECT_EQ(SenseOf(burner_.CloseTrack(1)), kSequenceError) << "empty track";

    WriteTrack(1, 299);
    EXPECT_EQ(SenseOf(burner_.CloseTrack(1)), kSequenceError) << "shorter than 4 seconds";
    EXPECT_EQ(SenseOf(burner_.CloseSession()), (scsi::SenseCode{5, 0x72, 0x03})) << "track still open";
    EXPECT_EQ(SenseOf(burner_.CloseTrack(2)), kInvalidField) << "no such track";

    ASSERT_TRUE(IsGood(WriteSectors(299, 1)));
    EXPECT_TRUE(IsGood(burner_.CloseTrack(1)));
    EXPECT_EQ(SenseOf(burner_.CloseTrack(2)), kSequenceError) << "the next track is empty";
    EXPECT_TRUE(IsGood(burner_.CloseSession()));
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"disc.bin", "disc.cue"}));
}

TEST_F(ImageRecorderStrictness, TheInvisibleTrackAnswersByNumberAnd0xFFAndMovesWithThePause)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio(75)));
    std::vector<uint8_t> byNumber;
    std::vector<uint8_t> invisible;
    ASSERT_TRUE(IsGood(burner_.ReadTrackInformation(1, byNumber)));
    ASSERT_TRUE(IsGood(burner_.ReadTrackInformation(0xFF, invisible)));
    EXPECT_EQ(byNumber, invisible);
    EXPECT_EQ(invisible[2], 1);
    EXPECT_EQ(invisible[6] & 0xF0, 0x40) << "blank, no reserved or packet track";
    EXPECT_EQ(invisible[7] & 0x01, 0x01) << "next writable address valid";

    WriteTrack(1, 300);
    ASSERT_TRUE(IsGood(burner_.CloseTrack(1)));
    EXPECT_EQ(burner_.NextWritableAddress(1), -1) << "a closed track offers no address";
    EXPECT_EQ(burner_.NextWritableAddress(2), 300 + 75);
    EXPECT_EQ(burner_.NextWritableAddress(0xFF), 300 + 75);
    std::vector<uint8_t> data;
    EXPECT_EQ(SenseOf(burner_.ReadTrackInformation(0, data)), kInvalidField);
    EXPECT_EQ(SenseOf(burner_.ReadTrackInformation(3, data)), kInvalidField);

    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio(150)));
    EXPECT_EQ(burner_.NextWritableAddress(2), 300 + 150) << "the pause comes from page 0x05";
}

TEST_F(ImageRecorderStrictness, Page05KeepsWhatModeSelectSetAndRefusesWhatItCannotChange)
{
    auto page = WriteParametersPage();
    EXPECT_EQ(page[0], 0x85) << "reported savable";
    EXPECT_EQ(page[1], 0x32);
    page[0] = 0x05;
    page[2] = 0x41;
    page[3] = 0x42;
    page[4] = 0;
    big_endian::Put16(&page[14], 150);
    ASSERT_TRUE(IsGood(burner_.SelectWriteParameters(page)));
    auto readBack = WriteParametersPage();
    readBack[0] = 0x05;
    EXPECT_EQ(readBack, page);

    auto refused = page;
    refused[0] = 0x85;
    EXPECT_EQ(SenseOf(burner_.SelectWriteParameters(refused)), kInvalidParameter) << "savable bit set";
    refused = page;
    refused[2] = (refused[2] & 0xF0) | 0x07;
    EXPECT_EQ(SenseOf(burner_.SelectWriteParameters(refused)), kInvalidParameter) << "write type 7";
    refused = page;
    refused[1] = 0x30;
    refused.resize(0x32);
    EXPECT_EQ(SenseOf(burner_.SelectWriteParameters(refused)), kInvalidParameter) << "page length";
    EXPECT_EQ(WriteParametersPage()[3], 0x42) << "a refused list changes nothing";

    std::vector<uint8_t> list(8 + page.size(), 0);
    std::copy(page.begin(), page.end(), list.begin() + 8);
    const auto shortBuffer = burner_.Execute({0x55, 0x10, 0, 0, 0, 0, 0, 0, 200}, 10, SRB_DIR_OUT, list.data(),
                                             static_cast<uint32_t>(list.size()));
    EXPECT_EQ(shortBuffer.SRB_HaStat, HASTAT_DO_DU) << "the list is longer than the buffer";
    EXPECT_EQ(SenseOf(burner_.Execute({0x55, 0x00, 0, 0, 0, 0, 0, 0, 60}, 10, SRB_DIR_OUT, list.data(), 60)),
              kInvalidField)
        << "without the page format bit";

    std::vector<uint8_t> reply(164, 0);
    const auto changeable = burner_.Execute({0x5A, 0, 0x45, 0, 0, 0, 0, 0, 164}, 10, SRB_DIR_IN, reply.data(), 164);
    ASSERT_TRUE(IsGood(changeable));
    EXPECT_EQ(reply[8 + 2] & 0x0F, 0x0F);
    EXPECT_EQ(SenseOf(burner_.Execute({0x5A, 0, 0xC5, 0, 0, 0, 0, 0, 164}, 10, SRB_DIR_IN, reply.data(), 164)),
              (scsi::SenseCode{5, 0x39, 0}))
        << "no saved values";
}

TEST_F(ImageRecorderStrictness, CommandBlocksWithWrongFieldsAreRefused)
{
    std::vector<uint8_t> data(256, 0);
    EXPECT_EQ(SenseOf(burner_.Execute({0x51, 0, 1, 0, 0, 0, 0, 0, 100}, 10, SRB_DIR_IN, data.data(), 100)),
              kInvalidField)
        << "reserved byte set";
    EXPECT_EQ(SenseOf(burner_.Execute({0x51, 0x01, 0, 0, 0, 0, 0, 0, 100}, 10, SRB_DIR_IN, data.data(), 100)),
              kInvalidField)
        << "track resources instead of disc information";
    EXPECT_EQ(SenseOf(burner_.Execute({0x12, 0x01, 0x80, 0, 100}, 6, SRB_DIR_IN, data.data(), 100)), kInvalidField)
        << "vital product data";
    EXPECT_EQ(SenseOf(burner_.Execute({0x2A, 0, 0, 0, 0, 0}, 6, SRB_DIR_OUT, data.data(), 0)), kInvalidField)
        << "a 10-byte command in 6 bytes";
    EXPECT_EQ(SenseOf(burner_.Execute({0x5B, 0, 0x03}, 10, 0)), kInvalidField) << "close function 3";
    EXPECT_EQ(SenseOf(burner_.Execute({0x1B, 0, 0, 0, 0x12}, 6, 0)), kInvalidField) << "power condition";
    EXPECT_EQ(SenseOf(burner_.Execute({0xA8}, 12, SRB_DIR_IN, data.data(), 256)), (scsi::SenseCode{5, 0x20, 0}))
        << "READ(12) is not a recorder command here";

    // What the burner really sends: the lengths of its own transport.
    EXPECT_TRUE(IsGood(burner_.TestUnitReady())) << "12 bytes with a data buffer";
    EXPECT_TRUE(IsGood(burner_.SenseAllPages(data))) << "MODE SENSE(10) in 12 bytes";
    EXPECT_TRUE(IsGood(burner_.Eject())) << "START STOP UNIT in 10 bytes";

    const auto overrun = burner_.Execute({0x51, 0, 0, 0, 0, 0, 0, 0, 100}, 10, SRB_DIR_IN, data.data(), 20);
    EXPECT_EQ(overrun.SRB_HaStat, HASTAT_DO_DU) << "more data than the buffer holds";
}

TEST_F(ImageRecorderStrictness, AClosedDiscTakesNoMoreWrites)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio()));
    WriteTrack(1, 300);
    ASSERT_TRUE(IsGood(burner_.CloseTrack(1)));
    ASSERT_TRUE(IsGood(burner_.CloseSession()));

    std::vector<uint8_t> info;
    ASSERT_TRUE(IsGood(burner_.ReadDiscInformation(info)));
    EXPECT_EQ(info[2] & 0x0F, 0x0E) << "complete session, complete disc";
    EXPECT_EQ(SenseOf(WriteSectors(450, 16)), kBadWriteAddress);
    EXPECT_EQ(SenseOf(burner_.ReadTrackInformation(0xFF, info)), kInvalidField);
    EXPECT_EQ(SenseOf(burner_.CloseSession()), kSequenceError);
}
