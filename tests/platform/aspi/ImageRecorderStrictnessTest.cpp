// The image recorder answers as strictly as a real drive: each command a
// burner could get wrong is refused with the drive's sense and changes
// nothing, so the engine's burns on it prove the engine right.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "TemporaryFolder.h"
#include "platform/aspi/CdTextPack.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;
using quillstar::test::TemporaryFolder;

namespace {

constexpr uint32_t kSector = cd::kSectorSize;
const scsi::SenseCode kGood{0, 0, 0};
const scsi::SenseCode kInvalidField{5, 0x24, 0};
const scsi::SenseCode kInvalidParameter{5, 0x26, 0};
const scsi::SenseCode kSequenceError{5, 0x2C, 0};
const scsi::SenseCode kBadWriteAddress{5, 0x21, 0x02};
const scsi::SenseCode kNotAudioMode{5, 0x64, 0};

// A command and the sense it must be answered with.
struct Step {
    const char* what;
    std::function<SRB_ExecSCSICmd()> send;
    scsi::SenseCode sense;
};

class ImageRecorderStrictness : public testing::Test {
protected:
    SRB_ExecSCSICmd WriteSectors(int32_t address, uint16_t blocks, uint32_t length = 0)
    {
        chunk_.assign(std::max<size_t>(length, blocks * kSector), 0x5A);
        return burner_.Write(address, chunk_.data(), blocks, length ? length : blocks * kSector);
    }

    // Page 0x05 as the writer selects it (track-at-once, raw audio), changed by `change`.
    SRB_ExecSCSICmd SelectChanged(const std::function<void(std::vector<uint8_t>&)>& change)
    {
        std::vector<uint8_t> reply;
        EXPECT_TRUE(IsGood(burner_.SensePage(0x05, reply)));
        std::vector<uint8_t> page(reply.begin() + 8, reply.begin() + 8 + reply[9] + 2);
        page[0] &= 0x7F;
        page[2] = 0x41;
        page[3] = 0x42;
        page[4] = 0;
        change(page);
        return burner_.SelectWriteParameters(page);
    }

    void Expect(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            const SRB_ExecSCSICmd block = step.send();
            EXPECT_EQ(IsGood(block) ? kGood : SenseOf(block), step.sense) << step.what;
        }
    }

    TemporaryFolder folder_;
    TestBurner burner_ = TestBurner::ForImageRecorder(folder_.File("disc.bin"));
    std::vector<uint8_t> chunk_;
    std::vector<uint8_t> data_ = std::vector<uint8_t>(256, 0);
};

}  // namespace

TEST_F(ImageRecorderStrictness, WritesOnlyTrackAtOnceRawAudioAtTheNextWritableAddressInWholeSectors)
{
    Expect({{"before page 0x05 is selected", [&] { return WriteSectors(0, 16); }, kNotAudioMode},
            {"write type 7", [&] { return SelectChanged([](auto& page) { page[2] = 0x47; }); }, kInvalidParameter},
            {"audio in 2048-byte blocks", [&] { return SelectChanged([](auto& page) { page[4] = 8; }); }, kGood},
            {"still 2048-byte blocks", [&] { return WriteSectors(0, 16); }, kNotAudioMode},
            {"track-at-once raw audio", [&] { return SelectChanged([](auto&) {}); }, kGood},
            {"past the next writable address", [&] { return WriteSectors(1, 16); }, kBadWriteAddress},
            {"into the pause", [&] { return WriteSectors(-150, 16); }, kBadWriteAddress},
            {"one byte short", [&] { return WriteSectors(0, 16, 16 * kSector - 1); }, kInvalidField},
            {"2048-byte sectors", [&] { return WriteSectors(0, 16, 16 * 2048); }, kInvalidField},
            {"fewer blocks than bytes", [&] { return WriteSectors(0, 15, 16 * kSector); }, kInvalidField},
            {"the first chunk", [&] { return WriteSectors(0, 16); }, kGood},
            {"written already", [&] { return WriteSectors(0, 16); }, kBadWriteAddress},
            {"leaving a gap", [&] { return WriteSectors(17, 16); }, kBadWriteAddress},
            {"the next chunk", [&] { return WriteSectors(16, 16); }, kGood}});
    ASSERT_TRUE(IsGood(burner_.ReadTrackInformation(1, data_)));
    EXPECT_EQ(big_endian::Get32(&data_[12]), 32u) << "the refused WRITEs moved nothing";
    chunk_.assign(kSector, 0);
    const auto wrongWay = burner_.Execute({0x2A, 0, 0, 0, 0, 32, 0, 0, 1}, 10, SRB_DIR_IN, chunk_.data(), kSector);
    EXPECT_EQ(wrongWay.SRB_HaStat, HASTAT_PHASE_ERR) << "data in for a WRITE";
}

