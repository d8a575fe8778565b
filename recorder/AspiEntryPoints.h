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
    // Our layer's own extensions: the drives it left out, and why; holding
    // a drive for one program (a layer without it has nothing to hold).
    QuillstarASPIGetSkippedDevicesFunction getSkippedDevices = nullptr;
    QuillstarASPIHoldDeviceFunction holdDevice = nullptr;
};

}  // namespace quillstar
