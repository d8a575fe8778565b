#pragma once

#include <cstdint>

namespace quillstar {

struct WindowMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// Whatever receives posted messages: the main window, the command-line
// program's queue, a test. Deliver runs on the posting thread and must only
// queue the message for the receiver's own thread.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void Deliver(const WindowMessage& message) = 0;
};

}  // namespace quillstar
