// Drive discovery on the image recorder of the real libwnaspi32.so: the
// drive list, the speeds scanned, and the report of drives that cannot write.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
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

// Runs discovery on the image recorder's library and keeps what it found,
// with the (read, write) kB/s of every SET SPEED the recorder received.
class ImageDiscovery : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(DriveReport::Path()) << "OLD DRIVE\n"; }

    int Discover(const std::string& options, bool withRecorder = true)
    {
        devices.clear();
        requests.clear();
        ImageRig rig(options, withRecorder);
        TraceCapture trace;
        ScsiTransport transport(rig.Library());
        MmcCommands commands(transport);
        CSCSI scsi(commands);
        scsi.SetTimings(RecorderTimings{1, 1, 1, 10, 1});
        const int result = scsi.InitCommunication(devices);
        for (const std::string& text : trace.Texts()) {
            int read = 0;
            int write = 0;
            if (std::sscanf(text.c_str(), "Image recorder: SET SPEED read %d write %d,", &read, &write) == 2)
                requests.emplace_back(read, write);
        }
        return result;
    }

    std::vector<int> Requests(size_t from, size_t count, bool write) const
    {
        std::vector<int> speeds;
        for (size_t at = from; at < from + count && at < requests.size(); ++at)
            speeds.push_back(write ? requests[at].second : requests[at].first);
        return speeds;
    }

    static std::string Report() { return ReadText(DriveReport::Path()); }

    std::vector<std::unique_ptr<DeviceInfo>> devices;
    std::vector<std::pair<int, int>> requests;
};

}  // namespace

// The recorder settles on the fastest of its speeds (4x, 8x, 10x, 16x, 24x,
// 32x, 40x and its maximum) at or below each request, or its slowest.
TEST_F(ImageDiscovery, ScansEveryMultipleOfSingleSpeedFromTheMaximumDown)
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

    // One SET SPEED at the current speeds before each scan, then 40 reads
    // and 8 writes.
    ASSERT_EQ(requests.size(), 1u + 40u + 1u + 8u);
    std::vector<int> reads = {7056};
    for (int factor = 39; factor >= 1; --factor)
        reads.push_back(factor * 176);
    EXPECT_EQ(Requests(1, 40, false), reads);
    EXPECT_EQ(Requests(42, 8, true), (std::vector<int>{1412, 1232, 1056, 880, 704, 528, 352, 176}));
    // 706, 1411, 1764, 2822, 4234, 5645 and 7056 kB/s, each listed once, ascending.
    EXPECT_EQ(device.readSpeeds, (std::vector<int>{4, 8, 10, 16, 24, 32, 40}));
    EXPECT_EQ(device.writeSpeeds, (std::vector<int>{4, 8}));
    EXPECT_EQ(Report(), "");
}

TEST_F(ImageDiscovery, ListsTheSpeedADriveForcesOnceAndNoneBelowHalfSingleSpeedOrWithoutCapabilities)
{
    struct Case {
        const char* options;
        std::vector<int> writeSpeeds;
        size_t requests;
    };
    // Only the write scan's opening SET SPEED at the current speeds, or no
    // scan at all without a capabilities page.
    for (const Case& c :
         {Case{"max-read-speed=7056 max-write-speed=1412 current-write-speed=1500", {8}, 1 + 40 + 1 + 8},
          Case{"max-read-speed=7056 max-write-speed=87", {}, 1 + 40 + 1},
          Case{"no-capabilities-page inquiry-fails", {}, 2}}) {
        SCOPED_TRACE(c.options);
        ASSERT_EQ(Discover(c.options), 0);
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0]->canWriteCdR, 1u);
        EXPECT_EQ(devices[0]->writeSpeeds, c.writeSpeeds);
        EXPECT_EQ(requests.size(), c.requests);
    }
    // A drive that does not answer INQUIRY has no name, but is still a writer.
    EXPECT_EQ(devices[0]->name, "");
}

TEST_F(ImageDiscovery, AReaderThatCannotWriteGoesToTheReportWhenTheReportCanBeWritten)
{
    EXPECT_EQ(Discover("reader-only max-read-speed=7056"), 0);
    EXPECT_TRUE(devices.empty());
    EXPECT_EQ(Report(), std::string(kRecorderName) + "\n");
    // A reader's write speeds are never scanned.
    EXPECT_EQ(requests.size(), 1u + 40u);

    const std::string home = std::getenv("HOME");
    setenv("HOME", "/nonexistent/quillstar", 1);
    EXPECT_EQ(Discover("reader-only"), 0);
    setenv("HOME", home.c_str(), 1);
}

TEST_F(ImageDiscovery, NoAdaptersGiveAnEmptyListAndAnEmptyReportAndNoLibraryNoReportAtAll)
{
    EXPECT_EQ(Discover("", false), 0);
    EXPECT_TRUE(devices.empty());
    EXPECT_TRUE(requests.empty());
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
