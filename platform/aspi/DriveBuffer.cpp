#include "platform/aspi/DriveBuffer.h"

#include <algorithm>
#include <thread>

namespace quillstar {

DriveBuffer::DriveBuffer(uint64_t capacityBytes) : capacity_(capacityBytes) {}

void DriveBuffer::Drain()
{
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - updated_).count();
    level_ = std::max(0.0, level_ - seconds * static_cast<double>(rate_));
    updated_ = now;
}

void DriveBuffer::SetDrainRate(uint64_t bytesPerSecond)
{
    Drain();
    rate_ = std::max<uint64_t>(bytesPerSecond, 1);
}

bool DriveBuffer::HasRoomFor(uint64_t bytes)
{
    Drain();
    return level_ <= 0.0 || level_ + static_cast<double>(bytes) <= static_cast<double>(capacity_);
}

void DriveBuffer::Fill(uint64_t bytes)
{
    Drain();
    level_ += static_cast<double>(bytes);
}

void DriveBuffer::WaitUntilEmpty()
{
    Drain();
    std::this_thread::sleep_for(std::chrono::duration<double>(level_ / static_cast<double>(rate_)));
    Drain();
    level_ = 0.0;
}

}  // namespace quillstar
