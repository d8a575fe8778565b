#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TemporaryFolder.h"
#include "platform/Event.h"
#include "platform/aspi/AspiEnvironment.h"
#include "platform/aspi/AspiLayer.h"
#include "platform/aspi/SgDrive.h"
#include "resources/CdAudio.h"
#include "resources/ImageRecorderTexts.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;
using quillstar::test::TemporaryFolder;

TEST(AspiLayer, ExecuteBlocksItCannotCarryOutFailWithTheirStatusAndStillSignal)
{
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
    AspiLayer& layer = *burner.Layer();
    struct Case {
        uint8_t adapter, target, cdbLength, flags;
        uint8_t status;
        const char* why;
    };
    for (const Case& c :
         {Case{0, 3, 6, 0, SS_ERR, "nobody answers at target 3"}, Case{5, 0, 6, 0, SS_INVALID_HA, "no adapter 5"},
          Case{0, 0, 0, 0, SS_INVALID_CMD, "no CDB"}, Case{0, 0, 17, 0, SS_INVALID_CMD, "longer than the block holds"},
          Case{0, 0, 6, SRB_DIR_IN | SRB_DIR_OUT, SS_INVALID_CMD, "both directions"},
          Case{0, 0, 6, 0, SS_COMP, "TEST UNIT READY"}}) {
        SRB_ExecSCSICmd block{};
        Event done;
        block.SRB_Cmd = SC_EXEC_SCSI_CMD;
        block.SRB_HaId = c.adapter;
        block.SRB_Target = c.target;
        block.SRB_Flags = c.flags | SRB_EVENT_NOTIFY;
        block.SRB_CDBLen = c.cdbLength;
        block.SRB_SenseLen = SENSE_LEN;
        block.SRB_PostProc = &done;
        EXPECT_EQ(layer.SendCommand(&block), c.status) << c.why;
        EXPECT_EQ(block.SRB_Status, c.status) << c.why;
        EXPECT_TRUE(done.IsSet()) << c.why;
    }
    uint8_t unknown[16] = {0x07};
    EXPECT_EQ(layer.SendCommand(unknown), SS_INVALID_CMD);
    EXPECT_EQ(layer.SendCommand(nullptr), SS_INVALID_CMD);

    TestBurner empty = TestBurner::ForImageRecorder(folder.File("empty.bin"), "disc=none");
    const auto block = empty.TestUnitReady();
    EXPECT_EQ(block.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_EQ(block.SenseArea[12], 0x3A);
    EXPECT_EQ(block.SenseArea[14], 0) << "only the 14 bytes of sense asked for";
}

TEST(AspiLayer, DrivesAndImagesThatCannotBeUsedAreLeftOutWithTheReason)
{
    int error = 0;
    std::string reason;
    EXPECT_EQ(SgDrive::Open("/nonexistent/sr0", error, reason), nullptr);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(reason, "cannot open: No such file or directory");
    TemporaryFolder folder;
    ASSERT_TRUE(test::WriteText(folder.File("file"), ""));
    EXPECT_EQ(SgDrive::Open(folder.File("file"), error, reason), nullptr);
    EXPECT_EQ(reason, "does not take SG_IO commands");
    EXPECT_EQ(AspiEnvironment::DrivePaths(" /dev/sr1  /dev/sr0 "), (std::vector<std::string>{"/dev/sr1", "/dev/sr0"}));
    // Closing a session takes minutes; the kernel must not abort it sooner.
    EXPECT_GE(SgDrive::TimeoutFor(0x5B), 15u * 60 * 1000);

    struct Case {
        std::string path, options;
        int error;
        std::string reason;
    };
    for (const Case& c :
         {Case{folder.File("folder"), "", 0, "is a folder, not an image file"},
          Case{folder.File("disc.cue"), "", 0, "must not end in .cue: the CUE sheet is written beside the image"},
          Case{folder.File("my \"best\".bin"), "", 0,
               "the name cannot appear in a CUE sheet (quotes or control characters)"},
          Case{folder.File("no-such-folder/disc.bin"), "", ENOENT,
               "cannot write into " + folder.File("no-such-folder") + ": No such file or directory"},
          Case{folder.File("disc.bin"), "minutes=200", EINVAL,
               "QUILLSTAR_IMAGE_RECORDER_OPTIONS: bad value in 'minutes=200'"}}) {
        std::filesystem::create_directory(folder.File("folder"));
        AspiEnvironment::SkippedDevice skipped;
        EXPECT_EQ(AspiEnvironment::CreateImageRecorder(c.path, c.options, skipped), nullptr) << c.path;
        EXPECT_EQ(skipped.error, c.error) << c.path;
        EXPECT_EQ(skipped.reason, c.reason);
    }
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"file", "folder"}));
}
