// Burns about 700 MB of audio into the image recorder through the loaded
// libwnaspi32.so, the way the burner does (one request block and one event per
// command, 16-sector WRITEs), and writes the same bytes to a file with plain
// write() calls of 37632 bytes. Prints both costs and their ratio; the
// recorder may cost at most 5 % more. The cost is the processor time the
// process spends (user and system), summed over several rounds that
// alternate which of the two goes first: on a shared machine the wall-clock
// time of one run swings by tens of percent with the other processes, the
// processor time much less. The wall-clock times are printed too.
//
// bench-aspi-burn [FOLDER]   (default: the system's temporary folder)

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "platform/ProgramPath.h"
#include "platform/aspi/Aspi.h"
#include "resources/CdAudio.h"
#include "resources/ImageRecorderTexts.h"
#include "tests/platform/aspi/TestBurner.h"

using namespace quillstar;

namespace {

constexpr int kTracks = 10;
constexpr int64_t kBurnBytes = 700LL * 1024 * 1024;
// Whole 16-sector WRITEs per track.
constexpr int kTrackSectors =
    static_cast<int>(kBurnBytes / cd::kSectorSize / kTracks / cd::kSectorsPerBlock * cd::kSectorsPerBlock);
constexpr int kRounds = 9;
constexpr double kGoal = 1.05;

using Clock = std::chrono::steady_clock;

// Wall-clock and processor seconds of one run.
struct Cost {
    double wall = 0;
    double processor = 0;
};

double ProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Measures a run; a failed run (false) gives a negative cost.
template <typename Run>
Cost Measure(Run run)
{
    const Clock::time_point started = Clock::now();
    const double processorStarted = ProcessorSeconds();
    if (!run())
        return {-1, -1};
    return {std::chrono::duration<double>(Clock::now() - started).count(), ProcessorSeconds() - processorStarted};
}

std::vector<uint8_t> Chunk()
{
    std::vector<uint8_t> chunk(cd::kBlockSize);
    for (size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<uint8_t>(i * 7 + 3);
    return chunk;
}

int64_t ImageBytes()
{
    const int64_t sectors = static_cast<int64_t>(kTracks) * kTrackSectors + (kTracks - 1) * cd::kPauseSectors;
    return sectors * cd::kSectorSize;
}

// Burns every track and closes the session; false when a command failed.
// Every WRITE sends the same chunk, as the plain writes do.
bool BurnIntoRecorder(TestBurner& burner, std::vector<uint8_t>& chunk)
{
    for (int track = 1; track <= kTracks; ++track) {
        if (!IsGood(burner.SelectTrackAtOnceAudio(cd::kPauseSectors)))
            return false;
        int64_t address = burner.NextWritableAddress(static_cast<uint32_t>(track));
        if (address < 0)
            return false;
        for (int written = 0; written < kTrackSectors; written += cd::kSectorsPerBlock) {
            if (!IsGood(
                    burner.Write(static_cast<int32_t>(address), chunk.data(), cd::kSectorsPerBlock, cd::kBlockSize)))
                return false;
            address += cd::kSectorsPerBlock;
        }
        if (!IsGood(burner.SynchronizeCache()) || !IsGood(burner.CloseTrack(track)))
            return false;
    }
    return IsGood(burner.CloseSession()) && IsGood(burner.Eject());
}

bool WritePlainly(const std::string& path, const std::vector<uint8_t>& chunk)
{
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return false;
    for (int64_t done = 0; done < ImageBytes(); done += cd::kBlockSize) {
        const size_t length = static_cast<size_t>(std::min<int64_t>(cd::kBlockSize, ImageBytes() - done));
        if (write(descriptor, chunk.data(), length) != static_cast<ssize_t>(length)) {
            close(descriptor);
            return false;
        }
    }
    return close(descriptor) == 0;
}

void RemoveImages(const std::filesystem::path& folder)
{
    std::error_code ignored;
    for (const char* name : {"bench.bin", "bench.cue", "plain.bin"})
        std::filesystem::remove(folder / name, ignored);
    sync();  // start each round without the previous round's dirty pages
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path() / "quillstar-bench-aspi";
    const bool createdFolder = std::filesystem::create_directories(folder);
    setenv(aspi::kDrivesVariable, "", 1);

    DynamicLibrary library;
    if (!library.Open(ProgramDirectory() + "/libwnaspi32.so")) {
        std::fprintf(stderr, "bench-aspi-burn: %s\n", library.Error().c_str());
        return 1;
    }
    const auto setRecorder = library.Resolve<QuillstarASPISetImageRecorderFunction>("QuillstarASPISetImageRecorder");
    const auto send = library.Resolve<SendASPI32CommandFunction>("SendASPI32Command");
    const auto supportInfo = library.Resolve<GetASPI32SupportInfoFunction>("GetASPI32SupportInfo");
    if (!setRecorder || !send || !supportInfo || !setRecorder((folder / "bench.bin").c_str()) ||
        (supportInfo() & 0xFF) != 1) {
        std::fprintf(stderr, "bench-aspi-burn: the image recorder did not start in %s\n", folder.c_str());
        return 1;
    }

    TestBurner burner(send, 0);
    std::vector<uint8_t> chunk = Chunk();
    Cost totalPlain;
    Cost totalRecorder;
    std::printf("%.0f MB in %d tracks, %d rounds, in %s\n", ImageBytes() / 1e6, kTracks, kRounds, folder.c_str());
    for (int round = 1; round <= kRounds; ++round) {
        // Alternate which goes first so neither always meets a busier page cache.
        Cost plain;
        Cost recorder;
        for (int turn = 0; turn < 2; ++turn) {
            RemoveImages(folder);
            if ((round + turn) % 2 == 0)
                plain = Measure([&] { return WritePlainly((folder / "plain.bin").string(), chunk); });
            else
                recorder = Measure([&] { return BurnIntoRecorder(burner, chunk); });
        }
        if (plain.wall < 0 || recorder.wall < 0) {
            std::fprintf(stderr, "bench-aspi-burn: round %d failed\n", round);
            RemoveImages(folder);
            return 1;
        }
        std::printf("round %d: write() %.3f s (processor %.3f s), image recorder %.3f s (processor %.3f s)\n", round,
                    plain.wall, plain.processor, recorder.wall, recorder.processor);
        totalPlain = {totalPlain.wall + plain.wall, totalPlain.processor + plain.processor};
        totalRecorder = {totalRecorder.wall + recorder.wall, totalRecorder.processor + recorder.processor};
    }
    RemoveImages(folder);
    if (createdFolder)
        std::filesystem::remove(folder);

    const double ratio = totalRecorder.processor / totalPlain.processor;
    std::printf("wall-clock: write() %.0f MB/s, image recorder %.0f MB/s, ratio %.3f\n",
                kRounds * ImageBytes() / 1e6 / totalPlain.wall, kRounds * ImageBytes() / 1e6 / totalRecorder.wall,
                totalRecorder.wall / totalPlain.wall);
    std::printf("ratio image recorder / write() in processor time: %.3f (goal at most %.2f) %s\n", ratio, kGoal,
                ratio <= kGoal ? "met" : "MISSED");
    return ratio <= kGoal ? 0 : 2;
}
