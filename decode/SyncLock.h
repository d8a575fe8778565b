#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/Event.h"

namespace quillstar {

// A lock state that can be waited for in either direction. The feed buffer
// uses two of them to wake its producer and its consumer. A change of state
// is one step under the mutex, so a thread that sees the new state never
// meets a half-made change.
class SyncLock {
public:
    SyncLock() = default;
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;

    void Lock();
    void Unlock();
    // True once the lock is locked, false when the time ran out.
    bool WaitLocked(uint32_t milliseconds = kInfinite);
    bool IsLocked() const;

    // Called inside every change of state, while the change is being made.
    // The stress tests widen that moment with a delay; nullptr, the default,
    // calls nothing.
    using ChangeHook = void (*)();
    static void SetChangeHook(ChangeHook hook);

private:
    void Change(bool locked);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool locked_ = false;
};

}  // namespace quillstar
