// Burns about 74 minutes of MP3 in 20 tracks with quillstar-burn to the image
// recorder and compares it with a plain libmpg123 decode of the same files in
// the same run. Prints the ratio, the burn's times-realtime, its peak memory
// and how many track endings waited for the plug-in's read time-out.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchTracks.h"
#include "BurnProcess.h"
#include "decode/MpegFile.h"
#include "resources/Plugins.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace quillstar::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kRatioGoal = 1.15;
constexpr double kMemoryGoalMiB = 64.0;

// The baseline: each file decoded with libmpg123 in a plain read loop, with
// the program's decoder settings, the PCM dropped.
double DecodeSeconds(const std::vector<std::string>& tracks)
{
    const auto start = Clock::now();
    size_t bytes = 0;
    std::vector<unsigned char> buffer(64 * 1024);
    for (const std::string& track : tracks) {
        MpegFile file;
        if (!file.Open(track))
            continue;
        int status = MPG123_OK;
        do {
            size_t done = 0;
            status = mpg123_read(file.Handle(), buffer.data(), buffer.size(), &done);
            bytes += done;
        } while (status == MPG123_OK || status == MPG123_NEW_FORMAT);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("plain libmpg123 decode: %.2f s for %.1f minutes of audio\n", seconds, bytes / 176400.0 / 60.0);
    return seconds;
}

struct BurnRun {
    bool ok = false;
    double seconds = 0.0;
    double peakMiB = 0.0;
};

BurnRun RunBurn(const std::vector<std::string>& tracks, const fs::path& folder, const std::string& trace)
{
    std::vector<std::string> arguments = {"--image-recorder", (folder / "bench.bin").string()};
    arguments.insert(arguments.end(), tracks.begin(), tracks.end());
    const auto start = Clock::now();
    BurnProcess process(arguments, {{"QUILLSTAR_TRACE", trace}}, "/dev/null", "/dev/null");
    const BurnProcess::Outcome outcome = process.Wait(std::chrono::hours(1));
    BurnRun run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.ok = outcome.exitCode == 0;
    run.peakMiB = outcome.peakMiB;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".bin" || entry.path().extension() == ".cue")
            fs::remove(entry.path());
    }
    return run;
}

int CountTimeOuts(const std::string& trace)
{
    std::ifstream file(trace);
    std::string line;
    int count = 0;
    while (std::getline(file, line)) {
        if (line + "\n" == plugin::kTraceReadTimedOut)
            ++count;
    }
    return count;
}

}  // namespace

int main()
{
    const std::vector<std::string> tracks = MakeBenchTracks();
    if (tracks.empty()) {
        std::fprintf(stderr, "bench-burn: cannot make the MP3 set (is lame installed?)\n");
        return 2;
    }
    const fs::path folder = fs::temp_directory_path() / ("quillstar-bench-burn-" + std::to_string(getpid()));
    fs::create_directories(folder);

    // The burns run first, while this process is small: the kernel counts
    // the spawning process's memory into the child's peak up to its exec.
    const BurnRun burn = RunBurn(tracks, folder, "");
    const std::string trace = (folder / "trace.txt").string();
    const BurnRun traced = RunBurn(tracks, folder, trace);
    const int timeOuts = CountTimeOuts(trace);
    const double decode = DecodeSeconds(tracks);
    fs::remove_all(folder);
    if (!burn.ok || !traced.ok) {
        std::fprintf(stderr, "bench-burn: quillstar-burn failed\n");
        return 2;
    }

    const double ratio = burn.seconds / decode;
    std::printf("quillstar-burn to the image recorder: %.2f s, %.1fx realtime, peak memory %.1f MiB\n", burn.seconds,
                kTracks * kTrackSeconds / burn.seconds, burn.peakMiB);
    std::printf("burn / plain decode: %.3f (goal <= %.2f)\n", ratio, kRatioGoal);
    std::printf("track endings that waited for the read time-out: %d (goal 0)\n", timeOuts);
    const bool met = ratio <= kRatioGoal && burn.peakMiB <= kMemoryGoalMiB && timeOuts == 0;
    return met ? 0 : 1;
}
