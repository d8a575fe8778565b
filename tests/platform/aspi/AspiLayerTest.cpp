#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/Event.h"
#include "platform/aspi/AspiEnvironment.h"
#include "platform/aspi/AspiLayer.h"
#include "platform/aspi/SgDrive.h"
#include "resources/CdAudio.h"
#include "resources/ImageRecorderTexts.h"
#include "tests/platform/aspi/TemporaryFolder.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;

namespace {

std::string Text(const uint8_t* field, size_t width)
{
    return std::string(reinterpret_cast<const char*>(field), width);
}

AspiEnvironment::SkippedDevice WhyNoRecorder(const std::string& path, const std::string& options = "")
{
    AspiEnvironment::SkippedDevice skipped;
    EXPECT_EQ(AspiEnvironment::CreateImageRecorder(path, options, skipped), nullptr) << path;
    return skipped;
}

}  // namespace

TEST(AspiLayer, ReportsItsAdaptersAndTheirDevices)
{
    EXPECT_EQ(AspiLayer({}).SupportInfo(), static_cast<uint32_t>(SS_NO_ADAPTERS << 8));

    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
    AspiLayer& layer = *burner.Layer();
    EXPECT_EQ(layer.SupportInfo(), static_cast<uint32_t>(SS_COMP << 8 | 1));

    SRB_HAInquiry inquiry{};
    inquiry.SRB_Cmd = SC_HA_INQUIRY;
    EXPECT_EQ(layer.SendCommand(&inquiry), SS_COMP);
    EXPECT_EQ(inquiry.SRB_Status, SS_COMP);
    EXPECT_EQ(inquiry.HA_Count, 1);
    EXPECT_EQ(inquiry.HA_Unique[3], 1) << "targets on the adapter";
    EXPECT_EQ(Text(inquiry.HA_ManagerId, 16), "ASPI for WIN32  ");
    EXPECT_EQ(Text(inquiry.HA_Identifier, 16), "Image recorder  ");
    inquiry.SRB_HaId = 1;
    EXPECT_EQ(layer.SendCommand(&inquiry), SS_INVALID_HA);

    const auto deviceType = [&layer](uint8_t adapter, uint8_t target, uint8_t lun) {
        SRB_GDEVBlock block{};
        block.SRB_Cmd = SC_GET_DEV_TYPE;
        block.SRB_HaId = adapter;
        block.SRB_Target = target;
        block.SRB_Lun = lun;
        const uint32_t status = layer.SendCommand(&block);
        EXPECT_EQ(status, block.SRB_Status);
        return std::make_pair(status, block.SRB_DeviceType);
    };
    EXPECT_EQ(deviceType(0, 0, 0), std::make_pair(uint32_t{SS_COMP}, uint8_t{DTYPE_CDROM}));
    EXPECT_EQ(deviceType(0, 1, 0).first, SS_NO_DEVICE);
    EXPECT_EQ(deviceType(0, 0, 1).first, SS_NO_DEVICE);
    EXPECT_EQ(deviceType(2, 0, 0).first, SS_INVALID_HA);
}

TEST(AspiLayer, ExecuteBlocksItCannotCarryOutFailWithTheirStatusAndStillSignal)
{
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
    AspiLayer& layer = *burner.Layer();
    const auto execute = [&layer](uint8_t adapter, uint8_t target, uint8_t cdbLength, uint8_t flags) {
        SRB_ExecSCSICmd block{};
        Event done;
        block.SRB_Cmd = SC_EXEC_SCSI_CMD;
        block.SRB_HaId = adapter;
        block.SRB_Target = target;
        block.SRB_Flags = flags | SRB_EVENT_NOTIFY;
        block.SRB_CDBLen = cdbLength;
        block.SRB_SenseLen = SENSE_LEN;
        block.SRB_PostProc = &done;
        EXPECT_EQ(layer.SendCommand(&block), block.SRB_Status);
        EXPECT_TRUE(done.IsSet());
        return block;
    };
    const auto missing = execute(0, 3, 6, 0);
    EXPECT_EQ(missing.SRB_Status, SS_ERR);
    EXPECT_EQ(missing.SRB_HaStat, HASTAT_SEL_TO) << "nobody answers at target 3";
    EXPECT_EQ(execute(5, 0, 6, 0).SRB_Status, SS_INVALID_HA);
    EXPECT_EQ(execute(0, 0, 0, 0).SRB_Status, SS_INVALID_CMD) << "no CDB";
    EXPECT_EQ(execute(0, 0, 17, 0).SRB_Status, SS_INVALID_CMD) << "longer than the block holds";
    EXPECT_EQ(execute(0, 0, 6, SRB_DIR_IN | SRB_DIR_OUT).SRB_Status, SS_INVALID_CMD);
    EXPECT_EQ(execute(0, 0, 6, 0).SRB_Status, SS_COMP) << "TEST UNIT READY";

    uint8_t unknown[16] = {0x07};
    EXPECT_EQ(layer.SendCommand(unknown), SS_INVALID_CMD);
    EXPECT_EQ(unknown[1], SS_INVALID_CMD);
    EXPECT_EQ(layer.SendCommand(nullptr), SS_INVALID_CMD);
}

