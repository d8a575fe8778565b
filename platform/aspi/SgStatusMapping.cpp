#include "platform/aspi/SgStatusMapping.h"

#include <cerrno>

namespace quillstar {

namespace {

// The kernel's host byte (DID_*), from its SCSI midlayer.
enum HostByte : unsigned {
    kDidOk = 0x00,
    kDidNoConnect = 0x01,
    kDidBusBusy = 0x02,
    kDidTimeOut = 0x03,
    kDidBadTarget = 0x04,
    kDidAbort = 0x05,
    kDidParity = 0x06,
    kDidReset = 0x08,
    kDidTransportFailfast = 0x0F,
    kDidNexusFailure = 0x11,
};

// The low nibble of the driver byte (DRIVER_*).
enum DriverByte : unsigned {
    kDriverOk = 0x0,
    kDriverTimeout = 0x6,
    kDriverSense = 0x8,
};

// SCSI status byte values beyond those of the request block.
enum StatusByte : unsigned {
    kStatusConditionMet = 0x04,
    kStatusIntermediate = 0x10,
    kStatusIntermediateConditionMet = 0x14,
    kStatusCommandTerminated = 0x22,
    kStatusTaskSetFull = 0x28,
    kStatusAcaActive = 0x30,
    kStatusTaskAborted = 0x40,
};

ScsiOutcome OutcomeOfFailedIoctl(int error)
{
    switch (error) {
    case ENODEV:
    case ENXIO:
        return ScsiOutcome::AdapterFailure(HASTAT_SEL_TO);  // the drive has gone
    case EBUSY:
        return ScsiOutcome::TargetFailure(STATUS_BUSY);
    case EINTR:
        return ScsiOutcome::Aborted();
    default:
        return ScsiOutcome::InvalidRequest();  // the kernel refused the request itself
    }
}

ScsiOutcome OutcomeOfHostByte(unsigned host)
{
    switch (host) {
    case kDidNoConnect:
    case kDidBadTarget:
    case kDidTransportFailfast:
        return ScsiOutcome::AdapterFailure(HASTAT_SEL_TO);
    case kDidBusBusy:
        return ScsiOutcome::AdapterFailure(HASTAT_BUS_FREE);
    case kDidTimeOut:
        return ScsiOutcome::AdapterFailure(HASTAT_COMMAND_TIMEOUT);
    case kDidAbort:
        return ScsiOutcome::Aborted();
    case kDidParity:
        return ScsiOutcome::AdapterFailure(HASTAT_PARITY_ERROR);
    case kDidReset:
        return ScsiOutcome::AdapterFailure(HASTAT_BUS_RESET);
    case kDidNexusFailure:
        return ScsiOutcome::TargetFailure(STATUS_RESCONF);
    default:
        return ScsiOutcome::AdapterFailure(HASTAT_PHASE_ERR);
    }
}

bool IsGoodStatus(unsigned status)
{
    return status == STATUS_GOOD || status == kStatusConditionMet || status == kStatusIntermediate ||
           status == kStatusIntermediateConditionMet;
}

}  // namespace

ScsiOutcome OutcomeOfSgIo(int ioctlResult, int error, const sg_io_hdr_t& header)
{
    if (ioctlResult < 0)
        return OutcomeOfFailedIoctl(error);
    if (header.host_status != kDidOk)
        return OutcomeOfHostByte(header.host_status);

    const unsigned driver = header.driver_status & 0x0F;
    const unsigned status = header.status & 0xFE;
    const bool hasSense = header.sbp != nullptr && header.sb_len_wr > 0;
    if (driver == kDriverTimeout)
        return ScsiOutcome::AdapterFailure(HASTAT_COMMAND_TIMEOUT);
    if (driver != kDriverOk && driver != kDriverSense && IsGoodStatus(status) && !hasSense)
        return ScsiOutcome::AdapterFailure(HASTAT_PHASE_ERR);

    if (IsGoodStatus(status)) {
        // Some transports deliver sense with a good status byte.
        if (driver == kDriverSense && hasSense)
            return ScsiOutcome::CheckCondition(header.sbp, header.sb_len_wr);
        return ScsiOutcome::Good();
    }
    switch (status) {
    case STATUS_CHKCOND:
    case kStatusCommandTerminated:
        return hasSense ? ScsiOutcome::CheckCondition(header.sbp, header.sb_len_wr)
                        : ScsiOutcome::TargetFailure(STATUS_CHKCOND);
    case STATUS_BUSY:
    case kStatusTaskSetFull:
    case kStatusAcaActive:
        return ScsiOutcome::TargetFailure(STATUS_BUSY);
    case STATUS_RESCONF:
        return ScsiOutcome::TargetFailure(STATUS_RESCONF);
    case kStatusTaskAborted:
        return ScsiOutcome::Aborted();
    default:
        return ScsiOutcome::TargetFailure(static_cast<uint8_t>(status));
    }
}

}  // namespace quillstar
