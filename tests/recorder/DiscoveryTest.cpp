#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DriveReport.h"
#include "recorder/SCSI.h"
#include "tests/recorder/FakeAspi.h"
#include "tests/recorder/SimulatedDrive.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

std::string ReadReport()
{
    std::ifstream file(DriveReport::Path(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

DriveSetup Writer(const std::string& product)
{
    DriveSetup setup;
    setup.product = product;
    return setup;
}

DriveSetup Reader(const std::string& product)
{
    DriveSetup setup = Writer(product);
    setup.writesCdR = setup.writesCdRw = false;
    return setup;
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::remove(DriveReport::Path()); }

    int Discover()
    {
        scsi.SetTimings(RecorderTimings{1, 1, 1, 10, 1});
        return scsi.InitCommunication(devices);
    }

    FakeAspi aspi;
    CSCSI scsi{aspi.Library()};
    std::vector<std::unique_ptr<DeviceInfo>> devices;
};

}  // namespace

TEST_F(Discovery, ListsTheWritersInBusOrderAndReportsTheReaders)
{
    SimulatedDrive first(Writer("FIRST")), reader(Reader("READER")), second(Writer("SECOND")), third(Writer("THIRD"));
    const int adapter0 = aspi.AddAdapter();
    aspi.AddAdapter(0, true);
    const int adapter2 = aspi.AddAdapter(2);
    aspi.Attach(adapter0, 3, 1, &second);
    aspi.Attach(adapter0, 1, 0, &reader);
    aspi.Attach(adapter0, 0, 0, &first);
    aspi.Attach(adapter2, 1, 0, &third);
    TraceCapture trace;
    ASSERT_EQ(Discover(), 0);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0]->name, "QUILLSTR FIRST ");
    EXPECT_EQ(devices[1]->name, "QUILLSTR SECOND ");
    EXPECT_EQ(devices[1]->targetId, 3);
    EXPECT_EQ(devices[1]->lun, 1);
    EXPECT_EQ(devices[2]->adapterId, 2);
    EXPECT_EQ(devices[2]->present, 1u);
    EXPECT_EQ(devices[0]->maxWriteSpeed, 1412);
    EXPECT_EQ(devices[0]->bufferUnderrunFree, 0x80u);
    EXPECT_EQ(devices[0]->bufferSize, 2048);
    EXPECT_EQ(ReadReport(), "QUILLSTR READER \n");
    EXPECT_TRUE(trace.Contains("ASPI enquiry failed. i=1\n"));
}

TEST_F(Discovery, ADriveWithoutCapabilitiesCountsAsACdRWriter)
{
    DriveSetup setup = Writer("");
    setup.capabilitiesPage = false;
    setup.inquiryFails = true;
    SimulatedDrive drive(setup);
    aspi.Attach(aspi.AddAdapter(), 0, 0, &drive);
    ASSERT_EQ(Discover(), 0);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]->name, "");
    EXPECT_EQ(devices[0]->canWriteCdR, 1u);
    EXPECT_TRUE(devices[0]->writeSpeeds.empty());
}

TEST_F(Discovery, AReportThatCannotBeWrittenDoesNotStopDiscovery)
{
    SimulatedDrive drive(Writer("KEPT")), reader(Reader("READER"));
    const int adapter = aspi.AddAdapter();
    aspi.Attach(adapter, 0, 0, &drive);
    aspi.Attach(adapter, 1, 0, &reader);
    const std::string home = std::getenv("HOME");
    setenv("HOME", "/nonexistent/quillstar", 1);
    const int result = Discover();
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]->name, "QUILLSTR KEPT ");
}

TEST(DiscoveryWithoutAspi, FailsWithoutWritingTheReport)
{
    std::filesystem::remove(DriveReport::Path());
    CSCSI scsi(AspiLibrary::AtPath("/nonexistent/libwnaspi32.so"));
    std::vector<std::unique_ptr<DeviceInfo>> devices;
    TraceCapture trace;
    EXPECT_EQ(scsi.InitCommunication(devices), -1);
    EXPECT_TRUE(trace.Contains("\n\nATTENTION! LoadASPI FAILED!\n\n"));
    EXPECT_FALSE(std::filesystem::exists(DriveReport::Path()));
}
