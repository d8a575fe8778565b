// Drive discovery on the image recorder of the real libwnaspi32.so: the
// drive list, the speeds scanned, and the report of drives that cannot write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DiscWriter.h"
#include "recorder/DriveReport.h"
#include "recorder/MmcCommands.h"
#include "recorder/SCSI.h"
#include "tests/recorder/FakeTrackSource.h"
#include "tests/recorder/ImageRig.h"
#include "tests/recorder/ProgressLog.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

constexpr const char* kRecorderName = "QUILLSTR IMAGE RECORDER ";

// Runs discovery on the image recorder's library and keeps what it found.
class ImageDiscovery : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(DriveReport::Path()) << "OLD DRIVE\n"; }

    int Discover(const std::string& options, bool withRecorder = true)
    {
        devices.clear();
        ImageRig rig(options, withRecorder);
        ScsiTransport transport(rig.Library());
        MmcCommands commands(transport);
        CSCSI scsi(commands);
        scsi.SetTimings(RecorderTimings{1, 1, 1, 10, 1});
        return scsi.InitCommunication(devices);
    }

    static std::string Report() { return ReadText(DriveReport::Path()); }

    std::vector<std::unique_ptr<DeviceInfo>> devices;
};

}  // namespace

// The recorder settles on the fastest of its speeds (4x, 8x, 10x, 16x, 24x,
// 32x, 40x and its maximum) at or below each request, or its slowest.
TEST_F(ImageDiscovery, ListsTheDriveWithEverySpeedItTakes)
{
    ASSERT_EQ(Discover("max-write-speed=1412 max-read-speed=7056"), 0);
    ASSERT_EQ(devices.size(), 1u);
    const DeviceInfo& device = *devices[0];
    EXPECT_EQ(device.name, kRecorderName);
    EXPECT_EQ(device.adapterId, 0);
    EXPECT_EQ(device.targetId, 0);
    EXPECT_EQ(device.lun, 0);
    EXPECT_EQ(device.present, 1u);
    EXPECT_EQ(device.canWriteCdR, 1u);
    EXPECT_EQ(device.maxWriteSpeed, 1412);
    EXPECT_EQ(device.maxReadSpeed, 7056);
    EXPECT_EQ(device.bufferSize, 2048);
    EXPECT_EQ(device.bufferUnderrunFree, 0x80u);
    // 706, 1411, 1764, 2822, 4234, 5645 and 7056 kB/s, each listed once, ascending.
    EXPECT_EQ(device.readSpeeds, (std::vector<int>{4, 8, 10, 16, 24, 32, 40}));
    EXPECT_EQ(device.writeSpeeds, (std::vector<int>{4, 8}));
    EXPECT_EQ(Report(), "");
}

TEST_F(ImageDiscovery, ListsTheSpeedADriveForcesOnceNoneBelowHalfSingleSpeedAndReportsAReader)
{
    struct Case {
        const char* options;
        std::vector<int> writeSpeeds;
    };
    // A drive without a capabilities page, or that does not answer INQUIRY,
    // is still taken for a writer.
    for (const Case& c : {Case{"max-write-speed=1412 current-write-speed=1500", {8}}, Case{"max-write-speed=87", {}},
                          Case{"no-capabilities-page inquiry-fails", {}}}) {
        SCOPED_TRACE(c.options);
        ASSERT_EQ(Discover(c.options), 0);
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0]->canWriteCdR, 1u);
        EXPECT_EQ(devices[0]->writeSpeeds, c.writeSpeeds);
    }
    EXPECT_EQ(Discover("reader-only"), 0);
    EXPECT_TRUE(devices.empty());
    EXPECT_EQ(Report(), std::string(kRecorderName) + "\n");
    // A report that cannot be written does not stop discovery.
    const std::string home = std::getenv("HOME");
    setenv("HOME", "/nonexistent/quillstar", 1);
    EXPECT_EQ(Discover("reader-only"), 0);
    setenv("HOME", home.c_str(), 1);
}

TEST_F(ImageDiscovery, NoAdaptersGiveAnEmptyListAndAnEmptyReportAndNoLibraryNoReportAtAll)
{
    EXPECT_EQ(Discover("", false), 0);
    EXPECT_TRUE(devices.empty());
    EXPECT_EQ(Report(), "");

    std::filesystem::remove(DriveReport::Path());
    ScsiTransport transport(AspiLibrary::AtPath("/nonexistent/libwnaspi32.so"));
    MmcCommands commands(transport);
    CSCSI scsi(commands);
    TraceCapture trace;
    EXPECT_EQ(scsi.InitCommunication(devices), -1);
    EXPECT_TRUE(trace.Contains("\n\nATTENTION! LoadASPI FAILED!\n\n"));
    EXPECT_FALSE(std::filesystem::exists(DriveReport::Path()));

    // A writer without the library has no drive, starts no burn and posts nothing.
    ProgressLog log;
    CDiscWriter writer(log.Handle(), AspiLibrary::AtPath("/nonexistent/libwnaspi32.so"));
    log.Watch(&writer);
    FakeTrackSource source{{176400}};
    EXPECT_FALSE(writer.Initialize());
    EXPECT_EQ(writer.GetDeviceCount(), 0);
    EXPECT_FALSE(writer.WriteDisc(&source));
    EXPECT_FALSE(writer.AbortWrite());
    EXPECT_TRUE(log.Messages().empty());
}
