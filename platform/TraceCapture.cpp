#include "platform/TraceCapture.h"

#include <algorithm>

namespace quillstar {

TraceCapture::TraceCapture()
{
    previous_ = SetTraceSink([this](const std::string& text) {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
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

void TraceCapture::Clear()
{
    std::lock_guard lock(mutex_);
    texts_.clear();
}

}  // namespace quillstar
