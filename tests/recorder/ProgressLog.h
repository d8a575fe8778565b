#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageTarget.h"
#include "platform/PostMessage.h"
#include "recorder/DiscWriter.h"

namespace quillstar::test {

// Plays the main window: records every message the writer posts, with the
// text and percent GetProgress gives at that moment.
class ProgressLog : public MessageTarget {
public:
    struct Entry {
        uint32_t message = 0;
        std::string text;
        int percent = 0;
    };

    ProgressLog();
    ~ProgressLog() override;

    WindowHandle Handle() const { return handle_; }
    void Watch(const CDiscWriter* writer) { writer_ = writer; }
    void Deliver(const WindowMessage& message) override;
    // Waits until the writer has posted its finished message this many times.
    bool WaitFinished(int count = 1);

    std::vector<Entry> Entries() const;
    std::vector<uint32_t> Messages() const;
    // The texts of the progress messages, each repeat of the one before left out.
    std::vector<std::string> Texts() const;

private:
    const CDiscWriter* writer_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    int finished_ = 0;
    WindowHandle handle_;
};

}  // namespace quillstar::test
