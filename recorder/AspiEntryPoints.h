#pragma once

#include "platform/aspi/Aspi.h"

namespace quillstar {

// The six entry points of an ASPI layer and our hold extension. Only the
// first two and the hold are ever called; the others are looked up and kept.
// A layer without the hold has nothing to hold.
struct AspiEntryPoints {
    GetASPI32SupportInfoFunction getSupportInfo = nullptr;
    SendASPI32CommandFunction sendCommand = nullptr;
    GetASPI32BufferFunction getBuffer = nullptr;
    FreeASPI32BufferFunction freeBuffer = nullptr;
    TranslateASPI32AddressFunction translateAddress = nullptr;
    GetASPI32DLLVersionFunction getVersion = nullptr;
    QuillstarASPIHoldDeviceFunction holdDevice = nullptr;
};

}  // namespace quillstar
