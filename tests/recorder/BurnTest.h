#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DiscWriter.h"
#include "recorder/RecorderTimings.h"
#include "tests/recorder/BurnRig.h"
#include "tests/recorder/FakeTrackSource.h"
#include "tests/recorder/ProgressLog.h"

namespace quillstar::test {

inline constexpr int kSector = 2352;
inline constexpr int kChunk = 16 * kSector;
inline constexpr int kSecond = 176400;

// The track as a disc holds it: whole sectors, at least 300 of them, the
// rest digital silence.
std::vector<uint8_t> OnDisc(std::vector<uint8_t> audio);
std::string Numbered(const char* format, int track);
// The texts a written track shows: preparing, writing, closing.
std::vector<std::string> TrackSteps(int track);
// The image recorder traces each command it refuses; none was.
void ExpectNothingRefused(const TraceCapture& trace);
// The texts of a successful burn writing these tracks (numbered from 1).
std::vector<std::string> BurnTexts(const std::vector<int>& writtenTracks);

// A writer burning on a rig's single drive, watched by a window that logs
// every posted message with the progress it read.
class BurnTest : public ::testing::Test {
protected:
    // A fresh rig of the kind this test program burns on (MakeBurnRig).
    void Prepare(const DriveSetup& setup = {});
    // One test may burn on several drives in turn, each with a writer and a
    // window of its own; only one drive exists at a time.
    void Disconnect();
    void Connect(std::unique_ptr<BurnRig> burnRig);
    void Run(FakeTrackSource& source);

    std::string Text() const;
    int Percent() const;

    // The disc holds the given source tracks, numbered from 1, each after a
    // 2-second pause but the first, and its session is closed.
    void ExpectDiscHolds(const FakeTrackSource& source, const std::vector<int>& sourceTracks);
    void ExpectEndedWith(int result, const char* text);
    // Progress messages only, then the one finished message.
    void ExpectProgressThenFinished();
    // The burn ended with this result before a sector was written.
    void ExpectRefusedBeforeWriting(int result, const char* text, const FakeTrackSource& source);
    // No progress after the stop: the window keeps its stop text.
    void ExpectQuietAfterStop();

    RecorderTimings timings{1, 1, 1, 10000, 1};
    std::unique_ptr<ProgressLog> log;
    std::unique_ptr<BurnRig> rig;
    std::unique_ptr<CDiscWriter> writer;
};

}  // namespace quillstar::test
