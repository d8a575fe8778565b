#include "platform/PostMessage.h"

#include <map>
#include <mutex>

namespace quillstar {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<uintptr_t, MessageTarget*> targets;
    uintptr_t lastHandle = 0;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

}  // namespace

WindowHandle RegisterWindow(MessageTarget* target)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const uintptr_t handle = ++registry.lastHandle;
    registry.targets[handle] = target;
    return reinterpret_cast<WindowHandle>(handle);
}

void UnregisterWindow(WindowHandle handle)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.targets.erase(reinterpret_cast<uintptr_t>(handle));
}

bool PostMessage(WindowHandle handle, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.targets.find(reinterpret_cast<uintptr_t>(handle));
    if (found == registry.targets.end())
        return false;
    found->second->Deliver(WindowMessage{message, wParam, lParam});
    return true;
}

}  // namespace quillstar
