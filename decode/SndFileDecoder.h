#pragma once

#include <cstdint>

#include "decode/AudioDecoder.h"

struct sf_private_tag;

namespace quillstar {

// Reads WAV files (and whatever else libsndfile opens) as 16-bit samples in
// the file's own rate and channel count.
class SndFileDecoder : public AudioDecoder {
public:
    SndFileDecoder() = default;
    ~SndFileDecoder() override;

    bool Open(const std::string& path) override;
    // 0 when libsndfile could not close the file; the file then stays open.
    int Close() override;
    int Read(uint8_t* buffer, int length) override;

private:
    sf_private_tag* soundFile_ = nullptr;
};

}  // namespace quillstar
