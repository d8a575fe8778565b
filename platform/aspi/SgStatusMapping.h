#pragma once

#include <scsi/sg.h>

#include "platform/aspi/ScsiOutcome.h"

namespace quillstar {

// Turns what the SG_IO ioctl left (its result, errno, and the kernel's host,
// driver and SCSI status with the sense data) into the request block's
// status, host adapter status, target status and sense.
ScsiOutcome OutcomeOfSgIo(int ioctlResult, int error, const sg_io_hdr_t& header);

}  // namespace quillstar
