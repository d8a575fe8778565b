#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "decode/SyncBuffer.h"
#include "platform/TraceCapture.h"
#include "resources/CdAudio.h"
#include "resources/DecodeConstants.h"

using namespace quillstar;
using namespace std::chrono_literals;

namespace {

constexpr int kBlock = cd::kBlockSize;

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 8));
    return bytes;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t from, size_t size)
{
    return {bytes.begin() + from, bytes.begin() + from + size};
}

// Reads one block; the result holds exactly the bytes delivered.
std::vector<uint8_t> ReadBlock(SyncBuffer& buffer, bool* more = nullptr)
{
    std::vector<uint8_t> block(kBlock);
    int length = -1;
    const bool delivered = buffer.ReadData(block.data(), length) == SyncBuffer::Delivery::Block;
    if (more != nullptr)
        *more = delivered;
    block.resize(length);
    return block;
}

void SlowChange()
{
    thread_local std::mt19937 random(std::hash<std::thread::id>()(std::this_thread::get_id()));
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 200)(random)));
}

bool WaitForTrace(const TraceCapture& capture, const std::string& text, int count)
{
    for (int i = 0; i < 500 && capture.Count(text) < count; ++i)
        std::this_thread::sleep_for(10ms);
    return capture.Count(text) >= count;
}

}  // namespace

TEST(SyncBuffer, HandsOverAFullBlockAndKeepsTheRestUntilEndOfData)
{
    SyncBuffer buffer;
    buffer.Open(kBlock);
    const auto track = Pattern(40000);
    std::atomic<bool> producerDone{false};
    std::thread producer([&] {
        buffer.AddData(track.data(), 10000);
        buffer.AddData(track.data() + 10000, 20000);
        buffer.AddData(track.data() + 30000, 10000);
        producerDone = true;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(producerDone) << "the producer must wait until its full block is read";
    EXPECT_EQ(ReadBlock(buffer), Slice(track, 0, kBlock));
    producer.join();

    buffer.SetEndOfData();
    EXPECT_EQ(ReadBlock(buffer), Slice(track, kBlock, 2368));
    bool more = true;
    EXPECT_TRUE(ReadBlock(buffer, &more).empty());
    EXPECT_FALSE(more);
}

TEST(SyncBuffer, OneLargeAddHandsOverSeveralBlocks)
{
    SyncBuffer buffer;
    buffer.Open(kBlock);
    const auto track = Pattern(100000);
    std::thread producer([&] { buffer.AddData(track.data(), 100000); });
    EXPECT_EQ(ReadBlock(buffer), Slice(track, 0, kBlock));
    EXPECT_EQ(ReadBlock(buffer), Slice(track, kBlock, kBlock));
    producer.join();
    buffer.SetEndOfData();
    EXPECT_EQ(ReadBlock(buffer), Slice(track, 2 * kBlock, 24736));
}

TEST(SyncBuffer, ReadAfterEndOfDataOnAnEmptyBlockReturnsAtOnce)
{
    TraceCapture trace;
    SyncBuffer buffer;
    buffer.Open(kBlock);
    buffer.SetEndOfData();
    bool more = true;
    EXPECT_TRUE(ReadBlock(buffer, &more).empty());
    EXPECT_FALSE(more);
    EXPECT_TRUE(trace.Contains("WaitForBufferToBeFilled(). SyncBufferIsLocked=1\n"));
    EXPECT_TRUE(trace.Contains("WaitForBufferToBeFilled: No more data\n"));
    EXPECT_TRUE(trace.Contains("No more data\n"));
}

// Run a second time with every change of the hand-off's lock state slowed
// down, and the reader slowed down as the writer is by its drive, so that a
// reader catching a change half made would take a block the producer is
// still filling.
TEST(SyncBuffer, ProducerAndConsumerThreadsMoveAWholeTrackInOrder)
{
    for (const SyncLock::ChangeHook hook : {SyncLock::ChangeHook{}, SlowChange}) {
        SyncLock::SetChangeHook(hook);
        const auto track = Pattern(hook ? 300'000 : 3'000'000);
        const int capacity = hook ? 500 : kBlock;
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
        std::vector<size_t> blockSizes;
        for (bool more = true; more;) {
            if (hook)
                hook();
            const auto block = ReadBlock(buffer, &more);
            if (more)
                blockSizes.push_back(block.size());
            received.insert(received.end(), block.begin(), block.end());
        }
        // Frees a producer a read that ended too early left waiting.
        buffer.Release();
        producer.join();
        SyncLock::SetChangeHook(nullptr);
        EXPECT_TRUE(received == track) << (hook ? "slowed" : "at full speed");
        EXPECT_EQ(std::count(blockSizes.begin(), blockSizes.end(), static_cast<size_t>(capacity)),
                  static_cast<std::ptrdiff_t>(track.size() / capacity));
    }
}

TEST(SyncBuffer, ReleaseFreesAWaitingProducerAndLaterAdds)
{
    SyncBuffer buffer;
    buffer.Open(kBlock);
    const auto data = Pattern(3 * kBlock);
    std::thread producer([&] { buffer.AddData(data.data(), static_cast<int>(data.size())); });
    std::this_thread::sleep_for(20ms);
    buffer.SetEndOfData();
    buffer.Release();
    producer.join();

    std::thread lateProducer([&] {
        buffer.AddData(data.data(), static_cast<int>(data.size()));
        buffer.AddData(data.data(), static_cast<int>(data.size()));
    });
    lateProducer.join();

    // The next track starts with a buffer that blocks the producer again.
    buffer.Open(kBlock);
    std::thread nextProducer([&] { buffer.AddData(data.data(), kBlock + 1); });
    EXPECT_EQ(ReadBlock(buffer), Slice(data, 0, kBlock));
    nextProducer.join();
}

TEST(SyncBuffer, AFailedHandOffIsTracedAndTheDataKept)
{
    TraceCapture trace;
    SyncBuffer buffer;
    buffer.Open(100);
    const auto data = Pattern(250);
    buffer.AddData(data.data(), 100);
    buffer.SetEndOfData();
    EXPECT_EQ(ReadBlock(buffer), Slice(data, 0, 100));

    // The read signal is still locked from that read, so the next hand-off
    // completes before anyone has read the block.
    std::thread producer([&] { buffer.AddData(data.data() + 100, 150); });
    // The producer goes on to wait a second time, now for a real read.
    ASSERT_TRUE(WaitForTrace(trace, "WaitForBufferToBeRead()\n", 2));
    EXPECT_EQ(trace.Count("Error here.\n"), 1);
    EXPECT_EQ(ReadBlock(buffer), Slice(data, 100, 100));
    producer.join();
    EXPECT_EQ(ReadBlock(buffer), Slice(data, 200, 50));
}
