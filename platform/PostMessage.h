#pragma once

#include <cstdint>

#include "platform/MessageTarget.h"

namespace quillstar {

// An opaque handle naming a registered message target. Handles are never
// reused, so a handle kept after its target went simply posts nowhere.
using WindowHandle = void*;

WindowHandle RegisterWindow(MessageTarget* target);
// After this returns no Deliver on the target is running or will run.
void UnregisterWindow(WindowHandle handle);

// Queues the message for the target; false when the handle names no target.
bool PostMessage(WindowHandle handle, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

}  // namespace quillstar
