#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "decode/SyncLock.h"

namespace quillstar {

// The feed buffer between one producer thread (a decoder) and one consumer
// thread (the burn thread): a block of fixed capacity handed back and forth.
// The producer fills it; once full it hands it over and waits until the
// consumer has copied it out. The consumer thus receives whole blocks while
// data flows, then one partial block after SetEndOfData, then nothing.
//
// The counters carry no lock of their own: the hand-off guarantees that only
// one side touches the block at a time.
class SyncBuffer {
public:
    SyncBuffer() = default;
    SyncBuffer(const SyncBuffer&) = delete;
    SyncBuffer& operator=(const SyncBuffer&) = delete;

    // Starts a track: an empty block of the given size, end of data clear,
    // no longer released.
    void Open(int capacity);
    // Producer: appends the data, handing over every block that fills up.
    void AddData(const uint8_t* data, int length);
    enum class Delivery { Block, EndOfData, TimedOut };
    // Consumer: waits up to the given time for a block and copies it out; the
    // destination must hold a whole block, whatever length asks for. A block
    // (the last one may be partial), the end of data once it is marked and
    // the block is empty, or the time ran out first; length is 0 unless a
    // block came.
    Delivery ReadData(uint8_t* destination, int& length, uint32_t milliseconds = kInfinite);
    // True once a block was handed over or end of data is marked.
    bool WaitForBufferToBeFilled(uint32_t milliseconds = kInfinite);
    void WaitForBufferToBeRead();
    // Releases a consumer waiting for a block, which then takes the partial
    // block; data added later goes straight to the consumer.
    void SetEndOfData();
    // Frees the producer for good, so a track can be stopped and its thread
    // joined: a producer waiting for the consumer returns at once, and until
    // the next Open, AddData drops its data without waiting.
    void Release();

private:
    void AddToBlock(const uint8_t* data, int length);

    std::atomic<int32_t> endOfData_{0};
    std::unique_ptr<uint8_t[]> block_;
    int32_t capacity_ = 0;
    int32_t fill_ = 0;
    SyncLock filled_;
    SyncLock read_;
    std::atomic<bool> released_{false};
};

}  // namespace quillstar
