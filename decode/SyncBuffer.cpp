#include "decode/SyncBuffer.h"

#include <cstring>

#include "platform/Trace.h"
#include "resources/DecodeConstants.h"

namespace quillstar {

using namespace decode;

void SyncBuffer::Open(int capacity)
{
    Trace(kTraceOpen);
    block_.reset();
    capacity_ = capacity > 0 ? capacity : 0;
    if (capacity_ > 0)
        block_ = std::make_unique<uint8_t[]>(capacity_);
    endOfData_ = 0;
    fill_ = 0;
    released_ = false;
    filled_.Unlock();
    read_.Unlock();
    Trace(kTraceOpenExit);
}

void SyncBuffer::AddData(const uint8_t* data, int length)
{
    Trace(kTraceAddData);
    if (block_ && data != nullptr && length >= 0)
        AddToBlock(data, length);
    Trace(kTraceAddDataExit);
}

void SyncBuffer::AddToBlock(const uint8_t* data, int length)
{
    for (;;) {
        // A released producer keeps off the block: the reader may still be
        // copying the block it was handed last.
        if (released_)
            return;
        if (fill_ == capacity_)
            WaitForBufferToBeRead();
        if (released_)
            return;
        if (fill_ + length <= capacity_)
            break;
        const int part = capacity_ - fill_;
        std::memcpy(block_.get() + fill_, data, part);
        fill_ = capacity_;
        data += part;
        length -= part;
        WaitForBufferToBeRead();
        if (released_)
            return;
        // The read signal was still locked from an earlier hand-off, so the
        // block went nowhere. This runs on the producer thread, where no
        // window may be shown: the trace gets the text and the data is kept.
        if (fill_ != 0)
            Trace(kTraceErrorHere);
    }
    std::memcpy(block_.get() + fill_, data, length);
    fill_ += length;
    if (endOfData_)
        filled_.Lock();
}

SyncBuffer::Delivery SyncBuffer::ReadData(uint8_t* destination, int& length, uint32_t milliseconds)
{
    Trace(kTraceReadData);
    length = 0;
    if (!WaitForBufferToBeFilled(milliseconds))
        return Delivery::TimedOut;
    if (fill_ == 0)
        return Delivery::EndOfData;
    std::memcpy(destination, block_.get(), fill_);
    length = fill_;
    fill_ = 0;
    read_.Lock();
    Trace(kTraceReadDataExit);
    return Delivery::Block;
}

bool SyncBuffer::WaitForBufferToBeFilled(uint32_t milliseconds)
{
    Trace(kTraceWaitFilled, static_cast<unsigned long>(filled_.IsLocked()));
    if (endOfData_) {
        Trace(kTraceWaitFilledNoMoreData);
        return true;
    }
    if (!filled_.WaitLocked(milliseconds))
        return false;
    filled_.Unlock();
    Trace(kTraceWaitFilledExit);
    return true;
}

void SyncBuffer::WaitForBufferToBeRead()
{
    Trace(kTraceWaitRead);
    if (!released_) {
        filled_.Lock();
        read_.WaitLocked();
        // After a release the read signal stays locked, so no later wait
        // can block.
        if (!released_)
            read_.Unlock();
    }
    Trace(kTraceWaitReadExit);
}

void SyncBuffer::SetEndOfData()
{
    Trace(kTraceNoMoreData);
    endOfData_ = 1;
    filled_.Lock();
}

void SyncBuffer::Release()
{
    released_ = true;
    read_.Lock();
}

}  // namespace quillstar
