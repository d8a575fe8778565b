#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Event.h"

namespace quillstar {

// A lock-and-signal pair: one event is set while the lock is not locked, the
// other while it is, so either state can be waited for. The feed buffer uses
// two of them to wake its producer and its consumer.
class SyncLock {
public:
    SyncLock() = default;
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;

    void Lock();
    void Unlock();
    // Both return true once the state is reached, false when the time ran out.
    bool WaitLocked(uint32_t milliseconds = kInfinite);
    bool WaitUnlocked(uint32_t milliseconds = kInfinite);
    bool IsLocked() const;

private:
    Event unlockedEvent_{true};
    Event lockedEvent_{false};
    std::atomic<int32_t> locked_{0};
};

}  // namespace quillstar
