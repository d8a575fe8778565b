// The image recorder answers as strictly as a real drive: each command a
// burner could get wrong is refused with the drive's sense and changes
// nothing, so the engine's burns on it prove the engine right.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "TemporaryFolder.h"
#include "platform/aspi/BigEndian.h"
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

class ImageRecorderStrictness : public testing::Test {
protected:
    SRB_ExecSCSICmd WriteSectors(int32_t address, uint16_t blocks, uint32_t length = 0)
    {
        chunk_.assign(std::max<size_t>(length, blocks * kSector), 0x5A);
        return burner_.Write(address, chunk_.data(), blocks, length ? length : blocks * kSector);
    }

    std::vector<uint8_t> WriteParametersPage()
    {
        std::vector<uint8_t> reply;
        EXPECT_TRUE(IsGood(burner_.SensePage(0x05, reply)));
        return {reply.begin() + 8, reply.begin() + 8 + reply[9] + 2};
    }

    // Page 0x05 as the writer selects it, changed by `change`.
    SRB_ExecSCSICmd SelectChanged(const std::function<void(std::vector<uint8_t>&)>& change)
    {
        auto page = WriteParametersPage();
        page[0] &= 0x7F;
        page[2] = 0x41;
        page[3] = 0x42;
        page[4] = 0;
        change(page);
        return burner_.SelectWriteParameters(page);
    }

    // Runs each step in turn; every one must answer with its sense.
    void Expect(const std::vector<std::pair<const char*, std::function<SRB_ExecSCSICmd()>>>& steps,
                const std::vector<scsi::SenseCode>& senses)
    {
        for (size_t at = 0; at < steps.size(); ++at) {
            const SRB_ExecSCSICmd block = steps[at].second();
            EXPECT_EQ(IsGood(block) ? kGood : SenseOf(block), senses[at]) << steps[at].first;
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
    Expect({{"before page 0x05 is selected", [&] { return WriteSectors(0, 16); }},
            {"audio in 2048-byte blocks", [&] { return SelectChanged([](auto& page) { page[4] = 8; }); }},
            {"still 2048-byte blocks", [&] { return WriteSectors(0, 16); }},
            {"track-at-once raw audio", [&] { return burner_.SelectTrackAtOnceAudio(); }},
            {"past the next writable address", [&] { return WriteSectors(1, 16); }},
            {"into the pause", [&] { return WriteSectors(-150, 16); }},
            {"one byte short", [&] { return WriteSectors(0, 16, 16 * kSector - 1); }},
            {"2048-byte sectors", [&] { return WriteSectors(0, 16, 16 * 2048); }},
            {"fewer blocks than bytes", [&] { return WriteSectors(0, 15, 16 * kSector); }},
            {"the first chunk", [&] { return WriteSectors(0, 16); }},
            {"written already", [&] { return WriteSectors(0, 16); }},
            {"leaving a gap", [&] { return WriteSectors(17, 16); }},
            {"the next chunk", [&] { return WriteSectors(16, 16); }}},
           {kNotAudioMode, kGood, kNotAudioMode, kGood, kBadWriteAddress, kBadWriteAddress, kInvalidField,
            kInvalidField, kInvalidField, kGood, kBadWriteAddress, kBadWriteAddress, kGood});
    ASSERT_TRUE(IsGood(burner_.ReadTrackInformation(1, data_)));
    EXPECT_EQ(big_endian::Get32(&data_[12]), 32u) << "the refused WRITEs moved nothing";
    chunk_.assign(kSector, 0);
    const auto wrongWay = burner_.Execute({0x2A, 0, 0, 0, 0, 32, 0, 0, 1}, 10, SRB_DIR_IN, chunk_.data(), kSector);
    EXPECT_EQ(wrongWay.SRB_HaStat, HASTAT_PHASE_ERR) << "data in for a WRITE";
}

TEST_F(ImageRecorderStrictness, EmptyAndShortTracksAndEmptySessionsCannotBeClosedNorAClosedDiscWritten)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio(75)));
    std::vector<std::pair<const char*, std::function<SRB_ExecSCSICmd()>>> steps = {
        {"a session without a track", [&] { return burner_.CloseSession(); }},
        {"an empty track", [&] { return burner_.CloseTrack(1); }}};
    for (int32_t address = 0; address < 288; address += 16)
        steps.push_back({"audio", [this, address] { return WriteSectors(address, 16); }});
    steps.insert(steps.end(), {{"11 sectors", [&] { return WriteSectors(288, 11); }},
                               {"a track of 299 sectors", [&] { return burner_.CloseTrack(1); }},
                               {"a session with an open track", [&] { return burner_.CloseSession(); }},
                               {"a track that does not exist", [&] { return burner_.CloseTrack(2); }},
                               {"the 300th sector", [&] { return WriteSectors(299, 1); }},
                               {"a track of 300 sectors", [&] { return burner_.CloseTrack(1); }},
                               {"the next track while empty", [&] { return burner_.CloseTrack(2); }},
                               {"the session", [&] { return burner_.CloseSession(); }},
                               {"a WRITE to the closed disc", [&] { return WriteSectors(450, 16); }},
                               {"its invisible track", [&] { return burner_.ReadTrackInformation(0xFF, data_); }},
                               {"the session again", [&] { return burner_.CloseSession(); }}});
    std::vector<scsi::SenseCode> senses = {kSequenceError, kSequenceError};
    senses.resize(senses.size() + 18, kGood);
    senses.insert(senses.end(), {kGood,
                                 kSequenceError,
                                 {5, 0x72, 0x03},
                                 kInvalidField,
                                 kGood,
                                 kGood,
                                 kSequenceError,
                                 kGood,
                                 kBadWriteAddress,
                                 kInvalidField,
                                 kSequenceError});
    Expect(steps, senses);
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"disc.bin", "disc.cue"}));
}

