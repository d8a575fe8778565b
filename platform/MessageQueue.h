#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "platform/PostMessage.h"

namespace quillstar {

// A message target drained by a thread of its own choosing: the command-line
// program's message loop and the tests use it. It registers itself for its
// whole life.
class MessageQueue : public MessageTarget {
public:
    MessageQueue();
    ~MessageQueue() override;

    WindowHandle Handle() const { return handle_; }
    void Deliver(const WindowMessage& message) override;
    // The oldest message, waiting up to the given time for one to arrive.
    std::optional<WindowMessage> Take(uint32_t milliseconds = kInfinite);

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<WindowMessage> messages_;
    WindowHandle handle_;
};

}  // namespace quillstar
