#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace quillstar {

// Wait time meaning "no time-out".
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

class EventWaiter;

// A manual-reset event: once set it stays set, releasing every waiter, until
// it is reset.
class Event {
public:
    explicit Event(bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Returns true when the event was set, false when the time ran out.
    bool Wait(uint32_t milliseconds = kInfinite) const;

private:
    friend class EventWaiter;
    void AddWaiter(EventWaiter* waiter);
    void RemoveWaiter(EventWaiter* waiter);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_;
    std::vector<EventWaiter*> waiters_;
};

// Result of WaitForFirstEvent when the time ran out.
inline constexpr int kWaitTimeout = -1;

// Waits until at least one of the events is set and returns the lowest index
// among the set ones, or kWaitTimeout.
int WaitForFirstEvent(const std::vector<Event*>& events, uint32_t milliseconds = kInfinite);

}  // namespace quillstar
