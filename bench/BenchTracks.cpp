#include "BenchTracks.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "AudioFixtures.h"

namespace quillstar::bench {

namespace fs = std::filesystem;

namespace {

fs::path CacheFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = cache && *cache ? fs::path(cache) : fs::path(home ? home : "/tmp") / ".cache";
    return base / "quillstar-bench" / "burn";
}

}  // namespace

std::vector<std::string> MakeBenchTracks()
{
    const fs::path folder = CacheFolder();
    fs::create_directories(folder);
    std::vector<std::string> tracks;
    for (int i = 0; i < kTracks; ++i) {
        const std::string mp3 = (folder / ("track" + std::to_string(i + 1) + ".mp3")).string();
        if (!fs::exists(mp3)) {
            std::printf("making %s\n", mp3.c_str());
            std::fflush(stdout);
            const std::string wav = (folder / "source.wav").string();
            const std::vector<std::string> options =
                i % 2 ? std::vector<std::string>{"-V", "4"} : std::vector<std::string>{"-b", "192"};
            if (test::WriteTestWav(wav, 44100, 2, kTrackSeconds) == 0 || !test::EncodeMp3(wav, mp3 + ".part", options))
                return {};
            fs::rename(mp3 + ".part", mp3);
            fs::remove(wav);
        }
        tracks.push_back(mp3);
    }
    return tracks;
}

}  // namespace quillstar::bench
