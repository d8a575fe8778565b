#include "platform/Event.h"

#include <algorithm>
#include <chrono>

#include "platform/EventWaiter.h"

namespace quillstar {

Event::Event(bool initiallySet) : set_(initiallySet) {}

void Event::Set()
{
    std::lock_guard lock(mutex_);
    set_ = true;
    changed_.notify_all();
    for (EventWaiter* waiter : waiters_)
        waiter->Wake();
}

void Event::Reset()
{
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool Event::IsSet() const
{
    std::lock_guard lock(mutex_);
    return set_;
}

bool Event::Wait(uint32_t milliseconds) const
{
    std::unique_lock lock(mutex_);
    if (milliseconds == kInfinite) {
        changed_.wait(lock, [this] { return set_; });
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return set_; });
}

void Event::AddWaiter(EventWaiter* waiter)
{
    std::lock_guard lock(mutex_);
    waiters_.push_back(waiter);
}

void Event::RemoveWaiter(EventWaiter* waiter)
{
    std::lock_guard lock(mutex_);
    waiters_.erase(std::remove(waiters_.begin(), waiters_.end(), waiter), waiters_.end());
}

int WaitForFirstEvent(const std::vector<Event*>& events, uint32_t milliseconds)
{
    EventWaiter waiter(events);
    return waiter.WaitForFirst(milliseconds);
}

}  // namespace quillstar
