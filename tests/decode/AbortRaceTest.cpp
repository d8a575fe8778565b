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
#include "decode/AudioTrackSource.h"
#include "resources/CdAudio.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace std::chrono_literals;

namespace {

// Reads the tracks as the disc writer does, leaving off once a stop was
// asked for, and finishes the burn as it does at its end.
void BurnTracks(AudioTrackSource& source, const std::atomic<bool>& aborted)
{
    std::vector<uint8_t> buffer(cd::kBlockSize);
    for (int track = 0; track < source.GetTrackCount() && !aborted; ++track) {
        if (!source.OpenTrack(track))
            continue;
        for (int length = cd::kBlockSize; source.ReadAudio(buffer.data(), length) && !aborted;
             length = cd::kBlockSize) {
        }
    }
    source.FinishBurn();
}

}  // namespace

TEST(AbortRace, StopsAtRandomPointsOfWavMp3AndWmaTracksEndEveryBurn)
{
    TemporaryFolder folder;
    const std::string cd = folder.File("cd.wav"), mono = folder.File("mono.wav"), mp3 = folder.File("tone.mp3");
    const std::string wma = folder.File("tone.wma");
    ASSERT_TRUE(WriteWav(cd, 44100, 2, 16, 22050));
    ASSERT_TRUE(WriteWav(mono, 22050, 1, 8, 11025));
    ScanPluginsOnce();
    const bool haveMp3 = HaveProgram("lame") && EncodeMp3(cd, mp3, {"-b", "128", "--resample", "48"});
    struct Case {
        std::vector<std::string> tracks;
        int rounds;
        std::chrono::microseconds maxDelay;
    };
    std::vector<Case> cases = {{{cd, mono}, 1000, 1500us}};
    if (haveMp3)
        cases.push_back({{mp3, mp3}, 100, 20000us});
    if (MakeWma(wma, 22050, 1, 12))
        cases.push_back({{wma, wma}, 50, 30000us});
    std::mt19937 random(20240601);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tracks[0]);
        AudioTrackSource source;
        for (const std::string& track : c.tracks)
            source.AddTrack(track);
        std::uniform_int_distribution<int64_t> delay(0, c.maxDelay.count());
        const int threads = CountProgramThreads();
        for (int round = 0; round < c.rounds; ++round) {
            std::atomic<bool> aborted{false};
            auto burn = std::async(std::launch::async, BurnTracks, std::ref(source), std::cref(aborted));
            // The stop lands wherever the burn happens to be.
            std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
            aborted = true;
            source.FinishBurn();
            // Far longer than any burn of these short tracks takes, even under a sanitizer.
            if (burn.wait_for(60s) != std::future_status::ready) {
                std::fprintf(stderr, "round %d: the burn did not end after the stop\n", round);
                std::abort();
            }
        }
        EXPECT_EQ(CountProgramThreads(), threads);
        EXPECT_EQ(source.GetBytesDone(), 0.0);
    }
}
