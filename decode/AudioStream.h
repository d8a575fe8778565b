#pragma once

#include <cstdint>
#include <string>

namespace quillstar {

// Seek units understood by the decoders.
inline constexpr int kSeekPercent = 101;
inline constexpr int kSeekMilliseconds = 102;

// Root of every file decoder: what the decode thread needs to know about an
// open file. The order of the virtual operations is part of the interface.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    virtual bool Open(const std::string& path);
    // 1 when the stream is closed.
    virtual int Close();
    virtual int64_t Seek(int64_t position, int unit);

    // Bytes the decode thread asks for per Read.
    int ReadBlockSize() const { return readBlockSize_; }
    int Channels() const { return channels_; }
    int SampleRate() const { return sampleRate_; }
    // Bits of each sample Read delivers: 8 (unsigned), 16, 24 or 32.
    int BitsPerSample() const { return bitsPerSample_; }
    // Percentage of the file delivered so far.
    int Progress() const { return progress_; }
    const std::string& Path() const { return path_; }
    const std::string& FormatName() const { return formatName_; }

protected:
    int readBlockSize_ = 4096;
    int channels_ = 0;
    int sampleRate_ = 0;
    int bitsPerSample_ = 16;
    int progress_ = 0;
    std::string path_;
    std::string formatName_;
};

}  // namespace quillstar
