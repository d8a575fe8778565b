// The hand-off between the decode thread and the writer, with its lock
// changes slowed down where a reader could catch one half made.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "decode/SyncBuffer.h"
#include "resources/CdAudio.h"

using namespace quillstar;

namespace {

void SlowChange()
{
    thread_local std::mt19937 random(std::hash<std::thread::id>()(std::this_thread::get_id()));
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 200)(random)));
}

}  // namespace

// Run a second time with every change of the hand-off's lock state slowed
// down, and the reader slowed down as the writer is by its drive, so that a
// reader catching a change half made would take a block the producer is
// still filling.
TEST(SyncBuffer, ProducerAndConsumerThreadsMoveAWholeTrackInOrder)
{
    for (const SyncLock::ChangeHook hook : {SyncLock::ChangeHook{}, SlowChange}) {
        SyncLock::SetChangeHook(hook);
        std::vector<uint8_t> track(hook ? 300'000 : 3'000'000);
        for (size_t i = 0; i < track.size(); ++i)
            track[i] = static_cast<uint8_t>(i * 131 + (i >> 8));
        const int capacity = hook ? 500 : cd::kBlockSize;
        SyncBuffer buffer;
        buffer.Open(capacity);
        std::thread producer([&] {
            std::mt19937 random(7);
            std::uniform_int_distribution<size_t> pieceSize(1, 20000);
            for (size_t at = 0; at < track.size();) {
                const size_t piece = std::min(pieceSize(random), track.size() - at);
                buffer.AddData(track.data() + at, static_cast<int>(piece));
                at += piece;
            }
            buffer.SetEndOfData();
        });
        std::vector<uint8_t> received;
        std::vector<uint8_t> block(cd::kBlockSize);
        size_t fullBlocks = 0;
        for (bool more = true; more;) {
            if (hook)
                hook();
            int length = -1;
            more = buffer.ReadData(block.data(), length) == SyncBuffer::Delivery::Block;
            fullBlocks += more && length == capacity;
            received.insert(received.end(), block.begin(), block.begin() + length);
        }
        // Frees a producer a read that ended too early left waiting.
        buffer.Release();
        producer.join();
        SyncLock::SetChangeHook(nullptr);
        EXPECT_TRUE(received == track) << (hook ? "slowed" : "at full speed");
        EXPECT_EQ(fullBlocks, track.size() / capacity);
    }
}
