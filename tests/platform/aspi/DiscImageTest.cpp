#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "TemporaryFolder.h"
#include "platform/aspi/DiscImage.h"
#include "resources/CdAudio.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

const std::vector<DiscImage::Track> kOneTrack = {{1, 0, 0}};

}  // namespace

TEST(DiscImage, FillsGapsWithSilenceAndCutsToTheFinalLengthWithTheUsersPermissions)
{
    TemporaryFolder folder;
    DiscImage image(folder.File("disc.bin"));
    const std::vector<uint8_t> sector(cd::kSectorSize, 0x33);
    std::string error;
    ASSERT_TRUE(image.Write(2, sector.data(), sector.size(), error)) << error;
    ASSERT_TRUE(image.Write(3, sector.data(), sector.size(), error)) << error;
    std::string finished;
    ASSERT_TRUE(image.Finish(5, kOneTrack, finished, error)) << error;
    EXPECT_EQ(finished, folder.File("disc.bin"));

    std::vector<uint8_t> expected(5 * cd::kSectorSize, 0);
    std::fill_n(expected.begin() + 2 * cd::kSectorSize, 2 * cd::kSectorSize, 0x33);
    EXPECT_TRUE(ReadFileBytes(finished) == expected);
    const mode_t mask = umask(0);
    umask(mask);
    struct stat status {};
    ASSERT_EQ(stat(finished.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

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
