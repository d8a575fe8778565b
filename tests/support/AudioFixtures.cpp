#include "AudioFixtures.h"

#include <fcntl.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

#include "decode/MpegFile.h"

extern char** environ;

namespace quillstar::test {

FixtureFolder::FixtureFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillstar-audio-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
}

FixtureFolder::~FixtureFolder()
{
    std::error_code error;
    if (!path_.empty())
        std::filesystem::remove_all(path_, error);
}

int64_t WriteTestWav(const std::string& path, int sampleRate, int channels, double seconds)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        return 0;
    const int64_t frames = static_cast<int64_t>(seconds * sampleRate);
    std::vector<short> samples(static_cast<size_t>(frames * channels));
    uint32_t noise = 12345;
    double phase = 0.0;
    for (int64_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        phase += 2 * std::numbers::pi * (200.0 + 1800.0 * t / seconds) / sampleRate;
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double value = 0.4 * std::sin(phase * (c + 1)) + 0.05 * ((noise >> 16) / 32768.0 - 1.0);
            samples[static_cast<size_t>(i * channels + c)] = static_cast<short>(value * 32767);
        }
    }
    const sf_count_t written = sf_writef_short(file, samples.data(), frames);
    sf_close(file);
    return written == frames ? frames : 0;
}

bool HaveProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool RunProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool EncodeMp3(const std::string& wav, const std::string& mp3, const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{"lame", "--quiet"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {wav, mp3});
    return RunProgram(arguments);
}

bool EncodeMp2(const std::string& wav, const std::string& mp2, const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{"twolame", "-t", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {wav, mp2});
    return RunProgram(arguments);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

namespace {

void AppendBigEndian(std::string& bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>(value >> shift));
}

// ID3v2 sizes in the tag header use 7 bits per byte.
void AppendSyncSafe(std::string& bytes, uint32_t value)
{
    for (int shift = 21; shift >= 0; shift -= 7)
        bytes.push_back(static_cast<char>((value >> shift) & 0x7F));
}

}  // namespace

bool WriteWithPictureTag(const std::string& source, const std::string& target, size_t pictureBytes)
{
    const std::vector<uint8_t> audio = ReadFileBytes(source);
    if (audio.empty())
        return false;
    // Latin-1 text, the MIME type, "front cover", no description, then a
    // JPEG start followed by noise.
    std::string frame("\0image/jpeg\0\x03\0\xFF\xD8\xFF\xE0", 18);
    uint32_t noise = 99;
    while (frame.size() < pictureBytes + 14) {
        noise = noise * 1103515245u + 12345u;
        frame.push_back(static_cast<char>(noise >> 16));
    }
    std::string tag("ID3\x03\0\0", 6);
    AppendSyncSafe(tag, static_cast<uint32_t>(10 + frame.size()));
    tag += "APIC";
    AppendBigEndian(tag, static_cast<uint32_t>(frame.size()));
    tag.append(2, '\0');
    tag += frame;
    std::vector<uint8_t> bytes(tag.begin(), tag.end());
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    return WriteFileBytes(target, bytes);
}

std::vector<uint8_t> DecodeWithMpg123(const std::string& path)
{
    std::vector<uint8_t> pcm;
    MpegFile file;
    if (!file.Open(path))
        return pcm;
    std::vector<uint8_t> buffer(16384);
    for (;;) {
        size_t done = 0;
        const int result = mpg123_read(file.Handle(), buffer.data(), buffer.size(), &done);
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(done));
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return pcm;
    }
}

}  // namespace quillstar::test
