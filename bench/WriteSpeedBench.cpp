// Burns the same short list with quillstar-burn to a throttled image recorder
// at 4x and at 8x and compares the times: a drive set to half the speed takes
// about twice as long, so the speed the burn asks for is the one it gets.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "BurnProcess.h"

using namespace quillstar;
using namespace quillstar::test;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kTrackSeconds = 30.0;
constexpr double kLowestRatio = 1.7;
constexpr double kHighestRatio = 2.3;

double BurnSeconds(const FixtureFolder& folder, const std::string& wav, int speed)
{
    const std::string image = folder.PathOf("speed" + std::to_string(speed) + ".bin");
    const auto start = Clock::now();
    BurnProcess process({"--speed", std::to_string(speed), "--image-recorder", image, wav, wav},
                        {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "throttle,buffer-kb=512"}}, "/dev/null", "/dev/null");
    const int exitCode = process.Wait(std::chrono::minutes(10)).exitCode;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%dx: %.2f s (exit %d)\n", speed, seconds, exitCode);
    return exitCode == 0 ? seconds : -1.0;
}

}  // namespace

int main()
{
    FixtureFolder folder;
    const std::string wav = folder.PathOf("music.wav");
    if (WriteTestWav(wav, 44100, 2, kTrackSeconds) == 0) {
        std::printf("cannot make the test file\n");
        return 1;
    }
    const double slow = BurnSeconds(folder, wav, 4);
    const double fast = BurnSeconds(folder, wav, 8);
    if (slow <= 0.0 || fast <= 0.0)
        return 1;
    const double ratio = slow / fast;
    std::printf("burn time at 4x / at 8x: %.2f (goal %.1f to %.1f)\n", ratio, kLowestRatio, kHighestRatio);
    return ratio >= kLowestRatio && ratio <= kHighestRatio ? 0 : 1;
}
