#include "decode/OutputRing.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace quillstar {
namespace {

constexpr auto kGatherPause = std::chrono::microseconds(300);

}  // namespace

OutputRing::OutputRing()
{
    Reset();
}

void OutputRing::Reset()
{
    std::lock_guard lock(mutex_);
    freeSlots_ = plugin::kRingSlots;
    readIndex_ = 0;
    writeIndex_ = 0;
    space_.Set();
    data_.Reset();
}

void OutputRing::Stop()
{
    stop_.Set();
}

void OutputRing::ClearStop()
{
    stop_.Reset();
}

bool OutputRing::IsStopped() const
{
    return stop_.IsSet();
}

int OutputRing::Write(const uint8_t* data, int length)
{
    // A plug-in may ignore CanWrite and hand over more than a slot; the rest
    // goes into the following slots rather than past the end of this one.
    for (int written = 0; written < length;) {
        const int part = std::min(length - written, plugin::kSlotBytes);
        while (!TryWriteSlot(data + written, part)) {
            if (stop_.IsSet())
                return 1;
            WaitForFirstEvent({&space_, &stop_});
        }
        written += part;
    }
    return 0;
}

bool OutputRing::TryWriteSlot(const uint8_t* data, int length)
{
    std::lock_guard lock(mutex_);
    if (stop_.IsSet() || freeSlots_ < plugin::kCanWriteMinFreeSlots)
        return false;
    Slot& slot = slots_[writeIndex_];
    std::memcpy(slot.bytes.data(), data, length);
    slot.length = length;
    slot.offset = 0;
    writeIndex_ = (writeIndex_ + 1) % plugin::kRingSlots;
    if (--freeSlots_ == plugin::kCanWriteMinFreeSlots - 1)
        space_.Reset();
    if (freeSlots_ == plugin::kRingSlots - 1)
        data_.Set();
    return true;
}

int OutputRing::CanWrite() const
{
    std::lock_guard lock(mutex_);
    return freeSlots_ >= plugin::kCanWriteMinFreeSlots ? plugin::kSlotBytes : 0;
}

bool OutputRing::IsPlaying() const
{
    std::lock_guard lock(mutex_);
    return freeSlots_ < plugin::kRingSlots;
}

OutputRing::ReadResult OutputRing::Read(uint8_t* buffer, int length, uint32_t milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        // The stop is looked at before the slots: whatever was queued before
        // the stop is still handed out.
        const bool stopped = stop_.IsSet();
        {
            std::lock_guard lock(mutex_);
            if (freeSlots_ < plugin::kRingSlots)
                return {TakeFromSlot(buffer, length), ReadEnd::Data};
        }
        if (stopped)
            return {0, ReadEnd::Stopped};
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return {0, ReadEnd::TimedOut};
        // Woken by the first slot of what the plug-in is writing, the reader
        // lets the plug-in queue a few more before it takes them: then it is
        // woken once for several slots rather than for each, and a wake-up
        // costs more than copying a slot. A pause this short is nothing
        // against the time a full ring plays.
        if (WaitForFirstEvent({&data_, &stop_}, static_cast<uint32_t>(left.count())) == 0)
            std::this_thread::sleep_for(kGatherPause);
    }
}

int OutputRing::TakeFromSlot(uint8_t* buffer, int length)
{
    Slot& slot = slots_[readIndex_];
    const int bytes = std::clamp(slot.length - slot.offset, 0, std::max(length, 0));
    std::memcpy(buffer, slot.bytes.data() + slot.offset, bytes);
    slot.offset += bytes;
    if (slot.offset == slot.length) {
        readIndex_ = (readIndex_ + 1) % plugin::kRingSlots;
        if (++freeSlots_ == plugin::kRingSlots)
            data_.Reset();
        if (freeSlots_ == plugin::kCanWriteMinFreeSlots)
            space_.Set();
    }
    return bytes;
}

}  // namespace quillstar
