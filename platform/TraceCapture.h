#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Trace.h"

namespace quillstar {

// Collects every trace text while it lives, so a test can read what the code
// traced; the sink it replaced comes back when it goes.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> Texts() const;
    bool Contains(const std::string& text) const;
    int Count(const std::string& text) const;
    // Waits until the text has been traced this many times; false when that
    // has not happened within a minute, so a test reports a hang and ends.
    bool WaitFor(const std::string& text, int count = 1) const;
    void Clear();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable traced_;
    std::vector<std::string> texts_;
    TraceSink previous_;
};

}  // namespace quillstar
