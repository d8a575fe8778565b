#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tracklist/DurationCache.h"

using namespace quillstar;
namespace fs = std::filesystem;

namespace {

// Times a file by its first byte and counts the probes, so every answer
// shows which version of the file was read.
struct CountingProbe {
    int probes = 0;
    DurationCache::Probe Function()
    {
        return [this](const std::string& path) {
            ++probes;
            std::ifstream in(path, std::ios::binary);
            char first = 0;
            return in.get(first) ? static_cast<int>(first) : 0;
        };
    }
};

class DurationCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("duration-cache-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path.string();
    }

    // File times step coarsely; waiting past one step makes the next write
    // carry new times.
    static void NextTimeStep() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

    // A clock well past every file's last change, so files count as settled.
    static DurationCache::Clock Later()
    {
        return [] { return DurationCache::CurrentTime() + 60; };
    }

    fs::path folder_;
};

TEST_F(DurationCacheTest, UnchangedFileIsProbedOnce)
{
    CountingProbe probe;
    DurationCache cache(probe.Function(), Later());
    const std::string path = Write("a.mp3", "\x07xyz");
    EXPECT_EQ(cache.Seconds(path), 7);
    EXPECT_EQ(cache.Seconds(path), 7);
    EXPECT_EQ(cache.Seconds(path), 7);
    EXPECT_EQ(probe.probes, 1);
}

TEST_F(DurationCacheTest, EveryKindOfChangeIsProbedAgain)
{
    CountingProbe probe;
    DurationCache cache(probe.Function(), Later());
    const std::string path = Write("a.mp3", "\x07xyz");
    ASSERT_EQ(cache.Seconds(path), 7);

    Write("a.mp3", "\x08xyzw");  // other size
    EXPECT_EQ(cache.Seconds(path), 8);

    // Same size, and the old modification time put back as a copy keeping
    // times would: only the change time tells.
    struct stat old {};
    ASSERT_EQ(::stat(path.c_str(), &old), 0);
    NextTimeStep();
    Write("a.mp3", "\x09xyzw");
    const timespec times[2] = {old.st_atim, old.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(cache.Seconds(path), 9);

    // Another file of the same size and times renamed over it.
    const std::string other = Write("b.mp3", "\x0Axyzw");
    ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    fs::rename(other, path);
    EXPECT_EQ(cache.Seconds(path), 10);

    EXPECT_EQ(probe.probes, 4);
    EXPECT_EQ(cache.Seconds(path), 10);
    EXPECT_EQ(probe.probes, 4);
}

TEST_F(DurationCacheTest, RecentlyWrittenAndMissingFilesAreAlwaysProbedFoldersAndPipesNever)
{
    CountingProbe probe;
    DurationCache cache(probe.Function());  // the real clock: the file was written just now
    const std::string path = Write("fresh.mp3", "\x05");
    EXPECT_EQ(cache.Seconds(path), 5);
    // Written again within the same time step, the file may keep every
    // time it had; the answer still follows the content.
    Write("fresh.mp3", "\x06");
    EXPECT_EQ(cache.Seconds(path), 6);
    EXPECT_EQ(probe.probes, 2);

    DurationCache later(probe.Function(), Later());
    const std::string missing = (folder_ / "missing.mp3").string();
    EXPECT_EQ(later.Seconds(missing), 0);
    EXPECT_EQ(later.Seconds(missing), 0);
    EXPECT_EQ(later.Seconds(folder_.string()), 0);
    // The probe would wait forever for a writer to the pipe.
    const std::string pipe = (folder_ / "pipe.mp3").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(later.Seconds(pipe), 0);
    EXPECT_EQ(probe.probes, 4);

    // A cached file that disappears is not answered from memory.
    const std::string gone = Write("gone.mp3", "\x04");
    ASSERT_EQ(later.Seconds(gone), 4);
    fs::remove(gone);
    EXPECT_EQ(later.Seconds(gone), 0);
    EXPECT_EQ(probe.probes, 6);
}

}  // namespace
