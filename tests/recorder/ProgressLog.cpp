#include "tests/recorder/ProgressLog.h"

#include <chrono>

#include "resources/Messages.h"

namespace quillstar::test {

ProgressLog::ProgressLog() : handle_(RegisterWindow(this)) {}

ProgressLog::~ProgressLog()
{
    UnregisterWindow(handle_);
}

void ProgressLog::Deliver(const WindowMessage& message)
{
    Entry entry{message.message, {}, 0};
    writer_->GetProgress(entry.text, entry.percent);
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
    if (message.message == msg::WM_BURN_FINISHED)
        ++finished_;
    changed_.notify_all();
}

bool ProgressLog::WaitFinished(int count)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return finished_ >= count; });
}

std::vector<ProgressLog::Entry> ProgressLog::Entries() const
{
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<uint32_t> ProgressLog::Messages() const
{
    std::vector<uint32_t> messages;
    for (const Entry& entry : Entries())
        messages.push_back(entry.message);
    return messages;
}

std::vector<std::string> ProgressLog::Texts() const
{
    std::vector<std::string> texts;
    for (const Entry& entry : Entries()) {
        if (entry.message == msg::WM_BURN_PROGRESS && (texts.empty() || texts.back() != entry.text))
            texts.push_back(entry.text);
    }
    return texts;
}

}  // namespace quillstar::test
