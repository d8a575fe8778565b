#pragma once

#include "platform/aspi/Aspi.h"

namespace quillstar {

// The six entry points of an ASPI layer. Only the first two are ever called;
// the others are looked up and kept.
struct AspiEntryPoints {
    GetASPI32SupportInfoFunction getSupportInfo = nullptr;
    SendASPI32CommandFunction sendCommand = nullptr;
    GetASPI32BufferFunction getBuffer = nullptr;
    FreeASPI32BufferFunction freeBuffer = nullptr;
    TranslateASPI32AddressFunction translateAddress = nullptr;
    GetASPI32DLLVersionFunction getVersion = nullptr;
    // Our layer's own extension: the drives it left out, and why.
    QuillstarASPIGetSkippedDevicesFunction getSkippedDevices = nullptr;
};

}  // namespace quillstar
