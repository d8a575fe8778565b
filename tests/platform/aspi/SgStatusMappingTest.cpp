#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "platform/aspi/SgStatusMapping.h"

using namespace quillstar;

namespace {

// A status the case leaves open.
constexpr uint8_t kAny = 0xFF;

// An SG_IO result as the kernel leaves it in the header, with fixed-format
// sense of this key, ASC and ASCQ when the key is not -1.
ScsiOutcome Map(unsigned char status, unsigned short host, unsigned short driver, int key = -1, int asc = 0)
{
    std::vector<unsigned char> sense;
    if (key >= 0) {
        sense.assign(18, 0);
        sense[0] = 0x70;
        sense[2] = static_cast<unsigned char>(key);
        sense[7] = 10;
        sense[12] = static_cast<unsigned char>(asc);
    }
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

}  // namespace

TEST(SgStatusMapping, EveryKernelOutcomeReachesTheBlockAsTheStatusesAnAspiLayerGives)
{
    struct Case {
        const char* what;
        ScsiOutcome outcome;
        uint8_t srbStatus, hostStatus, targetStatus;
    };
    // A host failure wins over whatever status byte or sense came with it.
    const std::vector<Case> cases = {
        {"good", Map(0, 0, 0), SS_COMP, HASTAT_OK, STATUS_GOOD},
        {"no disc", Map(0x02, 0, 0x08, 0x02, 0x3A), SS_ERR, HASTAT_OK, STATUS_CHKCOND},
        {"check condition without sense", Map(0x02, 0, 0), SS_ERR, HASTAT_OK, STATUS_CHKCOND},
        {"sense with a good status", Map(0x00, 0, 0x08, 0x05, 0x24), SS_ERR, HASTAT_OK, STATUS_CHKCOND},
        {"busy", Map(0x08, 0, 0), SS_ERR, HASTAT_OK, STATUS_BUSY},
        {"reservation conflict", Map(0x18, 0, 0), SS_ERR, HASTAT_OK, STATUS_RESCONF},
        {"condition met", Map(0x04, 0, 0), SS_COMP, kAny, kAny},
        {"no connect", Map(0x02, 0x01, 0x08, 0x05, 0x24), SS_ERR, HASTAT_SEL_TO, kAny},
        {"time-out", Map(0x02, 0x03, 0), SS_ERR, HASTAT_COMMAND_TIMEOUT, kAny},
        {"bus reset", Map(0x02, 0x08, 0), SS_ERR, HASTAT_BUS_RESET, kAny},
        {"driver time-out", Map(0, 0, 0x06), kAny, HASTAT_COMMAND_TIMEOUT, kAny},
        {"aborted by the host", Map(0, 0x05, 0), SS_ABORTED, kAny, kAny},
    };
    for (const Case& c : cases) {
        const uint8_t seen[] = {c.outcome.srbStatus, c.outcome.hostStatus, c.outcome.targetStatus};
        const uint8_t expected[] = {c.srbStatus, c.hostStatus, c.targetStatus};
        for (int at = 0; at < 3; ++at)
            EXPECT_TRUE(expected[at] == kAny || seen[at] == expected[at]) << c.what << ", status " << at;
    }
    EXPECT_EQ(Map(0x02, 0, 0x08, 0x02, 0x3A).Code().asc, 0x3A);
    // End of medium with no sense key: the flag byte must come through whole.
    EXPECT_EQ(Map(0x02, 0, 0x08, 0x40).sense[2], 0x40);

    // A failed ioctl: the drive is gone, busy, or the request was refused.
    const sg_io_hdr_t header{};
    EXPECT_EQ(OutcomeOfSgIo(-1, ENODEV, header).hostStatus, HASTAT_SEL_TO);
    EXPECT_EQ(OutcomeOfSgIo(-1, EBUSY, header).targetStatus, STATUS_BUSY);
    EXPECT_EQ(OutcomeOfSgIo(-1, EINVAL, header).srbStatus, SS_INVALID_CMD);
}
