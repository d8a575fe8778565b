#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/MmcCommands.h"
#include "tests/recorder/FakeAspi.h"
#include "tests/recorder/ScriptedDevice.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

class Mmc : public ::testing::Test {
protected:
    Mmc()
    {
        aspi.Attach(aspi.AddAdapter(), 0, 0, &device);
        commands.LoadASPI();
        drive.present = 1;
        drive.CurRead = 1000;
        drive.CurWrite = 700;
    }

    std::vector<uint8_t> Cdb(size_t length) const
    {
        const auto cdb = device.Last().cdb;
        return {cdb.begin(), cdb.begin() + static_cast<std::ptrdiff_t>(length)};
    }

    static std::vector<uint8_t> DiscInformation(uint8_t byte2, uint8_t discType)
    {
        std::vector<uint8_t> reply(34, 0);
        reply[2] = byte2;
        reply[8] = discType;
        return reply;
    }

    static std::vector<uint8_t> TrackInformation(uint8_t byte6, uint8_t byte7)
    {
        std::vector<uint8_t> reply(16, 0);
        reply[6] = byte6;
        reply[7] = byte7;
        reply[12] = 0x00;
        reply[13] = 0x01;
        reply[14] = 0x23;
        reply[15] = 0x45;
        return reply;
    }

    FakeAspi aspi;
    ScriptedDevice device;
    MmcCommands commands{aspi.Library()};
    DeviceInfo drive;
};

}  // namespace

