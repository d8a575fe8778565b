#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "platform/ProgramPath.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "resources/ImageRecorderTexts.h"
#include "tests/platform/aspi/TemporaryFolder.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;

namespace {

constexpr size_t kSector = cd::kSectorSize;
constexpr size_t kPause = cd::kPauseSectors * kSector;

// Three tracks of odd lengths: a last chunk of 1000 bytes, a last chunk of
// exactly 3 sectors, and one byte past whole chunks.
std::vector<std::vector<uint8_t>> ThreeTracks()
{
    return {TestAudio(300 * kSector + 1000, 1), TestAudio(20 * cd::kBlockSize + 3 * kSector, 2),
            TestAudio(19 * cd::kBlockSize + 1, 3)};
}

std::vector<uint8_t> PaddedToSectors(std::vector<uint8_t> audio)
{
    audio.resize((audio.size() + kSector - 1) / kSector * kSector, 0);
    return audio;
}

// What the image must hold: each track padded to whole sectors, with the
// pause's silence before every track after the first.
std::vector<uint8_t> ExpectedImage(const std::vector<std::vector<uint8_t>>& tracks)
{
    std::vector<uint8_t> image;
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (i > 0)
            image.resize(image.size() + kPause, 0);
        const auto padded = PaddedToSectors(tracks[i]);
        image.insert(image.end(), padded.begin(), padded.end());
    }
    return image;
}

// Finds a page in an all-pages reply the way drive discovery walks it.
const uint8_t* FindPage(const std::vector<uint8_t>& reply, uint8_t code)
{
    const size_t end = std::min<size_t>(big_endian::Get16(&reply[0]) + 2, reply.size());
    for (size_t offset = 8; offset + 1 < end; offset += reply[offset + 1] + 2) {
        if ((reply[offset] & 0x3F) == code)
            return &reply[offset];
    }
    return nullptr;
}

void BurnDisc(TestBurner& burner, const std::vector<std::vector<uint8_t>>& tracks)
{
    for (size_t i = 0; i < tracks.size(); ++i)
        ASSERT_TRUE(burner.BurnTrack(static_cast<int>(i + 1), tracks[i])) << "track " << i + 1;
    ASSERT_TRUE(burner.FinishDisc());
    ASSERT_TRUE(IsGood(burner.Eject()));
}

}  // namespace

TEST(ImageRecorderBurn, ABurnerWritesThreeTracksIntoAnImageWithItsCueSheet)
{
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));

    std::vector<uint8_t> data;
    ASSERT_TRUE(IsGood(burner.Inquiry(data)));
    EXPECT_EQ(data[0], DTYPE_CDROM);
    EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 32), "QUILLSTRIMAGE RECORDER  ");

    ASSERT_TRUE(IsGood(burner.SenseAllPages(data)));
    const uint8_t* capabilities = FindPage(data, 0x2A);
    ASSERT_NE(capabilities, nullptr);
    EXPECT_EQ(capabilities[3] & 0x03, 0x03) << "writes CD-R and CD-RW";
    EXPECT_EQ(capabilities[4] & 0x80, 0x80) << "buffer-underrun-free";
    EXPECT_EQ(big_endian::Get16(capabilities + 18), aspi::kDefaultMaximumSpeed);
    EXPECT_EQ(big_endian::Get16(capabilities + 12), aspi::kDefaultBufferKilobytes);
    EXPECT_NE(FindPage(data, 0x05), nullptr);

    ASSERT_TRUE(IsGood(burner.ReadDiscInformation(data)));
    EXPECT_EQ(data[2] & 0x13, 0x00) << "blank, not erasable";
    EXPECT_EQ(data[8], 0x00);
    EXPECT_EQ(std::vector<uint8_t>(data.begin() + 21, data.begin() + 24), (std::vector<uint8_t>{79, 59, 74}));
    ASSERT_TRUE(IsGood(burner.SendOpc()));

    const auto tracks = ThreeTracks();
    for (size_t i = 0; i < tracks.size(); ++i)
        ASSERT_TRUE(burner.BurnTrack(static_cast<int>(i + 1), tracks[i])) << "track " << i + 1;
    // Until the session is closed only a hidden temporary file exists.
    ASSERT_EQ(folder.Names().size(), 1u);
    EXPECT_EQ(folder.Names()[0].rfind(".disc.bin.", 0), 0u);

    ASSERT_TRUE(burner.FinishDisc());
    ASSERT_TRUE(IsGood(burner.ReadDiscInformation(data)));
    EXPECT_EQ(data[2] & 0x03, 0x02) << "complete";
    ASSERT_TRUE(IsGood(burner.Eject()));

    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"disc.bin", "disc.cue"}));
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
    EXPECT_TRUE(ReadWholeFile(folder.File("disc.bin")) == ExpectedImage(tracks));

    ASSERT_TRUE(IsGood(burner.ReadDiscInformation(data)));
    EXPECT_EQ(data[2] & 0x03, 0x00) << "ejecting inserts a blank disc";
}

