#include "platform/TraceCapture.h"

#include <algorithm>
#include <chrono>

namespace quillstar {

TraceCapture::TraceCapture()
{
    previous_ = SetTraceSink([this](const std::string& text) {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
        traced_.notify_all();
    });
}

TraceCapture::~TraceCapture()
{
    SetTraceSink(std::move(previous_));
}

std::vector<std::string> TraceCapture::Texts() const
{
    std::lock_guard lock(mutex_);
    return texts_;
}

bool TraceCapture::Contains(const std::string& text) const
{
    return Count(text) > 0;
}

int TraceCapture::Count(const std::string& text) const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(texts_.begin(), texts_.end(), text));
}

bool TraceCapture::WaitFor(const std::string& text, int count) const
{
    std::unique_lock lock(mutex_);
    return traced_.wait_for(lock, std::chrono::minutes(1),
                            [&] { return std::count(texts_.begin(), texts_.end(), text) >= count; });
}

void TraceCapture::Clear()
{
    std::lock_guard lock(mutex_);
    texts_.clear();
}

}  // namespace quillstar
