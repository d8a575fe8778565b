#include "decode/SyncLock.h"

namespace quillstar {

void SyncLock::Lock()
{
    locked_ = 1;
    unlockedEvent_.Reset();
    lockedEvent_.Set();
}

void SyncLock::Unlock()
{
    locked_ = 0;
    unlockedEvent_.Set();
    lockedEvent_.Reset();
}

bool SyncLock::WaitLocked(uint32_t milliseconds)
{
    return IsLocked() || lockedEvent_.Wait(milliseconds);
}

bool SyncLock::WaitUnlocked(uint32_t milliseconds)
{
    return !IsLocked() || unlockedEvent_.Wait(milliseconds);
}

bool SyncLock::IsLocked() const
{
    return locked_ != 0;
}

}  // namespace quillstar
