#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/TraceCapture.h"
#include "recorder/DiscWriter.h"
#include "recorder/RecorderTimings.h"
#include "tests/recorder/FakeTrackSource.h"
#include "tests/recorder/ImageRig.h"
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
// The texts of a successful burn writing these tracks (numbered from 1).
std::vector<std::string> BurnTexts(const std::vector<int>& writtenTracks);

// A writer burning on the image recorder, watched by a window that logs
// every posted message with the progress it read.
class BurnTest : public ::testing::Test {
protected:
    // A fresh image recorder with these test options, and a writer on it.
    void Prepare(const std::string& options = "");
    void Run(FakeTrackSource& source);

    std::string Text() const;
    int Percent() const;

    // The disc holds the given source tracks, numbered from 1, each after a
    // 2-second pause but the first, and its session is closed; the image is
    // those tracks and pauses and nothing else.
    void ExpectDiscHolds(const FakeTrackSource& source, const std::vector<int>& sourceTracks);
    // The burn ended with this result and text: progress messages only,
    // then the one finished message.
    void ExpectEndedWith(int result, const char* text);
    // The burn ended with this result before a sector was written.
    void ExpectRefusedBeforeWriting(int result, const char* text, const FakeTrackSource& source);
    // The image recorder traces each command it refuses; none was.
    void ExpectNothingRefused() const;

    RecorderTimings timings{1, 1, 1, 10000, 1};
    TraceCapture trace;
    std::unique_ptr<ProgressLog> log;
    std::unique_ptr<ImageRig> rig;
    std::unique_ptr<CDiscWriter> writer;
};

}  // namespace quillstar::test
