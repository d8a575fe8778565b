#include "decode/SyncLock.h"

#include <atomic>
#include <chrono>

namespace quillstar {
namespace {

std::atomic<SyncLock::ChangeHook> changeHook{nullptr};

}  // namespace

void SyncLock::SetChangeHook(ChangeHook hook)
{
    changeHook = hook;
}

void SyncLock::Lock()
{
    Change(true);
}

void SyncLock::Unlock()
{
    Change(false);
}

void SyncLock::Change(bool locked)
{
    {
        std::lock_guard lock(mutex_);
        locked_ = locked;
        if (const ChangeHook hook = changeHook.load())
            hook();
    }
    changed_.notify_all();
}

bool SyncLock::WaitLocked(uint32_t milliseconds)
{
    std::unique_lock lock(mutex_);
    const auto isLocked = [this] { return locked_; };
    if (milliseconds == kInfinite) {
        changed_.wait(lock, isLocked);
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), isLocked);
}

bool SyncLock::IsLocked() const
{
    std::lock_guard lock(mutex_);
    return locked_;
}

}  // namespace quillstar
