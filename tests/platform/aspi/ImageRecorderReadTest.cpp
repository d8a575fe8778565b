#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "tests/platform/aspi/TemporaryFolder.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;

namespace {

constexpr int kSector = cd::kSectorSize;
// Track 1 at 0 (310 sectors), track 2 after a 150-sector pause at 460 (300).
constexpr int kTrack2 = 460;
constexpr int kDiscEnd = kTrack2 + 300;

const scsi::SenseCode kInvalidField{5, 0x24, 0};
const scsi::SenseCode kOutOfRange{5, 0x21, 0};
const scsi::SenseCode kIllegalMode{5, 0x64, 0};

std::vector<std::vector<uint8_t>> TwoTracks()
{
    return {TestAudio(310 * kSector, 1), TestAudio(300 * kSector, 2)};
}

// The disc's bytes from a sector on, as a drive with a read offset returns
// them; damaged, sectors 470 and 471 read inverted.
std::vector<uint8_t> DiscBytes(int64_t sector, int blocks, int offsetSamples, bool damaged = false)
{
    const auto tracks = TwoTracks();
    std::vector<uint8_t> disc(tracks[0]);
    disc.resize(kTrack2 * kSector, 0);
    disc.insert(disc.end(), tracks[1].begin(), tracks[1].end());
    std::vector<uint8_t> bytes(size_t(blocks) * kSector, 0);
    const int64_t first = sector * kSector + offsetSamples * 4;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int64_t at = first + static_cast<int64_t>(i);
        if (at >= 0 && at < static_cast<int64_t>(disc.size()))
            bytes[i] = disc[static_cast<size_t>(at)];
        if (damaged && at >= 470 * kSector && at < 472 * kSector)
            bytes[i] ^= 0xFF;
    }
    return bytes;
}

class ImageRecorderRead : public testing::Test {
protected:
    TestBurner& Burn(const std::string& options, bool closeSession = true)
    {
        burner_ = std::make_unique<TestBurner>(TestBurner::ForImageRecorder(folder_.File("disc.bin"), options));
        const auto tracks = TwoTracks();
        EXPECT_TRUE(burner_->BurnTrack(1, tracks[0]) && burner_->BurnTrack(2, tracks[1]));
        EXPECT_TRUE(!closeSession || burner_->FinishDisc());
        return *burner_;
    }

    std::vector<uint8_t> Read(int32_t sector, uint32_t blocks)
    {
        std::vector<uint8_t> data;
        EXPECT_TRUE(IsGood(burner_->ReadCd(sector, blocks, data))) << sector;
        return data;
    }

    TemporaryFolder folder_;
    std::unique_ptr<TestBurner> burner_;
};

}  // namespace

TEST_F(ImageRecorderRead, TheClosedTracksReadBackBeforeAndAfterTheSessionIsClosed)
{
    for (const bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "session closed" : "session open");
        TestBurner& burner = Burn("", closed);
        std::vector<uint8_t> toc;
        ASSERT_TRUE(IsGood(burner.ReadToc(toc)));
        EXPECT_EQ(std::vector<uint8_t>(toc.begin(), toc.begin() + 28), (std::vector<uint8_t>{0,
                                                                                             26,
                                                                                             1,
                                                                                             2,
                                                                                             0,
                                                                                             0x10,
                                                                                             1,
                                                                                             0,
                                                                                             0,
                                                                                             0,
                                                                                             0,
                                                                                             0,
                                                                                             0,
                                                                                             0x10,
                                                                                             2,
                                                                                             0,
                                                                                             0,
                                                                                             0,
                                                                                             kTrack2 >> 8,
                                                                                             kTrack2 & 0xFF,
                                                                                             0,
                                                                                             0x10,
                                                                                             0xAA,
                                                                                             0,
                                                                                             0,
                                                                                             0,
                                                                                             kDiscEnd >> 8,
                                                                                             kDiscEnd & 0xFF}));
        ASSERT_TRUE(IsGood(burner.ReadToc(toc, true, 2)));
        EXPECT_EQ(std::vector<uint8_t>(toc.begin(), toc.begin() + 20),
                  (std::vector<uint8_t>{0, 18, 1, 2, 0, 0x10, 2, 0, 0, 0, 8, 10, 0, 0x10, 0xAA, 0, 0, 0, 12, 10}))
            << "track 2 from 00:08:10, the lead-out from 00:12:10";
        EXPECT_TRUE(Read(0, 27) == DiscBytes(0, 27, 0));
        EXPECT_TRUE(Read(kTrack2 - 2, 302) == DiscBytes(kTrack2 - 2, 302, 0)) << "the pause and all of track 2";
        std::vector<uint8_t> data;
        EXPECT_EQ(SenseOf(burner.ReadCd(kDiscEnd - 1, 2, data)), closed ? kOutOfRange : kIllegalMode);
        EXPECT_EQ(SenseOf(burner.ReadToc(toc, false, 3)), kInvalidField);
    }
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"disc.bin", "disc.cue"}));
    ASSERT_TRUE(IsGood(burner_->Eject()));
    std::vector<uint8_t> data;
    EXPECT_EQ(SenseOf(burner_->ReadToc(data)), kInvalidField) << "a blank disc has no table of contents";
    EXPECT_EQ(SenseOf(burner_->ReadCd(0, 1, data)), kIllegalMode);
    EXPECT_EQ(SenseOf(burner_->ReadCd(360000, 1, data)), kOutOfRange) << "past the disc's lead-out";
}

