// Stopping a burn from another thread at any point of its reads, as the
// user-interface thread does through the writer's AbortWrite: every burn
// ends at once, and no thread of it is left. Run under ThreadSanitizer by
// `make test SANITIZE=thread`.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "AudioFixtures.h"
#include "DecodeFixtures.h"
#include "decode/AudioTrackSource.h"
#include "resources/CdAudio.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace std::chrono_literals;

namespace {

constexpr int kBlock = cd::kBlockSize;
// Far longer than any burn of these short tracks takes, even under a sanitizer.
constexpr auto kHangLimit = 60s;

// Reads the tracks as the disc writer does, leaving off once a stop was
// asked for, and finishes the burn as it does at its end.
void BurnTracks(AudioTrackSource& source, const std::atomic<bool>& aborted)
{
    std::vector<uint8_t> buffer(kBlock);
    for (int track = 0; track < source.GetTrackCount() && !aborted; ++track) {
        if (!source.OpenTrack(track))
            continue;
        for (int length = kBlock; source.ReadAudio(buffer.data(), length) && !aborted; length = kBlock) {
        }
    }
    source.FinishBurn();
}

// Runs burns of the source, each stopped after a random delay of up to
// maxDelay, and fails fast on a burn that does not end.
void RaceStops(AudioTrackSource& source, int rounds, std::chrono::microseconds maxDelay)
{
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int64_t> delay(0, maxDelay.count());
    const int threads = CountProgramThreads();
    for (int round = 0; round < rounds; ++round) {
        std::atomic<bool> aborted{false};
        auto burn = std::async(std::launch::async, BurnTracks, std::ref(source), std::cref(aborted));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        aborted = true;
        source.FinishBurn();
        if (burn.wait_for(kHangLimit) != std::future_status::ready) {
            std::fprintf(stderr, "round %d: the burn did not end after the stop\n", round);
            std::abort();
        }
    }
    EXPECT_EQ(CountProgramThreads(), threads);
    EXPECT_EQ(source.GetBytesDone(), 0.0);
}

class AbortRace : public ::testing::Test {
protected:
    FixtureFolder folder_;
    AudioTrackSource source_;
};

}  // namespace

TEST_F(AbortRace, AThousandStopsDuringWavTracks)
{
    const std::string cd = folder_.PathOf("cd.wav");
    const std::string mono = folder_.PathOf("mono.wav");
    ASSERT_TRUE(WriteWav(cd, 44100, 2, 16, 22050));
    ASSERT_TRUE(WriteWav(mono, 22050, 1, 8, 11025));
    source_.AddTrack(cd);
    source_.AddTrack(mono);
    RaceStops(source_, 1000, 1500us);
}

TEST_F(AbortRace, StopsDuringMp3Tracks)
{
    if (!HaveProgram("lame"))
        GTEST_SKIP() << "lame is not installed";
    ScanPluginsOnce();
    const std::string wav = folder_.PathOf("tone.wav");
    const std::string mp3 = folder_.PathOf("tone.mp3");
    ASSERT_TRUE(WriteWav(wav, 48000, 2, 16, 24000));
    ASSERT_TRUE(EncodeMp3(wav, mp3, {"-b", "128", "--resample", "48"}));
    source_.AddTrack(mp3);
    source_.AddTrack(mp3);
    RaceStops(source_, 100, 20000us);
}

TEST_F(AbortRace, StopsDuringWmaTracks)
{
    const std::string wma = folder_.PathOf("tone.wma");
    if (!MakeWma(wma, 22050, 1, 12))
        GTEST_SKIP() << "GStreamer's WMA encoder (gstreamer1.0-libav) is not installed";
    source_.AddTrack(wma);
    source_.AddTrack(wma);
    RaceStops(source_, 50, 30000us);
}
