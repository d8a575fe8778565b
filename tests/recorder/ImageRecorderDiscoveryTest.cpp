#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DriveReport.h"
#include "recorder/SCSI.h"
#include "tests/recorder/ImageRig.h"
#include "tests/recorder/LoadedAspiLayer.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

constexpr const char* kRecorderName = "QUILLSTR IMAGE RECORDER ";

std::string ReadReport()
{
    std::ifstream file(DriveReport::Path(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

DriveSetup Speeds(int maxWrite, int maxRead = 7056)
{
    DriveSetup setup;
    setup.maxWriteSpeed = maxWrite;
    setup.maxReadSpeed = maxRead;
    return setup;
}

// Runs discovery on the image recorder's library and keeps what it found,
// with the (read, write) kB/s of every SET SPEED the recorder received.
class ImageDiscovery : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::remove(DriveReport::Path()); }

    void Discover(const DriveSetup& setup, const std::string& moreOptions = "")
    {
        ImageRig rig(setup, moreOptions);
        DiscoverThrough(rig.Library());
    }

    void DiscoverThrough(AspiLibrary library)
    {
        TraceCapture trace;
        ScsiTransport transport(std::move(library));
        MmcCommands commands(transport);
        CSCSI scsi(commands);
        scsi.SetTimings(RecorderTimings{1, 1, 1, 10, 1});
        ASSERT_EQ(scsi.InitCommunication(devices), 0);
        for (const std::string& text : trace.Texts()) {
            int read = 0;
            int write = 0;
            if (std::sscanf(text.c_str(), "Image recorder: SET SPEED read %d write %d,", &read, &write) == 2)
                requests.emplace_back(read, write);
        }
    }

    std::vector<int> ReadRequests(size_t count) const
    {
        std::vector<int> speeds;
        for (size_t at = 1; at <= count && at < requests.size(); ++at)
            speeds.push_back(requests[at].first);
        return speeds;
    }

    std::vector<int> WriteRequests(size_t count) const
    {
        std::vector<int> speeds;
        for (size_t at = requests.size() - std::min(count, requests.size()); at < requests.size(); ++at)
            speeds.push_back(requests[at].second);
        return speeds;
    }

    std::vector<std::unique_ptr<DeviceInfo>> devices;
    std::vector<std::pair<int, int>> requests;
};

}  // namespace

// The recorder settles on the fastest of its speeds (4x, 8x, 10x, 16x, 24x,
// 32x, 40x and its maximum) at or below each request, or its slowest.
TEST_F(ImageDiscovery, ScansEveryMultipleOfSingleSpeedFromTheMaximumDown)
{
    Discover(Speeds(1412, 7056));
    ASSERT_EQ(devices.size(), 1u);
    const DeviceInfo& device = *devices[0];
    EXPECT_EQ(device.name, kRecorderName);
    EXPECT_EQ(device.adapterId, 0);
    EXPECT_EQ(device.targetId, 0);
    EXPECT_EQ(device.lun, 0);
    EXPECT_EQ(device.maxWriteSpeed, 1412);
    EXPECT_EQ(device.maxReadSpeed, 7056);
    EXPECT_EQ(device.bufferSize, 2048);
    EXPECT_EQ(device.bufferUnderrunFree, 0x80u);

    // One SET SPEED at the current speeds before each scan, then 40 reads
    // and 8 writes.
    ASSERT_EQ(requests.size(), 1u + 40u + 1u + 8u);
    std::vector<int> reads = {7056};
    for (int factor = 39; factor >= 1; --factor)
        reads.push_back(factor * 176);
    EXPECT_EQ(ReadRequests(40), reads);
    EXPECT_EQ(WriteRequests(8), (std::vector<int>{1412, 1232, 1056, 880, 704, 528, 352, 176}));
    // 706, 1411, 1764, 2822, 4234, 5645 and 7056 kB/s, each listed once, ascending.
    EXPECT_EQ(device.readSpeeds, (std::vector<int>{4, 8, 10, 16, 24, 32, 40}));
    EXPECT_EQ(device.writeSpeeds, (std::vector<int>{4, 8}));
    EXPECT_EQ(ReadReport(), "");
}

TEST_F(ImageDiscovery, ListsTheSpeedTheDriveReportsOnceAndNoneBelowHalfSingleSpeed)
{
    DriveSetup forced = Speeds(1412);
    forced.forcedWriteSpeed = 1500;
    Discover(forced);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]->writeSpeeds, std::vector<int>{8});

    devices.clear();
    requests.clear();
    Discover(Speeds(87));
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_TRUE(devices[0]->writeSpeeds.empty());
    // Only the scan's opening SET SPEED at the current speeds.
    EXPECT_EQ(requests.size(), 1u + 40u + 1u);
}

TEST_F(ImageDiscovery, AReaderThatCannotWriteGoesToTheReport)
{
    {
        std::ofstream old(DriveReport::Path());
        old << "OLD DRIVE\n";
    }
    DriveSetup reader;
    reader.writesCdR = reader.writesCdRw = false;
    Discover(reader);
    EXPECT_TRUE(devices.empty());
    EXPECT_EQ(ReadReport(), std::string(kRecorderName) + "\n");
    // A reader's write speeds are never scanned.
    EXPECT_EQ(requests.size(), 1u + 40u);
}

TEST_F(ImageDiscovery, NoAdaptersGiveAnEmptyListAndAnEmptyReport)
{
    {
        std::ofstream old(DriveReport::Path());
        old << "OLD DRIVE\n";
    }
    LoadedAspiLayer layer("", "");
    DiscoverThrough(layer.Library());
    EXPECT_TRUE(devices.empty());
    EXPECT_TRUE(requests.empty());
    ASSERT_TRUE(std::filesystem::exists(DriveReport::Path()));
    EXPECT_EQ(ReadReport(), "");
}