TEST_F(ImageRecorderRead, ReadCommandsWithWrongFieldsAreRefused)
{
    TestBurner& burner = Burn("");
    std::vector<uint8_t> data(4 * kSector, 0);
    const struct {
        std::vector<uint8_t> cdb;
        scsi::SenseCode sense;
        const char* what;
    } refused[] = {
        {{0xBE, 0x08, 0, 0, 0, 0, 0, 0, 1, 0x10, 0, 0}, kIllegalMode, "mode 1 sectors"},
        {{0xBE, 0x18, 0, 0, 0, 0, 0, 0, 1, 0x10, 0, 0}, kInvalidField, "sector type 6"},
        {{0xBE, 0x04, 0, 0, 0, 0, 0, 0, 1, 0xF8, 0, 0}, kInvalidField, "sync, headers and EDC"},
        {{0xBE, 0x04, 0, 0, 0, 0, 0, 0, 1, 0x00, 0, 0}, kInvalidField, "no user data"},
        {{0xBE, 0x04, 0, 0, 0, 0, 0, 0, 1, 0x10, 0x01, 0}, kInvalidField, "raw sub-channel"},
        {{0xBE, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0x10, 0, 0}, kOutOfRange, "before the disc"},
        {{0xBE, 0x04, 0, 0, 0, 0, 0, 0, 1, 0x10}, kInvalidField, "in 10 bytes"},
        {{0x43, 0, 0x01, 0, 0, 0, 0, 0, 12, 0}, kInvalidField, "session format"},
        {{0x43, 0, 0, 0, 0, 0, 0, 0, 12, 0x40}, kInvalidField, "old session format"},
    };
    for (const auto& command : refused)
        EXPECT_EQ(SenseOf(burner.Execute(command.cdb, SRB_DIR_IN, data.data(), 4 * kSector)), command.sense)
            << command.what;
    const auto overrun = burner.Execute({0xBE, 0x04, 0, 0, 0, 0, 0, 0, 2, 0x10}, 12, SRB_DIR_IN, data.data(), kSector);
    EXPECT_EQ(overrun.SRB_HaStat, HASTAT_DO_DU) << "two sectors into a buffer of one";
}

TEST_F(ImageRecorderRead, ReadOptionsShiftDamageAndFailSectors)
{
    for (const int offset : {-700, 2900}) {
        SCOPED_TRACE(offset);
        TestBurner& burner = Burn("read-corrupt=470:2 read-fails=500 read-offset=" + std::to_string(offset));
        // Zero-filled before the first sector and past the last; sectors 470
        // and 471 inverted where the offset moved them.
        for (const int sector : {0, 465, kDiscEnd - 10})
            EXPECT_TRUE(Read(sector, 10) == DiscBytes(sector, 10, offset, true)) << sector;
        std::vector<uint8_t> data;
        EXPECT_EQ(SenseOf(burner.ReadCd(490, 27, data)), (scsi::SenseCode{3, 0x11, 0x05}));
        EXPECT_EQ(SenseOf(burner.ReadCd(500, 1, data)), (scsi::SenseCode{3, 0x11, 0x05})) << "every time";
        EXPECT_TRUE(Read(501, 1) == DiscBytes(501, 1, offset, true));
    }
}
