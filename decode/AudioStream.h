#pragma once

#include <cstdint>
#include <string>

namespace quillstar {

// Seek units understood by the decoders.
inline constexpr int kSeekPercent = 101;
inline constexpr int kSeekMilliseconds = 102;

// How a decoder delivers its samples: interleaved, little-endian, either
// integers (8-bit unsigned as in WAV files, 16, 24 or 32-bit signed) or
// 32-bit floats in [-1, 1].
enum class SampleFormat { UInt8, Int16, Int24, Int32, Float32 };

inline constexpr int SampleBytes(SampleFormat format)
{
    switch (format) {
    case SampleFormat::UInt8:
        return 1;
    case SampleFormat::Int16:
        return 2;
    case SampleFormat::Int24:
        return 3;
    default:
        return 4;
    }
}

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
    SampleFormat Format() const { return sampleFormat_; }
    // Percentage of the file delivered so far.
    int Progress() const { return progress_; }
    const std::string& Path() const { return path_; }
    const std::string& FormatName() const { return formatName_; }

protected:
    int readBlockSize_ = 4096;
    int channels_ = 0;
    int sampleRate_ = 0;
    SampleFormat sampleFormat_ = SampleFormat::Int16;
    int progress_ = 0;
    std::string path_;
    std::string formatName_;
};

}  // namespace quillstar
