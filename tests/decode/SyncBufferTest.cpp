#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "decode/SyncBuffer.h"
#include "platform/TraceCapture.h"
#include "resources/CdAudio.h"
#include "resources/DecodeConstants.h"

using namespace quillstar;
using namespace quillstar::decode;

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
    const bool delivered = buffer.ReadData(block.data(), length);
    if (more != nullptr)
        *more = delivered;
    block.resize(length);
    return block;
}

}  // namespace

TEST(SyncBuffer, HandsOverFullBlocksAndKeepsTheRestUntilEndOfData)
{
    TraceCapture trace;
    SyncBuffer buffer;
    buffer.Open(kBlock);
    const auto track = Pattern(100000);
    std::atomic<bool> producerDone{false};
    std::thread producer([&] {
        buffer.AddData(track.data(), 10000);
        buffer.AddData(track.data() + 10000, 90000);
        producerDone = true;
    });
    ASSERT_TRUE(trace.WaitFor(kTraceWaitRead));
    EXPECT_FALSE(producerDone) << "the producer must wait until its full block is read";
    EXPECT_EQ(ReadBlock(buffer), Slice(track, 0, kBlock));
    EXPECT_EQ(ReadBlock(buffer), Slice(track, kBlock, kBlock));
    producer.join();

    buffer.SetEndOfData();
    EXPECT_EQ(ReadBlock(buffer), Slice(track, 2 * kBlock, 24736));
    bool more = true;
    EXPECT_TRUE(ReadBlock(buffer, &more).empty());
    EXPECT_FALSE(more);
    EXPECT_TRUE(trace.Contains(kTraceWaitFilledNoMoreData));
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
    ASSERT_TRUE(trace.WaitFor(kTraceWaitRead, 2));
    EXPECT_EQ(trace.Count(kTraceErrorHere), 1);
    EXPECT_EQ(ReadBlock(buffer), Slice(data, 100, 100));
    producer.join();
    EXPECT_EQ(ReadBlock(buffer), Slice(data, 200, 50));
}
