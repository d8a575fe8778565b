#include "platform/EventWaiter.h"

#include <chrono>

#include "platform/Event.h"

namespace quillstar {

EventWaiter::EventWaiter(const std::vector<Event*>& events) : events_(events)
{
    for (Event* event : events_)
        event->AddWaiter(this);
}

EventWaiter::~EventWaiter()
{
    for (Event* event : events_)
        event->RemoveWaiter(this);
}

void EventWaiter::Wake()
{
    std::lock_guard lock(mutex_);
    pending_ = true;
    woken_.notify_all();
}

int EventWaiter::FirstSetIndex() const
{
    for (size_t i = 0; i < events_.size(); ++i) {
        if (events_[i]->IsSet())
            return static_cast<int>(i);
    }
    return kWaitTimeout;
}

int EventWaiter::WaitForFirst(uint32_t milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        // Registered before this look, so a Set after it leaves pending_ true
        // and the wait below returns at once.
        const int index = FirstSetIndex();
        if (index != kWaitTimeout)
            return index;
        std::unique_lock lock(mutex_);
        if (milliseconds == kInfinite) {
            woken_.wait(lock, [this] { return pending_; });
        } else if (!woken_.wait_until(lock, deadline, [this] { return pending_; })) {
            lock.unlock();
            return FirstSetIndex();
        }
        pending_ = false;
    }
}

}  // namespace quillstar
