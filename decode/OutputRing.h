#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "platform/Event.h"
#include "resources/Plugins.h"

namespace quillstar {

// The queue between a plug-in's decoding thread (Write) and the decode thread
// (Read): 32 slots of up to 8200 bytes. CanWrite promises a slot only while
// two are free, so one slot always stays empty. The space and data events
// wake the two sides; the stop event releases both for good, until Reset.
class OutputRing {
public:
    OutputRing();
    OutputRing(const OutputRing&) = delete;
    OutputRing& operator=(const OutputRing&) = delete;

    // Empties every slot. The stop event is left as it is.
    void Reset();
    void Stop();
    void ClearStop();
    bool IsStopped() const;

    // Queues the data, waiting for room as long as it takes; data longer than
    // a slot is spread over several. 0 when all was queued, 1 when a stop
    // came first. Nothing is queued for an empty write.
    int Write(const uint8_t* data, int length);
    int CanWrite() const;
    // True while any slot holds data.
    bool IsPlaying() const;

    enum class ReadEnd { Data, Stopped, TimedOut };
    struct ReadResult {
        int bytes = 0;
        ReadEnd end = ReadEnd::Data;
    };
    // Takes up to `length` bytes of the oldest slot, waiting up to
    // `milliseconds` for one to be filled. Queued data is handed out even
    // after a stop; only an empty stopped ring answers Stopped.
    ReadResult Read(uint8_t* buffer, int length, uint32_t milliseconds);

    Event& StopEvent() { return stop_; }

private:
    struct Slot {
        int length = 0;
        int offset = 0;  // bytes of this slot already read
        std::array<uint8_t, plugin::kSlotBytes> bytes;
    };

    bool TryWriteSlot(const uint8_t* data, int length);
    int TakeFromSlot(uint8_t* buffer, int length);

    mutable std::mutex mutex_;
    std::array<Slot, plugin::kRingSlots> slots_;
    int writeIndex_ = 0;
    int readIndex_ = 0;
    int freeSlots_ = plugin::kRingSlots;
    Event space_{true};
    Event data_{true};
    Event stop_{true};
};

}  // namespace quillstar
