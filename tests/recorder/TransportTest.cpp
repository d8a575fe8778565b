#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/ProgramPath.h"
#include "platform/TraceCapture.h"
#include "recorder/ScsiTransport.h"
#include "resources/RecorderTexts.h"
#include "tests/recorder/FakeAspi.h"
#include "tests/recorder/ScriptedDevice.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

std::string FakeLibrary(const char* variant)
{
    return ProgramDirectory() + "/libfakeaspi-" + variant + ".so";
}

DeviceInfo PresentDevice()
{
    DeviceInfo device;
    device.present = 1;
    return device;
}

const std::array<uint8_t, 6> kTestUnitReady{};

class Transport : public ::testing::Test {
protected:
    Transport()
    {
        aspi.Attach(aspi.AddAdapter(), 0, 0, &device);
        transport.LoadASPI();
    }

    int Execute()
    {
        return transport.ExecuteCommand(PresentDevice(), 6, kTestUnitReady.data(), kInfinite, nullptr, 0, kNoData);
    }

    FakeAspi aspi;
    ScriptedDevice device;
    ScsiTransport transport{aspi.Library()};
};

}  // namespace

TEST(LoadAspi, ReportsAMissingLibraryOrEntryPoint)
{
    EXPECT_EQ(ScsiTransport(AspiLibrary::AtPath("/nonexistent/libwnaspi32.so")).LoadASPI(), -1);
    EXPECT_EQ(ScsiTransport(AspiLibrary::AtPath(FakeLibrary("without-support-info"))).LoadASPI(), -2);
    EXPECT_EQ(ScsiTransport(AspiLibrary::AtPath(FakeLibrary("without-send-command"))).LoadASPI(), -3);
}

TEST(LoadAspi, ALoadedLibraryCountsAdaptersAndCompletesCommands)
{
    ScsiTransport transport(AspiLibrary::AtPath(FakeLibrary("full")));
    EXPECT_EQ(transport.GetAdapterCount(), -1);
    ASSERT_EQ(transport.LoadASPI(), 0);
    EXPECT_EQ(transport.LoadASPI(), 0);
    EXPECT_EQ(transport.GetAdapterCount(), 1);
    EXPECT_EQ(transport.ExecuteCommand(PresentDevice(), 6, kTestUnitReady.data(), kInfinite, nullptr, 0, kNoData), 0);
}

TEST(LoadAspi, NothingIsSentBeforeTheLibraryIsLoaded)
{
    ScsiTransport transport(AspiLibrary::AtPath("/nonexistent/libwnaspi32.so"));
    EXPECT_NE(transport.ExecuteCommand(PresentDevice(), 6, kTestUnitReady.data(), kInfinite, nullptr, 0, kNoData), 0);
}

TEST_F(Transport, GetAdapterCountReadsTheSupportStatus)
{
    aspi.SetSupportInfo(0xE8u << 8);
    EXPECT_EQ(transport.GetAdapterCount(), 0);
    aspi.SetSupportInfo(0x01u << 8 | 3);
    EXPECT_EQ(transport.GetAdapterCount(), 3);
    aspi.SetSupportInfo(0x04u << 8 | 3);
    EXPECT_EQ(transport.GetAdapterCount(), -1);
}

TEST_F(Transport, ADeviceNotPresentIsRefusedWithoutACommand)
{
    DeviceInfo absent;
    EXPECT_EQ(transport.ExecuteCommand(absent, 6, kTestUnitReady.data(), kInfinite, nullptr, 0, kNoData), -7);
    EXPECT_EQ(aspi.CommandsSent(), 0);
}

TEST_F(Transport, FillsTheRequestBlockForTheDevice)
{
    DeviceInfo elsewhere = PresentDevice();
    elsewhere.targetId = 1;
    EXPECT_EQ(transport.ExecuteCommand(elsewhere, 6, kTestUnitReady.data(), kInfinite, nullptr, 0, kNoData), -5);
    std::array<uint8_t, 12> cdb{0x12, 0, 0, 0, 100, 0, 0xEE, 0xEE};
    std::array<uint8_t, 100> reply{};
    device.AnswerData({0x05, 0, 0, 0, 'x'});
    EXPECT_EQ(transport.ExecuteCommand(PresentDevice(), 6, cdb.data(), 10000, reply.data(), 100, kDataIn), 0);
    const auto seen = device.Last();
    EXPECT_EQ(seen.cdbLength, 6);
    EXPECT_EQ(seen.flags, kDataIn | 0x40);
    EXPECT_EQ(seen.length, 100u);
    EXPECT_EQ(std::vector<uint8_t>(seen.cdb.begin(), seen.cdb.begin() + 8),
              (std::vector<uint8_t>{0x12, 0, 0, 0, 100, 0, 0, 0}));
    EXPECT_EQ(reply[4], 'x');
}

