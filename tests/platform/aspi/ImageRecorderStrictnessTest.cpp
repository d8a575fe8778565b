// The image recorder answers as strictly as a real drive: each command a
// burner could get wrong is refused with the drive's sense and changes
// nothing, so the engine's burns on it prove the engine right.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "TemporaryFolder.h"
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
