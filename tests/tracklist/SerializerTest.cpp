#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "tracklist/Serializer.h"

using namespace quillstar;
namespace fs = std::filesystem;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

std::string Stored(const CSerializer& list)
{
    Archive archive;
    const_cast<CSerializer&>(list).Serialize(archive);
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

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tracklist-" + std::to_string(getpid()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

}  // namespace

TEST(CSerializer, StoresTheDocumentedLayout)
{
    CSerializer list;
    list.AddTrackInfo("abc", 225, "D:\\a.mp3");
    EXPECT_EQ(Stored(list),
              Bytes({1, 0, 0, 0, 3, 'a', 'b', 'c', 0xE1, 0, 0, 0, 8, 'D', ':', '\\', 'a', '.', 'm', 'p', '3'}));
    EXPECT_EQ(Loaded(Stored(list)).Tracks(), list.Tracks());
}

TEST(CSerializer, UsesEachLengthFormByTextSize)
{
    CSerializer list;
    list.AddTrackInfo(std::string(254, 't'), 1, std::string(255, 'p'));
    list.AddTrackInfo(std::string(300, 'x'), 2, std::string(70000, 'y'));
    list.AddTrackInfo("", 3, std::string(65534, 'z'));
    const std::string bytes = Stored(list);
    EXPECT_EQ(bytes.substr(4, 1), Bytes({254}));
    EXPECT_EQ(bytes.substr(4 + 1 + 254 + 4, 3), Bytes({0xFF, 0xFF, 0x00}));
    const size_t second = 4 + 1 + 254 + 4 + 3 + 255;
    EXPECT_EQ(bytes.substr(second, 3), Bytes({0xFF, 0x2C, 0x01}));
    EXPECT_EQ(bytes.substr(second + 3 + 300 + 4, 7), Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(Loaded(bytes).Tracks(), list.Tracks());
}

TEST(CSerializer, ReadsUtf16AndWindowsTexts)
{
    // Title "Ça" as UTF-16, path "Café" in Windows-1252.
    const std::string bytes =
        Bytes({1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2, 0xC7, 0x00, 'a', 0x00, 10, 0, 0, 0, 4, 'C', 'a', 'f', 0xE9});
    std::string error;
    const CSerializer list = Loaded(bytes, &error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.Tracks()[0].title,
              "\xC3\x87"
              "a");
    EXPECT_EQ(list.Tracks()[0].seconds, 10);
    EXPECT_EQ(list.Tracks()[0].path, "Caf\xC3\xA9");
}

TEST(CSerializer, EmptyAndNegativeCountsLoadAsEmptyLists)
{
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

TEST_F(TempFolder, AFailedSaveKeepsTheOldFile)
{
    CSerializer list;
    list.AddTrackInfo("Old", 1, "/old.mp3");
    const std::string path = (folder_ / "keep.tlm").string();
    ASSERT_EQ(list.SaveFile(path), "");
    // A folder where the temporary file should go makes the write fail,
    // even for root.
    fs::create_directory(path + ".saving");
    list.AddTrackInfo("New", 2, "/new.mp3");
    const std::string error = list.SaveFile(path);
    EXPECT_NE(error.find(path), std::string::npos);
    CSerializer loaded;
    EXPECT_EQ(loaded.LoadFile(path), "");
    EXPECT_EQ(loaded.GetCount(), 1);
}

TEST_F(TempFolder, AReplacedFileKeepsItsPermissionsAndItsLinks)
{
    CSerializer list;
    list.AddTrackInfo("Private", 1, "/private.mp3");
    const std::string path = (folder_ / "private.tlm").string();
    ASSERT_EQ(list.SaveFile(path), "");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(list.SaveFile(path), "");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    // Saved through a link in another folder, the link stays and leads to
    // the new list.
    fs::create_directory(folder_ / "links");
    fs::create_symlink("../private.tlm", folder_ / "links" / "shown.tlm");
    list.AddTrackInfo("Second", 2, "/second.mp3");
    ASSERT_EQ(list.SaveFile((folder_ / "links" / "shown.tlm").string()), "");
    EXPECT_TRUE(fs::is_symlink(folder_ / "links" / "shown.tlm"));
    CSerializer loaded;
    EXPECT_EQ(loaded.LoadFile(path), "");
    EXPECT_EQ(loaded.GetCount(), 2);
    EXPECT_FALSE(fs::exists(folder_ / "links" / "shown.tlm.saving"));
}

TEST_F(TempFolder, LoadErrorsNameTheFileAndTheReason)
{
    CSerializer list;
    const std::string missing = (folder_ / "missing.tlm").string();
    EXPECT_NE(list.LoadFile(missing).find(missing), std::string::npos);
    const std::string truncated = (folder_ / "truncated.tlm").string();
    std::ofstream(truncated, std::ios::binary) << Bytes({3, 0, 0, 0, 1, 'a'});
    const std::string error = list.LoadFile(truncated);
    EXPECT_NE(error.find(truncated), std::string::npos);
    EXPECT_NE(error.find("damaged"), std::string::npos);
    // 10,001 tracks are refused before one is read.
    std::ofstream(truncated, std::ios::binary | std::ios::trunc) << Bytes({0x11, 0x27, 0, 0});
    EXPECT_NE(list.LoadFile(truncated).find("lists 10001 tracks, more than the 10000 a burn list holds"),
              std::string::npos);
}