TEST_F(Transport, MapsEveryFailureOfTheErrorTable)
{
    struct Case {
        uint8_t status, adapter, target, senseByte2;
        int result;
        const char* trace;
    };
    const std::vector<Case> cases = {
        {0x02, 0, 0, 0, -8, nullptr},
        {0x04, 0x11, 0, 0, -9, "IOError: SCSISelTimeout\n"},
        {0x04, 0x12, 0, 0, -10, "IOError: SCSIDataOverrun\n"},
        {0x04, 0x13, 0, 0, -11, "IOError: SCSIBusFree\n"},
        {0x04, 0x14, 0, 0, -12, "IOError: SCSIBusFail\n"},
        {0x04, 0x15, 0x02, 0x05, -25, nullptr},
        {0x04, 0, 0x08, 0, -13, "IOError: SCSITargetBusy\n"},
        {0x04, 0, 0x18, 0, -14, "IOError: SCSIReservation\n"},
        {0x04, 0, 0x02, 0x40, -37, nullptr},
        {0x04, 0, 0x02, 0x00, -25, nullptr},
        {0x04, 0, 0x02, 0x01, 0, nullptr},
        {0x04, 0, 0x02, 0x02, -15, "IOError: SCSINotReady\n"},
        {0x04, 0, 0x02, 0x03, -16, "IOError: SCSIMedium\n"},
        {0x04, 0, 0x02, 0x04, -17, "IOError: SCSIHardware\n"},
        {0x04, 0, 0x02, 0x05, -18, "IOError: SCSIIllegalReq\n"},
        {0x04, 0, 0x02, 0x06, -19, "IOError: SCSIUnitAttention\n"},
        {0x04, 0, 0x02, 0x07, -20, "IOError: SCSIDataProtect\n"},
        {0x04, 0, 0x02, 0x08, -21, "IOError: SCSIBlankCheck\n"},
        {0x04, 0, 0x02, 0x0B, -22, "IOError: SCSITargetAbort\n"},
        {0x04, 0, 0x02, 0x0D, -23, "IOError: SCSIVolOverflow\n"},
        {0x04, 0, 0x02, 0x49, -25, nullptr},
        {0x04, 0, 0x02, 0x0F, -25, nullptr},
        {0x04, 0, 0x28, 0, -25, nullptr},
        {0x80, 0, 0, 0, -6, nullptr},
        {0x81, 0, 0, 0, -7, nullptr},
        {0x82, 0, 0, 0, -5, nullptr},
        {0x55, 0, 0, 0, 0x55, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "status " << int(c.status) << " adapter " << int(c.adapter) << " target "
                                        << int(c.target) << " sense " << int(c.senseByte2));
        ScriptedDevice::Outcome outcome;
        outcome.status = c.status;
        outcome.adapterStatus = c.adapter;
        outcome.targetStatus = c.target;
        outcome.sense[2] = c.senseByte2;
        device.Answer(outcome);
        TraceCapture trace;
        EXPECT_EQ(Execute(), c.result);
        EXPECT_EQ(trace.Texts(), c.trace ? std::vector<std::string>{c.trace} : std::vector<std::string>{});
    }
}

TEST_F(Transport, WaitsForACommandTheLayerCompletesLater)
{
    aspi.CompleteLater(5);
    std::array<uint8_t, 12> cdb{0x12, 0, 0, 0, 8};
    std::array<uint8_t, 8> reply{};
    device.AnswerData({1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(transport.ExecuteCommand(PresentDevice(), 6, cdb.data(), kInfinite, reply.data(), 8, kDataIn), 0);
    EXPECT_EQ(reply[7], 8);
    device.AnswerCheckCondition(0x05);
    EXPECT_EQ(transport.ExecuteCommand(PresentDevice(), 6, cdb.data(), 10000, reply.data(), 8, kDataIn), -18);
}

TEST(TransportTimeout, ACommandGivenUpNeverWritesIntoTheCallersBuffer)
{
    FakeAspi aspi;
    ScriptedDevice device;
    aspi.Attach(aspi.AddAdapter(), 0, 0, &device);
    aspi.CompleteLater(150);
    device.AnswerData(std::vector<uint8_t>(16, 0xAB));
    std::vector<uint8_t> reply(16, 0);
    {
        ScsiTransport transport(aspi.Library());
        ASSERT_EQ(transport.LoadASPI(), 0);
        std::array<uint8_t, 12> cdb{0x12, 0, 0, 0, 16};
        TraceCapture trace;
        EXPECT_NE(transport.ExecuteCommand(PresentDevice(), 6, cdb.data(), 10, reply.data(), 16, kDataIn), 0);
        EXPECT_EQ(trace.Texts().size(), 1u);
    }
    EXPECT_EQ(device.Count(), 1);
    EXPECT_EQ(reply, std::vector<uint8_t>(16, 0));
}
