#include "app/SkippedDrive.h"

#include "platform/DynamicLibrary.h"
#include "platform/ProgramPath.h"
#include "platform/aspi/Aspi.h"
#include "resources/RecorderTexts.h"

namespace quillstar {

std::vector<SkippedDrive> SkippedDrivesOfAspiLayer()
{
    DynamicLibrary layer;
    if (!layer.Open(ProgramDirectory() + "/" + recorder::kAspiLibraryName))
        return {};
    const auto getSkipped = layer.Resolve<QuillstarASPIGetSkippedDevicesFunction>("QuillstarASPIGetSkippedDevices");
    if (!getSkipped)
        return {};
    std::vector<QUILLSTAR_SKIPPED_DEVICE> found(getSkipped(nullptr, 0));
    found.resize(getSkipped(found.data(), static_cast<uint32_t>(found.size())));
    std::vector<SkippedDrive> skipped;
    for (const QUILLSTAR_SKIPPED_DEVICE& device : found)
        skipped.push_back({device.Device, device.Error, device.Reason});
    return skipped;
}

}  // namespace quillstar
