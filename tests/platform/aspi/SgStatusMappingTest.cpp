#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "platform/aspi/SgStatusMapping.h"

using namespace quillstar;

namespace {

// An SG_IO result as the kernel leaves it in the header.
ScsiOutcome Map(unsigned char status, unsigned short host = 0, unsigned short driver = 0,
                std::vector<unsigned char> sense = {})
{
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.status = status;
    header.masked_status = status >> 1;
    header.host_status = host;
    header.driver_status = driver;
    header.sbp = sense.data();
    header.mx_sb_len = 32;
    header.sb_len_wr = static_cast<unsigned char>(sense.size());
    return OutcomeOfSgIo(0, 0, header);
}

// Fixed-format sense as a drive returns it.
std::vector<unsigned char> Sense(unsigned char key, unsigned char asc, unsigned char ascq)
{
    std::vector<unsigned char> sense(18, 0);
    sense[0] = 0x70;
    sense[2] = key;
    sense[7] = 10;
    sense[12] = asc;
    sense[13] = ascq;
    return sense;
}

}  // namespace

TEST(SgStatusMapping, GoodAndCheckConditionReachTheBlockWithTheirSense)
{
    const ScsiOutcome good = Map(0);
    EXPECT_EQ(good.srbStatus, SS_COMP);
    EXPECT_EQ(good.hostStatus, HASTAT_OK);
    EXPECT_EQ(good.targetStatus, STATUS_GOOD);

    // TEST UNIT READY to a drive with an open tray.
    const ScsiOutcome noDisc = Map(0x02, 0, 0x08, Sense(0x02, 0x3A, 0x02));
    EXPECT_EQ(noDisc.srbStatus, SS_ERR);
    EXPECT_EQ(noDisc.hostStatus, HASTAT_OK);
    EXPECT_EQ(noDisc.targetStatus, STATUS_CHKCOND);
    EXPECT_EQ(noDisc.senseLength, 18);
    EXPECT_EQ(noDisc.Code().key, 0x02);
    EXPECT_EQ(noDisc.Code().asc, 0x3A);

    // End of medium with no sense key: the flag byte must come through whole.
    const auto endOfMedium = [] {
        auto sense = Sense(0x00, 0x00, 0x02);
        sense[2] = 0x40;
        return sense;
    }();
    EXPECT_EQ(Map(0x02, 0, 0x08, endOfMedium).sense[2], 0x40);

    const ScsiOutcome withoutSense = Map(0x02);
    EXPECT_EQ(withoutSense.targetStatus, STATUS_CHKCOND);
    EXPECT_EQ(withoutSense.senseLength, 0);

    const ScsiOutcome senseWithGoodStatus = Map(0x00, 0, 0x08, Sense(0x05, 0x24, 0x00));
    EXPECT_EQ(senseWithGoodStatus.targetStatus, STATUS_CHKCOND);
    EXPECT_EQ(senseWithGoodStatus.Code().asc, 0x24);
}

TEST(SgStatusMapping, BusyAndReservationConflictBecomeTargetStatuses)
{
    EXPECT_EQ(Map(0x08).targetStatus, STATUS_BUSY);
    EXPECT_EQ(Map(0x28).targetStatus, STATUS_BUSY) << "task set full";
    EXPECT_EQ(Map(0x18).targetStatus, STATUS_RESCONF);
    EXPECT_EQ(Map(0x18).srbStatus, SS_ERR);
    EXPECT_EQ(Map(0, 0x11).targetStatus, STATUS_RESCONF) << "nexus failure";
    EXPECT_EQ(Map(0x40).srbStatus, SS_ABORTED) << "task aborted";
    EXPECT_EQ(Map(0x04).srbStatus, SS_COMP) << "condition met";
}

TEST(SgStatusMapping, HostAndDriverFailuresBecomeAdapterStatuses)
{
    const std::vector<std::pair<unsigned short, uint8_t>> hosts = {
        {0x01, HASTAT_SEL_TO},    {0x04, HASTAT_SEL_TO},          {0x0F, HASTAT_SEL_TO},
        {0x02, HASTAT_BUS_FREE},  {0x03, HASTAT_COMMAND_TIMEOUT}, {0x06, HASTAT_PARITY_ERROR},
        {0x07, HASTAT_PHASE_ERR}, {0x08, HASTAT_BUS_RESET},       {0x0B, HASTAT_PHASE_ERR},
    };
    for (const auto& [host, adapterStatus] : hosts) {
        // A host failure wins over whatever status byte came with it.
        const ScsiOutcome outcome = Map(0x02, host, 0x08, Sense(0x05, 0x24, 0));
        EXPECT_EQ(outcome.srbStatus, SS_ERR) << host;
        EXPECT_EQ(outcome.hostStatus, adapterStatus) << host;
    }
    EXPECT_EQ(Map(0, 0x05).srbStatus, SS_ABORTED);
    EXPECT_EQ(Map(0, 0, 0x06).hostStatus, HASTAT_COMMAND_TIMEOUT) << "driver time-out";
    EXPECT_EQ(Map(0, 0, 0x04).hostStatus, HASTAT_PHASE_ERR) << "driver error without a status";
}

TEST(SgStatusMapping, AFailedIoctlSaysWhetherTheDriveIsGoneOrTheRequestWasRefused)
{
    const sg_io_hdr_t header{};
    EXPECT_EQ(OutcomeOfSgIo(-1, ENODEV, header).hostStatus, HASTAT_SEL_TO);
    EXPECT_EQ(OutcomeOfSgIo(-1, ENXIO, header).hostStatus, HASTAT_SEL_TO);
    EXPECT_EQ(OutcomeOfSgIo(-1, EBUSY, header).targetStatus, STATUS_BUSY);
    EXPECT_EQ(OutcomeOfSgIo(-1, EINVAL, header).srbStatus, SS_INVALID_CMD);
    EXPECT_EQ(OutcomeOfSgIo(-1, EPERM, header).srbStatus, SS_INVALID_CMD);
}
