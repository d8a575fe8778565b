#include "recorder/AspiLibrary.h"

#include <utility>

#include "platform/ProgramPath.h"
#include "resources/RecorderTexts.h"

namespace quillstar {

AspiLibrary::AspiLibrary(std::string path, const AspiEntryPoints& entryPoints, bool injected)
    : path_(std::move(path)), entryPoints_(entryPoints), injected_(injected)
{
}

AspiLibrary AspiLibrary::BesideProgram()
{
    return AtPath(ProgramDirectory() + "/" + recorder::kAspiLibraryName);
}

AspiLibrary AspiLibrary::AtPath(std::string path)
{
    return AspiLibrary(std::move(path), {}, false);
}

AspiLibrary AspiLibrary::WithEntryPoints(const AspiEntryPoints& entryPoints)
{
    return AspiLibrary({}, entryPoints, true);
}

int AspiLibrary::Load()
{
    if (loaded_)
        return 0;
    if (!injected_) {
        if (!library_.Open(path_))
            return recorder::kErrorNotLoaded;
        entryPoints_.getSupportInfo = library_.Resolve<GetASPI32SupportInfoFunction>("GetASPI32SupportInfo");
        entryPoints_.sendCommand = library_.Resolve<SendASPI32CommandFunction>("SendASPI32Command");
        entryPoints_.getBuffer = library_.Resolve<GetASPI32BufferFunction>("GetASPI32Buffer");
        entryPoints_.freeBuffer = library_.Resolve<FreeASPI32BufferFunction>("FreeASPI32Buffer");
        entryPoints_.translateAddress = library_.Resolve<TranslateASPI32AddressFunction>("TranslateASPI32Address");
        entryPoints_.getVersion = library_.Resolve<GetASPI32DLLVersionFunction>("GetASPI32DLLVersion");
        entryPoints_.getSkippedDevices =
            library_.Resolve<QuillstarASPIGetSkippedDevicesFunction>("QuillstarASPIGetSkippedDevices");
        entryPoints_.holdDevice = library_.Resolve<QuillstarASPIHoldDeviceFunction>("QuillstarASPIHoldDevice");
    }
    return CheckEntryPoints();
}

int AspiLibrary::CheckEntryPoints()
{
    if (entryPoints_.getSupportInfo == nullptr)
        return recorder::kErrorNoSupportInfo;
    if (entryPoints_.sendCommand == nullptr)
        return recorder::kErrorNoSendCommand;
    loaded_ = true;
    return 0;
}

uint32_t AspiLibrary::GetSupportInfo() const
{
    return entryPoints_.getSupportInfo();
}

uint32_t AspiLibrary::SendCommand(void* requestBlock) const
{
    return entryPoints_.sendCommand(requestBlock);
}

std::vector<SkippedDrive> AspiLibrary::GetSkippedDrives() const
{
    const auto getSkipped = entryPoints_.getSkippedDevices;
    if (!loaded_ || getSkipped == nullptr)
        return {};
    std::vector<QUILLSTAR_SKIPPED_DEVICE> found(getSkipped(nullptr, 0));
    found.resize(getSkipped(found.data(), static_cast<uint32_t>(found.size())));
    std::vector<SkippedDrive> skipped;
    for (const QUILLSTAR_SKIPPED_DEVICE& device : found)
        skipped.push_back({device.Device, device.Error, device.Reason});
    return skipped;
}

int AspiLibrary::HoldDevice(uint8_t adapter, uint8_t target, uint8_t lun, bool hold) const
{
    return entryPoints_.holdDevice != nullptr ? entryPoints_.holdDevice(adapter, target, lun, hold ? 1 : 0) : 0;
}

}  // namespace quillstar
