#pragma once

#include <chrono>
#include <cstdint>

namespace quillstar {

// The write buffer of a simulated drive: WRITEs fill it at once, the laser
// empties it at the write speed. A WRITE that does not fit must wait, so a
// burn takes as long as its speed implies.
class DriveBuffer {
public:
    using Clock = std::chrono::steady_clock;

    explicit DriveBuffer(uint64_t capacityBytes);

    void SetDrainRate(uint64_t bytesPerSecond);
    // The bytes fit, or the buffer is empty (so a WRITE larger than the
    // whole buffer still goes through).
    bool HasRoomFor(uint64_t bytes);
    void Fill(uint64_t bytes);
    // Sleeps until everything taken has been written out.
    void WaitUntilEmpty();

private:
    void Drain();

    uint64_t capacity_;
    uint64_t rate_ = 1;
    double level_ = 0.0;
    Clock::time_point updated_ = Clock::now();
};

}  // namespace quillstar
