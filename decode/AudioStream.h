#pragma once

#include <string>

namespace quillstar {

// How a decoder delivers its samples: interleaved, little-endian, either
// 16-bit signed integers or 32-bit floats in [-1, 1].
enum class SampleFormat { Int16, Float32 };

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
