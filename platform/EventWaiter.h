#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace quillstar {

class Event;

// Waits on several events at once. It registers with each event so that a
// Set on any of them wakes it; it never holds its own lock while it looks at
// an event, so an event's lock is always taken before a waiter's.
class EventWaiter {
public:
    explicit EventWaiter(const std::vector<Event*>& events);
    ~EventWaiter();
    EventWaiter(const EventWaiter&) = delete;
    EventWaiter& operator=(const EventWaiter&) = delete;

    int WaitForFirst(uint32_t milliseconds);
    void Wake();

private:
    int FirstSetIndex() const;

    const std::vector<Event*>& events_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool pending_ = false;
};

}  // namespace quillstar
