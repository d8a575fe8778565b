// Burns about 74 minutes of MP3 in 20 tracks to the image recorder with
// verification on, and times the burn (from the start to the first
// "Verifying track 01...") against the verification (from there to the
// end) in the same run. Prints both and their ratio; the goal is at most 1.5.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "BenchTracks.h"
#include "decode/PluginRegistry.h"
#include "platform/MessageQueue.h"
#include "recorder/BurnJob.h"
#include "recorder/DiscWriter.h"
#include "resources/ImageRecorderTexts.h"

using namespace quillstar;
using namespace quillstar::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kRatioGoal = 1.5;
constexpr uint32_t kPollMilliseconds = 100;

}  // namespace

int main()
{
    const std::vector<std::string> tracks = MakeBenchTracks();
    if (tracks.empty()) {
        std::fprintf(stderr, "bench-verify: cannot make the MP3 set (is lame installed?)\n");
        return 2;
    }
    const fs::path folder = fs::temp_directory_path() / ("quillstar-bench-verify-" + std::to_string(getpid()));
    fs::create_directories(folder);
    setenv(aspi::kImageRecorderVariable, (folder / "bench.bin").c_str(), 1);
    setenv(aspi::kDrivesVariable, "", 1);

    MessageQueue messages;
    ScanDecoderPlugins();
    CDiscWriter writer(messages.Handle());
    if (!writer.Initialize() || writer.GetDeviceCount() == 0) {
        std::fprintf(stderr, "bench-verify: the image recorder is missing\n");
        return 2;
    }
    BurnJob job(writer);
    BurnSettings settings;
    settings.verify = true;

    const auto start = Clock::now();
    std::optional<Clock::time_point> verifying;
    if (!job.Start(tracks, settings))
        return 2;
    for (bool finished = false; !finished;) {
        const auto message = messages.Take(kPollMilliseconds);
        std::string text;
        int percent = 0;
        switch (message ? job.Handle(message->message) : BurnJob::Event::None) {
        case BurnJob::Event::Progress:
            job.GetProgress(text, percent);
            if (!verifying && text.rfind("Verifying", 0) == 0)
                verifying = Clock::now();
            break;
        case BurnJob::Event::Finished:
            finished = true;
            break;
        default:
            break;
        }
    }
    const auto end = Clock::now();
    fs::remove_all(folder);
    const BurnOutcome& outcome = job.Outcome();
    std::printf("%s\n", outcome.text.c_str());
    if (!verifying || !outcome.verification || outcome.verification->outcome != DiscVerification::Outcome::kVerified) {
        std::fprintf(stderr, "bench-verify: the burn did not verify\n");
        return 2;
    }

    const double burn = std::chrono::duration<double>(*verifying - start).count();
    const double verify = std::chrono::duration<double>(end - *verifying).count();
    std::printf("burn of %.1f minutes of MP3 to the image recorder: %.2f s\n", kTracks * kTrackSeconds / 60.0, burn);
    std::printf("verification: %.2f s, %.1fx realtime\n", verify, kTracks * kTrackSeconds / verify);
    std::printf("verify / burn: %.3f (goal <= %.2f)\n", verify / burn, kRatioGoal);
    return verify / burn <= kRatioGoal ? 0 : 1;
}