TEST(ImageRecorderBurn, BchunkSplitsTheImageIntoTheWrittenAudio)
{
    if (std::system("command -v bchunk > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "bchunk is not installed";
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
    const auto tracks = ThreeTracks();
    BurnDisc(burner, tracks);

    const std::string command = "cd '" + folder.Path() + "' && bchunk -w disc.bin disc.cue track > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (size_t i = 0; i < tracks.size(); ++i) {
        const auto wav = ReadWholeFile(folder.File("track0" + std::to_string(i + 1) + ".wav"));
        ASSERT_GT(wav.size(), 44u);
        // Each track ends where the next one's pause begins.
        const auto audio = PaddedToSectors(tracks[i]);
        EXPECT_TRUE(std::vector<uint8_t>(wav.begin() + 44, wav.end()) == audio) << "track " << i + 1;
    }
}

TEST(ImageRecorderBurn, TwoBurnsInARowGiveTwoImagesAndNeverOverwrite)
{
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
    const std::vector<std::vector<uint8_t>> first = {TestAudio(300 * kSector, 7)};
    const std::vector<std::vector<uint8_t>> second = {TestAudio(310 * kSector, 8), TestAudio(305 * kSector, 9)};
    BurnDisc(burner, first);
    BurnDisc(burner, second);

    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"disc-2.bin", "disc-2.cue", "disc.bin", "disc.cue"}));
    EXPECT_TRUE(ReadWholeFile(folder.File("disc.bin")) == ExpectedImage(first));
    EXPECT_TRUE(ReadWholeFile(folder.File("disc-2.bin")) == ExpectedImage(second));
    EXPECT_EQ(ReadText(folder.File("disc-2.cue")).rfind("FILE \"disc-2.bin\" BINARY\n", 0), 0u);
}

TEST(ImageRecorderBurn, ASessionNeverClosedLeavesNoFile)
{
    TemporaryFolder folder;
    {
        TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
        ASSERT_TRUE(burner.BurnTrack(1, TestAudio(300 * kSector, 1)));
        ASSERT_TRUE(IsGood(burner.Eject()));
        EXPECT_TRUE(folder.Names().empty()) << "eject drops the unfinished image";

        ASSERT_TRUE(burner.BurnTrack(1, TestAudio(300 * kSector, 2)));
        EXPECT_EQ(folder.Names().size(), 1u);
    }
    EXPECT_TRUE(folder.Names().empty()) << "unloading the layer drops it too";
}

TEST(ImageRecorderBurn, TheExportedEntryPointsBurnThroughTheLoadedLibrary)
{
    TemporaryFolder folder;
    const std::string notADrive = folder.File("not-a-drive");
    FILE* file = std::fopen(notADrive.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    setenv(aspi::kDrivesVariable, ("/nonexistent/sr9 " + notADrive).c_str(), 1);
    setenv(aspi::kImageRecorderVariable, folder.File("ignored.bin").c_str(), 1);

    DynamicLibrary library;
    ASSERT_TRUE(library.Open(ProgramDirectory() + "/libwnaspi32.so")) << library.Error();
    const auto setRecorder = library.Resolve<QuillstarASPISetImageRecorderFunction>("QuillstarASPISetImageRecorder");
    const auto supportInfo = library.Resolve<GetASPI32SupportInfoFunction>("GetASPI32SupportInfo");
    const auto send = library.Resolve<SendASPI32CommandFunction>("SendASPI32Command");
    const auto skippedDevices =
        library.Resolve<QuillstarASPIGetSkippedDevicesFunction>("QuillstarASPIGetSkippedDevices");
    const auto getBuffer = library.Resolve<GetASPI32BufferFunction>("GetASPI32Buffer");
    const auto freeBuffer = library.Resolve<FreeASPI32BufferFunction>("FreeASPI32Buffer");
    for (const char* name : {"TranslateASPI32Address", "GetASPI32DLLVersion"})
        EXPECT_NE(library.Symbol(name), nullptr) << name;
    ASSERT_TRUE(setRecorder && supportInfo && send && skippedDevices && getBuffer && freeBuffer);

    ASSERT_EQ(setRecorder(folder.File("disc.bin").c_str()), 1);
    EXPECT_EQ(supportInfo(), static_cast<uint32_t>(SS_COMP << 8 | 1));
    EXPECT_EQ(setRecorder(folder.File("late.bin").c_str()), 0) << "too late once the layer has started";

    QUILLSTAR_SKIPPED_DEVICE skipped[4] = {};
    ASSERT_EQ(skippedDevices(skipped, 4), 2u);
    EXPECT_STREQ(skipped[0].Device, "/nonexistent/sr9");
    EXPECT_EQ(skipped[0].Error, ENOENT);
    EXPECT_STREQ(skipped[0].Reason, "cannot open: No such file or directory");
    EXPECT_STREQ(skipped[1].Device, notADrive.c_str());
    EXPECT_STREQ(skipped[1].Reason, "does not take SG_IO commands");

    ASPI32BUFF buffer{};
    buffer.AB_BufLen = cd::kBlockSize;
    buffer.AB_ZeroFill = 1;
    ASSERT_EQ(getBuffer(&buffer), 1);
    ASSERT_NE(buffer.AB_BufPointer, nullptr);
    EXPECT_EQ(buffer.AB_BufPointer[cd::kBlockSize - 1], 0);
    EXPECT_EQ(freeBuffer(&buffer), 1);

    TestBurner burner(send, 0);
    const auto audio = TestAudio(300 * kSector + 17, 5);
    ASSERT_TRUE(burner.BurnTrack(1, audio));
    ASSERT_TRUE(burner.FinishDisc());
    EXPECT_NE(burner.Eject().SRB_PostProc, nullptr) << "the completion event is set";
    EXPECT_TRUE(ReadWholeFile(folder.File("disc.bin")) == PaddedToSectors(audio));
    unsetenv(aspi::kDrivesVariable);
    unsetenv(aspi::kImageRecorderVariable);
}