TEST(AspiLayer, ASenseAreaGetsOnlyTheSenseLengthAsked)
{
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"), "disc=none");
    const auto block = burner.TestUnitReady();
    EXPECT_EQ(block.SRB_Status, SS_ERR);
    EXPECT_EQ(block.SRB_HaStat, HASTAT_OK);
    EXPECT_EQ(block.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_EQ(block.SenseArea[0], 0x70);
    EXPECT_EQ(block.SenseArea[7], 10);
    EXPECT_EQ(block.SenseArea[12], 0x3A);
    EXPECT_EQ(block.SenseArea[14], 0) << "14 bytes asked";
}

TEST(AspiLayer, DrivesThatCannotBeUsedAreLeftOutWithTheReason)
{
    int error = 0;
    std::string reason;
    EXPECT_EQ(SgDrive::Open("/nonexistent/sr0", error, reason), nullptr);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(reason, "cannot open: No such file or directory");

    TemporaryFolder folder;
    std::fclose(std::fopen(folder.File("file").c_str(), "w"));
    EXPECT_EQ(SgDrive::Open(folder.File("file"), error, reason), nullptr);
    EXPECT_EQ(reason, "does not take SG_IO commands");

    EXPECT_TRUE(AspiEnvironment::DrivePaths("").empty());
    EXPECT_EQ(AspiEnvironment::DrivePaths(" /dev/sr1  /dev/sr0 "), (std::vector<std::string>{"/dev/sr1", "/dev/sr0"}));
    // Closing a session takes minutes; the kernel must not abort it sooner.
    EXPECT_GE(SgDrive::TimeoutFor(0x5B), 15u * 60 * 1000);
    EXPECT_LT(SgDrive::TimeoutFor(0x12), SgDrive::TimeoutFor(0x5B));
}

TEST(AspiLayer, AnImagePathThatCannotHoldAnImageLeavesTheRecorderOutWithTheReason)
{
    TemporaryFolder folder;
    EXPECT_EQ(WhyNoRecorder(folder.Path()).reason, "is a folder, not an image file");
    EXPECT_EQ(WhyNoRecorder(folder.File("disc.cue")).reason,
              "must not end in .cue: the CUE sheet is written beside the image");
    EXPECT_EQ(WhyNoRecorder(folder.File("my \"best\".bin")).reason,
              "the name cannot appear in a CUE sheet (quotes or control characters)");
    const auto missing = WhyNoRecorder(folder.File("no-such-folder/disc.bin"));
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.reason, "cannot write into " + folder.File("no-such-folder") + ": No such file or directory");
    const auto badOption = WhyNoRecorder(folder.File("disc.bin"), "minutes=200");
    EXPECT_EQ(badOption.error, EINVAL);
    EXPECT_EQ(badOption.reason, "QUILLSTAR_IMAGE_RECORDER_OPTIONS: bad value in 'minutes=200'");
    EXPECT_TRUE(folder.Names().empty());
}

TEST(AspiLayer, CommandsFromTwoThreadsAreAnsweredOneAtATime)
{
    TemporaryFolder folder;
    TestBurner burner = TestBurner::ForImageRecorder(folder.File("disc.bin"));
    bool burned = false;
    std::thread burn([&] { burned = burner.BurnTrack(1, TestAudio(400 * cd::kSectorSize, 1)); });
    int answered = 0;
    for (int poll = 0; poll < 200; ++poll) {
        std::vector<uint8_t> data;
        answered += IsGood(burner.TestUnitReady()) + IsGood(burner.ReadDiscInformation(data)) +
                    IsGood(burner.SenseAllPages(data));
    }
    burn.join();
    EXPECT_TRUE(burned);
    EXPECT_EQ(answered, 600);
}

TEST(AspiLayer, TheProcessWideLayerStartsOnceWhoeverAsksFirst)
{
    setenv(aspi::kDrivesVariable, "/nonexistent/sr0", 1);
    unsetenv(aspi::kImageRecorderVariable);
    AspiLayer* layers[2] = {};
    size_t skipped[2] = {};
    std::thread first([&] { layers[0] = &AspiEnvironment::Instance().Layer(); });
    std::thread second([&] { skipped[1] = AspiEnvironment::Instance().SkippedDevices().size(); });
    first.join();
    second.join();
    layers[1] = &AspiEnvironment::Instance().Layer();
    skipped[0] = AspiEnvironment::Instance().SkippedDevices().size();
    EXPECT_EQ(layers[0], layers[1]);
    EXPECT_EQ(skipped[0], 1u);
    EXPECT_EQ(skipped[1], 1u);
    EXPECT_EQ(layers[0]->SupportInfo(), static_cast<uint32_t>(SS_NO_ADAPTERS << 8));
    EXPECT_FALSE(AspiEnvironment::Instance().SetImageRecorder("/tmp/late.bin"));
    unsetenv(aspi::kDrivesVariable);
}
