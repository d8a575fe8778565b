#pragma once

#include <cstdint>

#include "decode/AudioStream.h"

namespace quillstar {

// A file decoder: opened on one file, read block by block into the caller's
// buffer as interleaved PCM in the decoder's sample format and the file's
// own rate and channel count, then closed.
class AudioDecoder : public AudioStream {
public:
    // Bytes delivered into the buffer; 0 at the end or on an error.
    virtual int Read(uint8_t* buffer, int length);
};

}  // namespace quillstar