TEST_F(ImageRecorderStrictness, EmptyAndShortTracksAndEmptySessionsCannotBeClosedNorAClosedDiscWritten)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio()));
    std::vector<Step> steps = {{"a session without a track", [&] { return burner_.CloseSession(); }, kSequenceError},
                               {"an empty track", [&] { return burner_.CloseTrack(1); }, kSequenceError}};
    for (int32_t address = 0; address < 288; address += 16)
        steps.push_back({"audio", [this, address] { return WriteSectors(address, 16); }, kGood});
    steps.insert(steps.end(),
                 {{"11 sectors", [&] { return WriteSectors(288, 11); }, kGood},
                  {"a track of 299 sectors", [&] { return burner_.CloseTrack(1); }, kSequenceError},
                  {"a session with an open track", [&] { return burner_.CloseSession(); }, {5, 0x72, 0x03}},
                  {"a track that does not exist", [&] { return burner_.CloseTrack(2); }, kInvalidField},
                  {"the 300th sector", [&] { return WriteSectors(299, 1); }, kGood},
                  {"a track of 300 sectors", [&] { return burner_.CloseTrack(1); }, kGood},
                  {"the next track while empty", [&] { return burner_.CloseTrack(2); }, kSequenceError},
                  {"the session", [&] { return burner_.CloseSession(); }, kGood},
                  {"a WRITE to the closed disc", [&] { return WriteSectors(450, 16); }, kBadWriteAddress},
                  {"its invisible track", [&] { return burner_.ReadTrackInformation(0xFF, data_); }, kInvalidField},
                  {"the session again", [&] { return burner_.CloseSession(); }, kSequenceError}});
    Expect(steps);
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"disc.bin", "disc.cue"}));
}

TEST_F(ImageRecorderStrictness, CommandBlocksWithWrongFieldsAreRefusedAndWhatTheBurnerSendsIsTaken)
{
    const auto in = [this](std::initializer_list<uint8_t> cdb, uint8_t length, uint32_t buffer = 100) {
        return [this, cdb, length, buffer] { return burner_.Execute(cdb, length, SRB_DIR_IN, data_.data(), buffer); };
    };
    Expect({{"reserved byte set", in({0x51, 0, 1, 0, 0, 0, 0, 0, 100}, 10), kInvalidField},
            {"track resources", in({0x51, 0x01, 0, 0, 0, 0, 0, 0, 100}, 10), kInvalidField},
            {"vital product data", in({0x12, 0x01, 0x80, 0, 100}, 6), kInvalidField},
            {"a 10-byte WRITE in 6 bytes", [&] { return burner_.Execute({0x2A}, 6, SRB_DIR_OUT, data_.data(), 0); },
             kInvalidField},
            {"close function 3",
             [&] {
                 return burner_.Execute({0x5B, 0, 0x03}, 10, 0);
             },
             kInvalidField},
            {"power condition",
             [&] {
                 return burner_.Execute({0x1B, 0, 0, 0, 0x12}, 6, 0);
             },
             kInvalidField},
            {"READ(12)", in({0xA8}, 12, 256), {5, 0x20, 0}},
            {"TEST UNIT READY in 12 bytes with a buffer", [&] { return burner_.TestUnitReady(); }, kGood},
            {"MODE SENSE(10) in 12 bytes", [&] { return burner_.SenseAllPages(data_); }, kGood},
            {"START STOP UNIT in 10 bytes", [&] { return burner_.Eject(); }, kGood}});
    const auto overrun = burner_.Execute({0x51, 0, 0, 0, 0, 0, 0, 0, 100}, 10, SRB_DIR_IN, data_.data(), 20);
    EXPECT_EQ(overrun.SRB_HaStat, HASTAT_DO_DU) << "more data than the buffer holds";
    EXPECT_TRUE(folder_.Names().empty());
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
    EXPECT_EQ(test::ReadFileBytes(folder_.File("disc.bin")), std::vector<uint8_t>(900 * kSector, 0x5A));
    const std::vector<uint8_t> cue = test::ReadFileBytes(folder_.File("disc.cue"));
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
    EXPECT_EQ(test::ReadFileBytes(folder_.File("disc.cdt")), cdText);
}
