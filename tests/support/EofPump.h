#pragma once

#include <thread>

#include "platform/MessageQueue.h"

namespace quillstar::test {

// Stands in for the main window: receives the plug-ins' WM_PLUGIN_EOF on a
// thread of its own and answers each with StopAllPlugins.
class EofPump {
public:
    EofPump();
    ~EofPump();
    EofPump(const EofPump&) = delete;
    EofPump& operator=(const EofPump&) = delete;

    WindowHandle Handle() const { return queue_.Handle(); }

private:
    void Run();

    MessageQueue queue_;
    std::thread thread_;
};

}  // namespace quillstar::test
