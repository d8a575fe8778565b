#pragma once

#include <string>

namespace quillstar {

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

protected:
    int readBlockSize_ = 4096;
    int channels_ = 0;
    int sampleRate_ = 0;
};

}  // namespace quillstar
