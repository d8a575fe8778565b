#include <gtest/gtest.h>

#include <vector>

#include "TemporaryFolder.h"
#include "platform/aspi/DiscImage.h"
#include "resources/CdAudio.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

const std::vector<DiscImage::Track> kOneTrack = {{1, 0, 0, {}, {}}};

}  // namespace

TEST(DiscImage, NeverReplacesAnImageOrACueSheetAlreadyThere)
{
    EXPECT_EQ(DiscImage::NumberedPath("/a/my.disc.bin", 3), "/a/my.disc-3.bin");
    EXPECT_EQ(DiscImage::NumberedPath("/a/disc", 2), "/a/disc-2");
    EXPECT_EQ(DiscImage::CuePath("/a/disc"), "/a/disc.cue");
    TemporaryFolder folder;
    ASSERT_TRUE(WriteText(folder.File("disc.bin"), "earlier"));
    ASSERT_TRUE(WriteText(folder.File("disc-2.cue"), "earlier"));
    DiscImage image(folder.File("disc.bin"));
    const std::vector<uint8_t> sector(cd::kSectorSize, 1);
    std::string error;
    std::string finished;
    ASSERT_TRUE(image.Write(0, sector.data(), sector.size(), error));
    ASSERT_TRUE(image.Finish(1, kOneTrack, finished, error)) << error;

    EXPECT_EQ(finished, folder.File("disc-3.bin"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"disc-2.cue", "disc-3.bin", "disc-3.cue", "disc.bin"}));
    EXPECT_EQ(ReadText(folder.File("disc.bin")), "earlier");
    EXPECT_EQ(ReadText(folder.File("disc-2.cue")), "earlier");
    EXPECT_EQ(ReadText(folder.File("disc-3.cue")).rfind("FILE \"disc-3.bin\"", 0), 0u);
}
