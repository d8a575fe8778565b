#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TemporaryFolder.h"
#include "resources/CdAudio.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;
using quillstar::test::ReadFileBytes;
using quillstar::test::ReadText;
using quillstar::test::TemporaryFolder;

namespace {

constexpr size_t kSector = cd::kSectorSize;

// What the image must hold: each track padded to whole sectors, with the
// pause's silence before every track after the first.
std::vector<uint8_t> ExpectedImage(const std::vector<std::vector<uint8_t>>& tracks)
{
    std::vector<uint8_t> image;
    for (size_t i = 0; i < tracks.size(); ++i) {
        image.resize(image.size() + (i > 0 ? cd::kPauseSectors * kSector : 0), 0);
        image.insert(image.end(), tracks[i].begin(), tracks[i].end());
        image.resize((image.size() + kSector - 1) / kSector * kSector, 0);
    }
    return image;
}

}  // namespace

TEST(ImageRecorderBurn, EachClosedSessionBecomesAnImageWithItsCueSheetAndNoneIsOverwritten)
{
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
    std::vector<uint8_t> data;
    ASSERT_TRUE(IsGood(burner.SendOpc()));
    // A last chunk of 1000 bytes, one of exactly 3 sectors, and one byte
    // past whole chunks.
    const std::vector<std::vector<uint8_t>> tracks = {TestAudio(300 * kSector + 1000, 1),
                                                      TestAudio(20 * cd::kBlockSize + 3 * kSector, 2),
                                                      TestAudio(19 * cd::kBlockSize + 1, 3)};
    for (size_t i = 0; i < tracks.size(); ++i)
        ASSERT_TRUE(burner.BurnTrack(static_cast<int>(i + 1), tracks[i])) << "track " << i + 1;
    // Until the session is closed only a hidden temporary file exists.
    ASSERT_EQ(folder.Names().size(), 1u);
    EXPECT_EQ(folder.Names()[0].rfind(".disc.bin.", 0), 0u);
    ASSERT_TRUE(burner.FinishDisc());
    ASSERT_TRUE(IsGood(burner.ReadDiscInformation(data)));
    EXPECT_EQ(data[2] & 0x03, 0x02) << "complete";
    ASSERT_TRUE(IsGood(burner.Eject()));
    EXPECT_EQ(ReadText(folder.File("disc.cue")),
              "FILE \"disc.bin\" BINARY\n"
              "  TRACK 01 AUDIO\n"
              "    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n"
              "    INDEX 00 00:04:01\n"
              "    INDEX 01 00:06:01\n"
              "  TRACK 03 AUDIO\n"
              "    INDEX 00 00:10:24\n"
              "    INDEX 01 00:12:24\n");
    EXPECT_TRUE(ReadFileBytes(folder.File("disc.bin")) == ExpectedImage(tracks));

    // Ejecting inserted a blank disc, whose image goes beside the first.
    ASSERT_TRUE(IsGood(burner.ReadDiscInformation(data)));
    EXPECT_EQ(data[2] & 0x03, 0x00) << "blank";
    const std::vector<std::vector<uint8_t>> second = {TestAudio(310 * kSector, 8), TestAudio(305 * kSector, 9)};
    for (size_t i = 0; i < second.size(); ++i)
        ASSERT_TRUE(burner.BurnTrack(static_cast<int>(i + 1), second[i]));
    ASSERT_TRUE(burner.FinishDisc());
    ASSERT_TRUE(IsGood(burner.Eject()));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"disc-2.bin", "disc-2.cue", "disc.bin", "disc.cue"}));
    EXPECT_TRUE(ReadFileBytes(folder.File("disc.bin")) == ExpectedImage(tracks));
    EXPECT_TRUE(ReadFileBytes(folder.File("disc-2.bin")) == ExpectedImage(second));
    EXPECT_EQ(ReadText(folder.File("disc-2.cue")).rfind("FILE \"disc-2.bin\" BINARY\n", 0), 0u);
}
