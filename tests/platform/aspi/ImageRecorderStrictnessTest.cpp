#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/aspi/CdTextPack.h"
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

TEST_F(ImageRecorderStrictness, ASessionAtOnceTakesOnlyAValidCueSheetAndThenItsWritesInOrder)
{
    // CD-TEXT in the lead-in; track 1 after its pause at 00:02:00; track 2
    // after a 1-second pause at 00:08:00; the lead-out at 00:14:00.
    const std::vector<uint8_t> sheet = {0x21, 0, 0, 0x41, 0, 0, 0, 0, 0x21, 1,    0, 0, 0, 0, 0,  0,
                                        0x21, 1, 1, 0,    0, 0, 2, 0, 0x21, 2,    0, 0, 0, 0, 7,  0,
                                        0x21, 2, 1, 0,    0, 0, 8, 0, 0x21, 0xAA, 1, 1, 0, 0, 14, 0};
    EXPECT_EQ(SenseOf(burner_.SendCueSheet(sheet)), kSequenceError) << "page 0x05 selects track-at-once";
    ASSERT_TRUE(IsGood(burner_.SelectSessionAtOnce()));
    EXPECT_EQ(SenseOf(WriteSectors(-150, 16)), kSequenceError) << "no cue sheet yet";
    struct Fault {
        const char* what;
        size_t at;
        uint8_t value;
    };
    const Fault faults[] = {
        {"a data track", 16, 0x61},
        {"no lead-in first", 1, 1},
        {"track 1 without its pause", 10, 1},
        {"track 1 not at 00:02:00", 22, 3},
        {"an address before the one above", 30, 1},
        {"track 3 after track 1", 25, 3},
        {"a track shorter than 4 seconds", 46, 11},
        {"no lead-out last", 41, 3},
        {"a lead-out past the disc's", 45, 80},
    };
    for (const Fault& fault : faults) {
        std::vector<uint8_t> wrong = sheet;
        wrong[fault.at] = fault.value;
        EXPECT_EQ(SenseOf(burner_.SendCueSheet(wrong)), kInvalidParameter) << fault.what;
    }
    ASSERT_TRUE(IsGood(burner_.SendCueSheet(sheet)));

    // The lead-in runs from 97:26:66 to track 1's pause in 96-byte blocks,
    // its packs repeating: titles, a pack with a broken CRC, size information.
    std::vector<CdTextPack> packs = {{{0x80, 0, 0, 0, 'A', 'l', 'b', 0, 'O', 'n', 'e', 0, 'T', 'w', 'o', 0}},
                                     {{0x81, 0, 1, 0, 'x'}},
                                     {{0x8F, 0, 1, 0, 0, 1, 2}},
                                     {{0x8F, 1, 2}},
                                     {{0x8F, 2, 3}}};
    const uint16_t leadInBlocks = 11634 - 150;
    std::vector<uint8_t> leadIn((leadInBlocks + 1) * 96, 0);
    for (size_t at = 0; at < packs.size(); ++at)
        packs[at].Seal();
    packs[1].bytes[17] ^= 1;
    for (size_t at = 0; at * 24 < leadIn.size(); ++at)
        packs[at % packs.size()].ToSymbols(&leadIn[at * 24]);
    EXPECT_EQ(SenseOf(WriteSectors(-150, 16)), kBadWriteAddress) << "the lead-in comes first";
    EXPECT_EQ(SenseOf(burner_.Write(-11634, leadIn.data(), 16, 16 * kSector)), kInvalidField) << "2352-byte blocks";
    EXPECT_EQ(SenseOf(burner_.Write(-11634, leadIn.data(), leadInBlocks + 1, (leadInBlocks + 1) * 96)),
              (scsi::SenseCode{5, 0x64, 0}))
        << "one WRITE into the pause";
    ASSERT_TRUE(IsGood(burner_.Write(-11634, leadIn.data(), leadInBlocks, leadInBlocks * 96)));
    EXPECT_EQ(SenseOf(burner_.CloseTrack(1)), kSequenceError) << "nothing to close in a session at once";
    EXPECT_EQ(SenseOf(WriteSectors(-150, 1051)), (scsi::SenseCode{5, 0x21, 0})) << "past the lead-out";
    ASSERT_TRUE(IsGood(WriteSectors(-150, 1050)));
    EXPECT_FALSE(std::filesystem::exists(folder_.File("disc.cue"))) << "the lead-out comes with SYNCHRONIZE CACHE";
    ASSERT_TRUE(IsGood(burner_.SynchronizeCache()));
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"disc.bin", "disc.cdt", "disc.cue"}));
    EXPECT_EQ(ReadWholeFile(folder_.File("disc.bin")), std::vector<uint8_t>(900 * kSector, 0x5A));
    const std::vector<uint8_t> cue = ReadWholeFile(folder_.File("disc.cue"));
    EXPECT_EQ(
        std::string(cue.begin(), cue.end()),
        "TITLE \"Alb\"\nCDTEXTFILE \"disc.cdt\"\nFILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    TITLE \"One\"\n"
        "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    TITLE \"Two\"\n    INDEX 00 00:05:00\n    INDEX 01 00:06:00\n");
    std::vector<uint8_t> toc(804, 0);
    ASSERT_TRUE(IsGood(burner_.Execute({0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24}, 10, SRB_DIR_IN, toc.data(), 804)));
    EXPECT_EQ(std::vector<uint8_t>(toc.begin(), toc.begin() + 28),
              (std::vector<uint8_t>{0, 26, 1, 2, 0,    0x10, 1, 0,    0,    0, 0, 0, 0,    0x10,
                                    2, 0,  0, 0, 0x01, 0xC2, 0, 0x10, 0xAA, 0, 0, 0, 0x03, 0x84}));
    // The packs that pass their CRC, once, as the .cdt file holds them.
    ASSERT_TRUE(IsGood(burner_.Execute({0x43, 0, 5, 0, 0, 0, 0, 0x03, 0x24}, 10, SRB_DIR_IN, toc.data(), 804)));
    std::vector<uint8_t> cdText = {0, 4 * 18 + 2, 0, 0};
    for (const CdTextPack& pack : {packs[0], packs[2], packs[3], packs[4]})
        cdText.insert(cdText.end(), pack.bytes.begin(), pack.bytes.end());
    EXPECT_EQ(std::vector<uint8_t>(toc.begin(), toc.begin() + static_cast<ptrdiff_t>(cdText.size())), cdText);
    EXPECT_EQ(ReadWholeFile(folder_.File("disc.cdt")), cdText);
}
