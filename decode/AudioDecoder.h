#pragma once

#include <cstdint>

#include "decode/AudioStream.h"
#include "platform/PostMessage.h"

namespace quillstar {

// A file decoder: opened on one file, read block by block into the caller's
// buffer as interleaved PCM in the decoder's sample format and the file's
// own rate and channel count, then closed. Every operation has a harmless default.
class AudioDecoder : public AudioStream {
public:
    // Bytes delivered into the buffer; 0 at the end or on an error.
    virtual int Read(uint8_t* buffer, int length);
    virtual int GetLength();    // milliseconds
    virtual int GetPosition();  // milliseconds
    virtual void Flush();
    virtual void Pause();
    virtual void ShowInfo(WindowHandle parent);
    virtual int GetBitrate();
    virtual void SetBitrate(int bitsPerSecond);

protected:
    int bitRate_ = 0;
};

}  // namespace quillstar
