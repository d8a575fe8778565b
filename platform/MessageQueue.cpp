#include "platform/MessageQueue.h"

#include <chrono>

namespace quillstar {

MessageQueue::MessageQueue() : handle_(RegisterWindow(this)) {}

MessageQueue::~MessageQueue()
{
    UnregisterWindow(handle_);
}

void MessageQueue::Deliver(const WindowMessage& message)
{
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
    arrived_.notify_all();
}

std::optional<WindowMessage> MessageQueue::Take(uint32_t milliseconds)
{
    std::unique_lock lock(mutex_);
    const auto hasMessage = [this] { return !messages_.empty(); };
    if (milliseconds == kInfinite)
        arrived_.wait(lock, hasMessage);
    else if (!arrived_.wait_for(lock, std::chrono::milliseconds(milliseconds), hasMessage))
        return std::nullopt;
    WindowMessage message = messages_.front();
    messages_.pop_front();
    return message;
}

}  // namespace quillstar