TEST_F(Mmc, SendsEachCommandWithItsBytesLengthAndDirection)
{
    struct Case {
        const char* name;
        std::function<void()> send;
        std::vector<uint8_t> cdb;
        uint8_t cdbLength;
        uint8_t direction;
        uint32_t length;
    };
    std::array<uint8_t, 56> page{0x05, 0x32};
    std::array<uint8_t, 8> header{}, descriptor{};
    std::vector<uint8_t> chunk(37632);
    int kind = 0, status = 0;
    int32_t address = 0;
    const std::vector<Case> cases = {
        {"inquiry", [&] { commands.ReadDeviceName(drive); }, {0x12, 0, 0, 0, 100, 0}, 6, 0x08, 100},
        {"disc information",
         [&] { commands.ReadDiscInformation(drive, kind, status); },
         {0x51, 0, 0, 0, 0, 0, 0, 0, 100, 0},
         10,
         0x08,
         100},
        {"mode sense",
         [&] { commands.GetModePage(drive, 0xC5, page, header.data(), descriptor.data()); },
         {0x5A, 0, 0x05, 0, 0, 0, 0, 0, 164, 0},
         10,
         0x08,
         164},
        {"all pages",
         [&] {
             std::array<uint8_t, 256> reply{};
             commands.SenseAllModePages(drive, reply.data());
         },
         {0x5A, 0, 0x3F, 0, 0, 0, 0, 1, 0, 0, 0, 0},
         12,
         0x08,
         256},
        {"mode select",
         [&] { commands.SendModePage(drive, page, header.data(), nullptr); },
         {0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0},
         10,
         0x10,
         60},
        {"disc check", [&] { commands.TestUnitReady(drive, true); }, {0x51, 0, 0, 0, 0, 0, 0, 0, 4, 0}, 10, 0x08, 256},
        {"set speed",
         [&] { commands.SetSpeed(drive, kCurrentSpeed, 352); },
         {0xBB, 0, 0x03, 0xE8, 0x01, 0x60, 0, 0, 0, 0, 0, 0},
         12,
         0x00,
         0},
        {"power calibration",
         [&] { commands.PowerCalibration(drive); },
         {0x54, 0x01, 0, 0, 0, 0, 0, 0, 0, 0},
         10,
         0x00,
         0},
        {"track information",
         [&] { commands.ReadTrackInformation(drive, 5, &address); },
         {0x52, 0x01, 0, 0, 0, 5, 0, 0, 16, 0},
         10,
         0x08,
         16},
        {"write",
         [&] { commands.WriteBlock(drive, chunk.data(), 16, 37632, -150); },
         {0x2A, 0, 0xFF, 0xFF, 0xFF, 0x6A, 0, 0, 16, 0},
         10,
         0x10,
         37632},
        {"synchronize cache",
         [&] { commands.SynchronizeCache(drive); },
         {0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         10,
         0x00,
         0},
        {"close track",
         [&] { commands.CloseTrackOrSession(drive, false, 3); },
         {0x5B, 0, 0x01, 0, 0, 3, 0, 0, 0, 0},
         10,
         0x00,
         0},
        {"close session",
         [&] { commands.CloseTrackOrSession(drive, true, 3); },
         {0x5B, 0, 0x02, 0, 0, 0, 0, 0, 0, 0},
         10,
         0x00,
         0},
        {"eject", [&] { commands.Eject(drive, true); }, {0x1B, 0x01, 0, 0, 0x02, 0, 0, 0, 0, 0}, 10, 0x00, 0},
        {"load", [&] { commands.Eject(drive, false); }, {0x1B, 0x01, 0, 0, 0x03, 0, 0, 0, 0, 0}, 10, 0x00, 0},
        {"lock tray", [&] { commands.PreventMediumRemoval(drive, true); }, {0x1E, 0, 0, 0, 0x01, 0}, 6, 0x00, 0},
        {"free tray", [&] { commands.PreventMediumRemoval(drive, false); }, {0x1E, 0, 0, 0, 0, 0}, 6, 0x00, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.AnswerData({});
        c.send();
        const auto seen = device.Last();
        EXPECT_EQ(Cdb(c.cdb.size()), c.cdb);
        EXPECT_EQ(seen.cdbLength, c.cdbLength);
        EXPECT_EQ(seen.flags, c.direction | 0x40);
        EXPECT_EQ(seen.length, c.length);
    }
}

TEST_F(Mmc, ReadDiscInformationGivesStatusAndKind)
{
    struct Case {
        uint8_t byte2, discType;
        int statusIn, status, kind;
    };
    const std::vector<Case> cases = {
        {0x00, 0x00, 0, 6, 1}, {0x01, 0x00, 0, 7, 2},
        {0x02, 0x00, 0, 8, 2}, {0x03, 0x00, 6, 6, 1},  // status 3 leaves the caller's value: an empty disc
        {0x03, 0x00, 8, 8, 2}, {0x10, 0x00, 0, 6, 0},  // CD-RW with the erasable bit
        {0x10, 0xFF, 0, 6, 1},                         // CD-RW reporting type 0xFF
        {0x01, 0xFF, 0, 7, 2}, {0x00, 0x10, 0, 6, 3},
        {0x00, 0x20, 0, 6, 4}, {0x00, 0x30, 0, 6, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte 2 " << int(c.byte2) << " type " << int(c.discType));
        device.AnswerData(DiscInformation(c.byte2, c.discType));
        int kind = -1;
        int status = c.statusIn;
        ASSERT_EQ(commands.ReadDiscInformation(drive, kind, status), 0);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(kind, c.kind);
    }
    device.AnswerCheckCondition(0x02);
    int kind = 9, status = 9;
    EXPECT_EQ(commands.ReadDiscInformation(drive, kind, status), -15);
    EXPECT_EQ(kind, 9);
    EXPECT_EQ(status, 9);
}

TEST_F(Mmc, ReadDiscCapacityCountsTheLeadOutStartAt2048Bytes)
{
    auto reply = DiscInformation(0, 0);
    reply[21] = 79;
    reply[22] = 59;
    reply[23] = 74;
    device.AnswerData(reply);
    int64_t capacity = -1;
    int minutes = -1, seconds = -1;
    ASSERT_EQ(commands.ReadDiscCapacity(drive, capacity, minutes, seconds), 0);
    EXPECT_EQ(capacity, 737277952);
    EXPECT_EQ(minutes, 79);
    EXPECT_EQ(seconds, 59);

    reply[21] = reply[22] = reply[23] = 0xFF;
    device.AnswerData(reply);
    minutes = seconds = -1;
    ASSERT_EQ(commands.ReadDiscCapacity(drive, capacity, minutes, seconds), 0);
    EXPECT_EQ(capacity, 0);
    EXPECT_EQ(minutes, -1);
    EXPECT_EQ(seconds, -1);
}

TEST_F(Mmc, GetModePageFindsThePageAfterTheBlockDescriptor)
{
    std::vector<uint8_t> reply(164, 0);
    reply[1] = 6 + 8 + 4;
    reply[2] = 0x12;
    reply[7] = 8;
    reply[8] = 0xD0;
    reply[16] = 0x05;
    reply[17] = 2;
    reply[18] = 0x41;
    reply[19] = 0x42;
    device.AnswerData(reply);
    std::array<uint8_t, 56> page{};
    std::array<uint8_t, 8> header{}, descriptor{};
    ASSERT_EQ(commands.GetModePage(drive, 0x05, page, header.data(), descriptor.data()), 0);
    EXPECT_EQ(header[2], 0x12);
    EXPECT_EQ(descriptor[0], 0xD0);
    EXPECT_EQ(std::vector<uint8_t>(page.begin(), page.begin() + 5), (std::vector<uint8_t>{0x05, 2, 0x41, 0x42, 0}));

    reply[7] = 0;
    reply[8] = 0x05;
    reply[9] = 0x60;  // longer than the page buffer: cut to it
    reply[1] = 6 + 0x62;
    std::fill(reply.begin() + 10, reply.end(), 0x77);
    device.AnswerData(reply);
    page.fill(0);
    ASSERT_EQ(commands.GetModePage(drive, 0x05, page, header.data(), descriptor.data()), 0);
    EXPECT_EQ(descriptor, (std::array<uint8_t, 8>{}));
    EXPECT_EQ(page[0], 0x05);
    EXPECT_EQ(page[55], 0x77);
}

TEST_F(Mmc, GetModePageWithoutPageDataFails)
{
    std::vector<uint8_t> reply(164, 0);
    reply[1] = 6 + 8;
    reply[7] = 8;
    device.AnswerData(reply);
    std::array<uint8_t, 56> page{};
    std::array<uint8_t, 8> header{}, descriptor{};
    TraceCapture trace;
    EXPECT_EQ(commands.GetModePage(drive, 0x05, page, header.data(), descriptor.data()), -38);
    EXPECT_TRUE(trace.Contains("No mode page data received.\n"));
    // A descriptor length pointing past the reply is no page either.
    reply[0] = 0x10;
    reply[6] = 0x0F;
    device.AnswerData(reply);
    EXPECT_EQ(commands.GetModePage(drive, 0x05, page, header.data(), descriptor.data()), -38);
}

TEST_F(Mmc, SendModePageBuildsTheParameterList)
{
    std::array<uint8_t, 56> page{0x05, 0x04, 0x41, 0x42, 0x00, 0x99};
    const std::array<uint8_t, 8> header{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    const std::array<uint8_t, 8> descriptor{1, 2, 3, 4, 5, 6, 7, 8};
    device.AnswerData({});
    ASSERT_EQ(commands.SendModePage(drive, page, header.data(), nullptr), 0);
    EXPECT_EQ(device.Last().dataOut,
              (std::vector<uint8_t>{0, 0, 0x33, 0x44, 0, 0, 0, 0, 0x05, 0x04, 0x41, 0x42, 0x00, 0x99}));
    ASSERT_EQ(commands.SendModePage(drive, page, nullptr, descriptor.data()), 0);
    EXPECT_EQ(device.Last().dataOut, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0,    0,    8,    1,    2,    3,
                                                           4, 5, 6, 7, 8, 0x05, 0x04, 0x41, 0x42, 0x00, 0x99}));
}

TEST_F(Mmc, ReadTrackInformationGivesOnlyAValidAddressOfABlankTrack)
{
    struct Case {
        uint8_t byte6, byte7;
        int32_t address;
    };
    const std::vector<Case> cases = {
        {0x40, 0x01, 0x12345}, {0x00, 0x01, 0}, {0x40, 0x00, 0}, {0xC0, 0x01, 0}, {0x60, 0x01, 0}, {0x50, 0x01, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte 6 " << int(c.byte6) << " byte 7 " << int(c.byte7));
        device.AnswerData(TrackInformation(c.byte6, c.byte7));
        int32_t address = -1;
        ASSERT_EQ(commands.ReadTrackInformation(drive, 1, &address), 0);
        EXPECT_EQ(address, c.address);
    }
    device.AnswerCheckCondition(0x05);
    int32_t address = -1;
    EXPECT_EQ(commands.ReadTrackInformation(drive, 2, &address), -18);
    EXPECT_EQ(address, -1);
}

TEST_F(Mmc, ReadDeviceNameCollapsesThePadding)
{
    std::vector<uint8_t> reply(100, 0);
    std::memcpy(&reply[8], "ABC     DRIVE   X       1.0 ", 28);
    std::memcpy(&reply[36], "v  s", 4);
    device.AnswerData(reply);
    ASSERT_EQ(commands.ReadDeviceName(drive), 0);
    EXPECT_EQ(drive.vendor, "ABC ");
    EXPECT_EQ(drive.product, "DRIVE X ");
    EXPECT_EQ(drive.revision, "1.0 ");
    EXPECT_EQ(drive.name, "ABC  DRIVE X ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(drive.vendorSpecific.data())), "v s");

    device.AnswerCheckCondition(0x04);
    EXPECT_EQ(commands.ReadDeviceName(drive), -17);
    EXPECT_EQ(drive.name, "ABC  DRIVE X ");
}

TEST_F(Mmc, TestUnitReadyStopsAtTheFirstFailure)
{
    device.AnswerCheckCondition(0x02);
    TraceCapture trace;
    EXPECT_EQ(commands.TestUnitReady(drive, true), -15);
    EXPECT_EQ(device.Count(), 1);
    EXPECT_TRUE(trace.Contains("TestUnitReady 0x00 failed\n"));
    device.AnswerData({});
    EXPECT_EQ(commands.TestUnitReady(drive, false), 0);
    EXPECT_EQ(device.Count(), 2);
}