TEST_F(ImageRecorderStrictness, TheNextTrackStartsAfterThePausePage05Sets)
{
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio(75)));
    std::vector<uint8_t> byNumber;
    ASSERT_TRUE(IsGood(burner_.ReadTrackInformation(1, byNumber)));
    ASSERT_TRUE(IsGood(burner_.ReadTrackInformation(0xFF, data_)));
    EXPECT_EQ(byNumber, data_) << "the invisible track answers by number and as 0xFF";
    EXPECT_EQ(data_[6] & 0xF0, 0x40) << "blank, no reserved or packet track";
    ASSERT_TRUE(burner_.BurnTrack(1, TestAudio(300 * kSector, 1)));
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio(75)));
    EXPECT_EQ(burner_.NextWritableAddress(1), -1) << "a closed track offers no address";
    EXPECT_EQ(burner_.NextWritableAddress(2), 300 + 75);
    ASSERT_TRUE(IsGood(burner_.SelectTrackAtOnceAudio(150)));
    EXPECT_EQ(burner_.NextWritableAddress(0xFF), 300 + 150);
    for (const uint32_t track : {0u, 3u})
        EXPECT_EQ(SenseOf(burner_.ReadTrackInformation(track, data_)), kInvalidField) << track;
}

TEST_F(ImageRecorderStrictness, Page05KeepsWhatModeSelectSetAndRefusesWhatItCannotChange)
{
    EXPECT_EQ(WriteParametersPage()[0], 0x85) << "reported savable";
    Expect({{"savable bit set", [&] { return SelectChanged([](auto& page) { page[0] = 0x85; }); }},
            {"test write", [&] { return SelectChanged([](auto& page) { page[2] |= 0x10; }); }},
            {"write type 7", [&] { return SelectChanged([](auto& page) { page[2] = 0x47; }); }},
            {"page length",
             [&] {
                 return SelectChanged([](auto& page) {
                     page[1] = 0x30;
                     page.resize(0x32);
                 });
             }},
            {"without the page format bit",
             [&] {
                 return burner_.Execute({0x55, 0x00, 0, 0, 0, 0, 0, 0, 60}, 10, SRB_DIR_OUT, data_.data(), 60);
             }},
            {"saved values",
             [&] {
                 return burner_.Execute({0x5A, 0, 0xC5, 0, 0, 0, 0, 0, 164}, 10, SRB_DIR_IN, data_.data(), 164);
             }},
            {"track-at-once raw audio", [&] { return SelectChanged([](auto&) {}); }}},
           {kInvalidParameter,
            kInvalidParameter,
            kInvalidParameter,
            kInvalidParameter,
            kInvalidField,
            {5, 0x39, 0},
            kGood});
    auto readBack = WriteParametersPage();
    EXPECT_EQ(readBack[2], 0x41);
    EXPECT_EQ(readBack[3], 0x42);
    const auto changeable = burner_.Execute({0x5A, 0, 0x45, 0, 0, 0, 0, 0, 164}, 10, SRB_DIR_IN, data_.data(), 164);
    ASSERT_TRUE(IsGood(changeable));
    EXPECT_EQ(data_[8 + 2] & 0x1F, 0x0F) << "test write cannot be changed, the write type can";
}

TEST_F(ImageRecorderStrictness, CommandBlocksWithWrongFieldsAreRefusedAndWhatTheBurnerSendsIsTaken)
{
    const auto in = [this](std::initializer_list<uint8_t> cdb, uint8_t length, uint32_t buffer = 100) {
        return [this, cdb, length, buffer] { return burner_.Execute(cdb, length, SRB_DIR_IN, data_.data(), buffer); };
    };
    Expect({{"reserved byte set", in({0x51, 0, 1, 0, 0, 0, 0, 0, 100}, 10)},
            {"track resources", in({0x51, 0x01, 0, 0, 0, 0, 0, 0, 100}, 10)},
            {"vital product data", in({0x12, 0x01, 0x80, 0, 100}, 6)},
            {"a 10-byte WRITE in 6 bytes", [&] { return burner_.Execute({0x2A}, 6, SRB_DIR_OUT, data_.data(), 0); }},
            {"close function 3",
             [&] {
                 return burner_.Execute({0x5B, 0, 0x03}, 10, 0);
             }},
            {"power condition",
             [&] {
                 return burner_.Execute({0x1B, 0, 0, 0, 0x12}, 6, 0);
             }},
            {"READ(12)", in({0xA8}, 12, 256)},
            {"TEST UNIT READY in 12 bytes with a buffer", [&] { return burner_.TestUnitReady(); }},
            {"MODE SENSE(10) in 12 bytes", [&] { return burner_.SenseAllPages(data_); }},
            {"START STOP UNIT in 10 bytes", [&] { return burner_.Eject(); }}},
           {kInvalidField,
            kInvalidField,
            kInvalidField,
            kInvalidField,
            kInvalidField,
            kInvalidField,
            {5, 0x20, 0},
            kGood,
            kGood,
            kGood});
    const auto overrun = burner_.Execute({0x51, 0, 0, 0, 0, 0, 0, 0, 100}, 10, SRB_DIR_IN, data_.data(), 20);
    EXPECT_EQ(overrun.SRB_HaStat, HASTAT_DO_DU) << "more data than the buffer holds";
    EXPECT_TRUE(folder_.Names().empty());
}
