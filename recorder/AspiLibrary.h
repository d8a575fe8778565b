#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "recorder/AspiEntryPoints.h"
#include "recorder/SkippedDrive.h"

namespace quillstar {

// The binding to an ASPI layer: the shared object beside the program, one at
// another path, or entry points handed in directly (the tests' simulated
// drives). Each binding holds its own handle; the loader shares one copy of
// the library between them.
class AspiLibrary {
public:
    // libwnaspi32.so in the program's own folder.
    static AspiLibrary BesideProgram();
    static AspiLibrary AtPath(std::string path);
    static AspiLibrary WithEntryPoints(const AspiEntryPoints& entryPoints);

    // 0 once loaded (at once when it already is); -1 when the library cannot
    // be loaded, -2 when it lacks GetASPI32SupportInfo, -3 when it lacks only
    // SendASPI32Command.
    int Load();
    bool IsLoaded() const { return loaded_; }

    uint32_t GetSupportInfo() const;
    uint32_t SendCommand(void* requestBlock) const;
    // What the layer left out once it started; nothing from a layer without
    // the extension.
    std::vector<SkippedDrive> GetSkippedDrives() const;
    // 0 or an errno value, as QuillstarASPIHoldDevice; 0 from a layer
    // without it.
    int HoldDevice(uint8_t adapter, uint8_t target, uint8_t lun, bool hold) const;

private:
    AspiLibrary(std::string path, const AspiEntryPoints& entryPoints, bool injected);
    int CheckEntryPoints();

    std::string path_;
    AspiEntryPoints entryPoints_;
    bool injected_ = false;
    DynamicLibrary library_;
    bool loaded_ = false;
};

}  // namespace quillstar
