// The entry points of libwnaspi32.so, with C linkage and the Windows names.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/aspi/Aspi.h"
#include "platform/aspi/AspiEnvironment.h"

#define QUILLSTAR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint32_t kLayerVersion = 1;
constexpr size_t kBufferAlignment = 4096;

void CopyText(char* field, size_t size, const std::string& text)
{
    const size_t length = std::min(size - 1, text.size());
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

QUILLSTAR_EXPORT uint32_t GetASPI32SupportInfo(void)
{
    return quillstar::AspiEnvironment::Instance().Layer().SupportInfo();
}

QUILLSTAR_EXPORT uint32_t SendASPI32Command(void* srb)
{
    return quillstar::AspiEnvironment::Instance().Layer().SendCommand(srb);
}

QUILLSTAR_EXPORT int GetASPI32Buffer(ASPI32BUFF* buffer)
{
    if (buffer == nullptr || buffer->AB_BufLen == 0)
        return 0;
    const size_t length = (buffer->AB_BufLen + kBufferAlignment - 1) / kBufferAlignment * kBufferAlignment;
    void* memory = std::aligned_alloc(kBufferAlignment, length);
    if (memory == nullptr)
        return 0;
    if (buffer->AB_ZeroFill)
        std::memset(memory, 0, length);
    buffer->AB_BufPointer = static_cast<uint8_t*>(memory);
    return 1;
}

QUILLSTAR_EXPORT int FreeASPI32Buffer(ASPI32BUFF* buffer)
{
    if (buffer == nullptr || buffer->AB_BufPointer == nullptr)
        return 0;
    std::free(buffer->AB_BufPointer);
    buffer->AB_BufPointer = nullptr;
    return 1;
}

// Windows device nodes have no counterpart here.
QUILLSTAR_EXPORT int TranslateASPI32Address(uint32_t*, uint32_t*)
{
    return 0;
}

QUILLSTAR_EXPORT uint32_t GetASPI32DLLVersion(void)
{
    return kLayerVersion;
}

QUILLSTAR_EXPORT int QuillstarASPISetImageRecorder(const char* path)
{
    return quillstar::AspiEnvironment::Instance().SetImageRecorder(path) ? 1 : 0;
}

QUILLSTAR_EXPORT uint32_t QuillstarASPIGetSkippedDevices(QUILLSTAR_SKIPPED_DEVICE* devices, uint32_t capacity)
{
    const auto skipped = quillstar::AspiEnvironment::Instance().SkippedDevices();
    for (uint32_t i = 0; devices != nullptr && i < capacity && i < skipped.size(); ++i) {
        CopyText(devices[i].Device, sizeof(devices[i].Device), skipped[i].device);
        devices[i].Error = skipped[i].error;
        CopyText(devices[i].Reason, sizeof(devices[i].Reason), skipped[i].reason);
    }
    return static_cast<uint32_t>(skipped.size());
}

QUILLSTAR_EXPORT int QuillstarASPIHoldDevice(uint8_t adapter, uint8_t target, uint8_t lun, int hold)
{
    return quillstar::AspiEnvironment::Instance().Layer().HoldDevice(adapter, target, lun, hold != 0);
}
