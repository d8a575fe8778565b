#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillstar::test {

// A folder of its own for one test process's audio files, removed with
// everything in it when the object goes.
class FixtureFolder {
public:
    FixtureFolder();
    ~FixtureFolder();
    FixtureFolder(const FixtureFolder&) = delete;
    FixtureFolder& operator=(const FixtureFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes a 16-bit WAV of a tone sweep with a little noise, so that a VBR
// encoder varies its frame sizes. Returns the frame count written, 0 on
// failure.
int64_t WriteTestWav(const std::string& path, int sampleRate, int channels, double seconds);

// True when the program is found on PATH.
bool HaveProgram(const std::string& name);
// Runs the program with its output silenced; true when it exits with 0.
bool RunProgram(const std::vector<std::string>& arguments);

// Encodes a WAV with lame (MP3) or twolame (MP2) and the given options.
bool EncodeMp3(const std::string& wav, const std::string& mp3, const std::vector<std::string>& options);
bool EncodeMp2(const std::string& wav, const std::string& mp2, const std::vector<std::string>& options);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The file with an ID3v2.3 tag in front holding a picture of that many bytes.
bool WriteWithPictureTag(const std::string& source, const std::string& target, size_t pictureBytes);

// libmpg123's own decode of the whole file with the program's settings, in
// a plain read loop; empty when nothing decodes.
std::vector<uint8_t> DecodeWithMpg123(const std::string& path);

}  // namespace quillstar::test
