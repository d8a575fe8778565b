#pragma once

#include <string>

namespace quillstar {

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
// open file.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    virtual bool Open(const std::string& path);
    // 1 when the stream is closed.
    virtual int Close();

    // Bytes the decode thread asks for per Read.
    int ReadBlockSize() const { return readBlockSize_; }
    int Channels() const { return channels_; }
    int SampleRate() const { return sampleRate_; }
    SampleFormat Format() const { return sampleFormat_; }

protected:
    int readBlockSize_ = 4096;
    int channels_ = 0;
    int sampleRate_ = 0;
    SampleFormat sampleFormat_ = SampleFormat::Int16;
};

}  // namespace quillstar
