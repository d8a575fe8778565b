#include <gtest/gtest.h>

#include <filesystem>

#include "TemporaryFolder.h"
#include "tracklist/Serializer.h"

using namespace quillstar;
using quillstar::test::TemporaryFolder;
namespace fs = std::filesystem;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

std::string Stored(CSerializer list)
{
    Archive archive;
    list.Serialize(archive);
    return archive.Bytes();
}

CSerializer Loaded(const std::string& bytes, std::string* error = nullptr)
{
    CSerializer list;
    Archive archive(bytes);
    list.Serialize(archive);
    if (error)
        *error = archive.Error();
    return list;
}

}  // namespace

TEST(CSerializer, StoresTheDocumentedLayoutWithEachLengthFormByTextSize)
{
    CSerializer list;
    list.AddTrackInfo("abc", 225, "D:\\a.mp3");
    EXPECT_EQ(Stored(list),
              Bytes({1, 0, 0, 0, 3, 'a', 'b', 'c', 0xE1, 0, 0, 0, 8, 'D', ':', '\\', 'a', '.', 'm', 'p', '3'}));

    CSerializer long_;
    long_.AddTrackInfo(std::string(254, 't'), 1, std::string(255, 'p'));
    long_.AddTrackInfo(std::string(300, 'x'), 2, std::string(70000, 'y'));
    long_.AddTrackInfo("", 3, std::string(65534, 'z'));
    const std::string bytes = Stored(long_);
    EXPECT_EQ(bytes.substr(4, 1), Bytes({254}));
    EXPECT_EQ(bytes.substr(4 + 1 + 254 + 4, 3), Bytes({0xFF, 0xFF, 0x00}));
    const size_t second = 4 + 1 + 254 + 4 + 3 + 255;
    EXPECT_EQ(bytes.substr(second, 3), Bytes({0xFF, 0x2C, 0x01}));
    EXPECT_EQ(bytes.substr(second + 3 + 300 + 4, 7), Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(Loaded(bytes).Tracks(), long_.Tracks());
}

TEST(CSerializer, ReadsUtf16AndWindowsTextsAndEmptyOrNegativeCountsAsEmptyLists)
{
    // Title "Ça" as UTF-16, path "Café" in Windows-1252.
    const std::string bytes =
        Bytes({1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2, 0xC7, 0x00, 'a', 0x00, 10, 0, 0, 0, 4, 'C', 'a', 'f', 0xE9});
    std::string error;
    const CSerializer list = Loaded(bytes, &error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(list.Tracks(), (std::vector<TrackInfo>{{10,
                                                      "\xC3\x87"
                                                      "a",
                                                      "Caf\xC3\xA9"}}));
    EXPECT_EQ(Loaded(Bytes({0, 0, 0, 0})).GetCount(), 0);
    EXPECT_EQ(Loaded(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 'j', 'u', 'n', 'k'})).GetCount(), 0);
}

TEST(CSerializer, DamagedInputFailsAndKeepsTheList)
{
    const std::vector<std::string> damaged = {
        Bytes({}),
        Bytes({1, 0}),
        Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0, 0}),           // 2^31-1 tracks
        Bytes({1, 0, 0, 0, 200, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0}),  // title past the end
        Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0}),
        Bytes({1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
        Bytes({2, 0, 0, 0, 1, 'a', 5, 0, 0, 0, 1, 'b'}),  // second track missing
    };
    for (const std::string& bytes : damaged) {
        CSerializer list;
        list.AddTrackInfo("kept", 5, "/kept.mp3");
        Archive archive(bytes);
        list.Serialize(archive);
        EXPECT_TRUE(archive.Failed()) << testing::PrintToString(bytes);
        EXPECT_EQ(list.GetCount(), 1);
    }
}

TEST(CSerializer, AFailedSaveKeepsTheOldFileAReplacedOneItsPermissionsAndLinksAndLoadErrorsNameTheFile)
{
    TemporaryFolder folder;
    CSerializer list;
    list.AddTrackInfo("Old", 1, "/old.mp3");
    const std::string path = folder.File("keep.tlm");
    ASSERT_EQ(list.SaveFile(path), "");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    list.AddTrackInfo("New", 2, "/new.mp3");
    ASSERT_EQ(list.SaveFile(path), "");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // Saved through a link in another folder, the link stays and leads to
    // the new list.
    fs::create_directory(folder.File("links"));
    fs::create_symlink("../keep.tlm", folder.File("links/shown.tlm"));
    list.AddTrackInfo("Linked", 3, "/linked.mp3");
    ASSERT_EQ(list.SaveFile(folder.File("links/shown.tlm")), "");
    EXPECT_TRUE(fs::is_symlink(folder.File("links/shown.tlm")));
    EXPECT_FALSE(fs::exists(folder.File("links/shown.tlm.saving")));

    // A folder where the temporary file should go makes the write fail,
    // even for root.
    fs::create_directory(path + ".saving");
    list.AddTrackInfo("Newer", 4, "/newer.mp3");
    EXPECT_NE(list.SaveFile(path).find(path), std::string::npos);
    CSerializer loaded;
    EXPECT_EQ(loaded.LoadFile(path), "");
    EXPECT_EQ(loaded.GetCount(), 3);

    const std::string missing = folder.File("missing.tlm");
    EXPECT_NE(loaded.LoadFile(missing).find(missing), std::string::npos);
    ASSERT_TRUE(test::WriteText(path, Bytes({3, 0, 0, 0, 1, 'a'})));
    const std::string error = loaded.LoadFile(path);
    EXPECT_NE(error.find(path), std::string::npos);
    EXPECT_NE(error.find("damaged"), std::string::npos);
    EXPECT_EQ(loaded.GetCount(), 3);
    // 10,001 tracks are refused before one is read.
    ASSERT_TRUE(test::WriteText(path, Bytes({0x11, 0x27, 0, 0})));
    EXPECT_NE(loaded.LoadFile(path).find("lists 10001 tracks, more than the 10000 a burn list holds"),
              std::string::npos);
}
