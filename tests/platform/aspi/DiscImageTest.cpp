#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/aspi/DiscImage.h"
#include "resources/CdAudio.h"
#include "tests/platform/aspi/TemporaryFolder.h"

using namespace quillstar;

namespace {

void Touch(const std::string& path, const std::string& text = "earlier")
{
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs(text.c_str(), file);
    std::fclose(file);
}

const std::vector<DiscImage::Track> kOneTrack = {{1, 0, 0, {}, {}}};

}  // namespace

TEST(DiscImage, NamesNumberBeforeTheExtension)
{
    EXPECT_EQ(DiscImage::NumberedPath("/a/disc.bin", 1), "/a/disc.bin");
    EXPECT_EQ(DiscImage::NumberedPath("/a/disc.bin", 2), "/a/disc-2.bin");
    EXPECT_EQ(DiscImage::NumberedPath("/a/my.disc.bin", 3), "/a/my.disc-3.bin");
    EXPECT_EQ(DiscImage::NumberedPath("/a/disc", 2), "/a/disc-2");
    EXPECT_EQ(DiscImage::CuePath("/a/disc-2.bin"), "/a/disc-2.cue");
    EXPECT_EQ(DiscImage::CuePath("/a/disc"), "/a/disc.cue");
}

TEST(DiscImage, FillsGapsWithSilenceAndCutsToTheFinalLength)
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

    const auto bytes = ReadWholeFile(finished);
    ASSERT_EQ(bytes.size(), 5u * cd::kSectorSize);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0x33), 2 * cd::kSectorSize);
    EXPECT_EQ(bytes[2 * cd::kSectorSize], 0x33);
    EXPECT_EQ(bytes[4 * cd::kSectorSize], 0) << "silence up to the final length";

    const mode_t mask = umask(0);
    umask(mask);
    struct stat status {};
    ASSERT_EQ(stat(finished.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << "permissions as the user's umask gives";
}

TEST(DiscImage, NeverReplacesAnImageOrACueSheetAlreadyThere)
{
    TemporaryFolder folder;
    Touch(folder.File("disc.bin"));
    Touch(folder.File("disc-2.cue"));
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
