#pragma once

#include <cstdint>

#include "decode/AudioDecoder.h"

struct sf_private_tag;

namespace quillstar {

// Reads what libsndfile opens (WAV, AIFF, FLAC, Ogg Vorbis, Opus, Sun audio)
// in the file's own rate and channel count: sources of up to 16 bits as
// 16-bit samples, deeper and lossy ones as floats. The header gives the
// exact length.
class SndFileDecoder : public AudioDecoder {
public:
    SndFileDecoder() = default;
    ~SndFileDecoder() override;

    bool Open(const std::string& path) override;
    // 0 when libsndfile could not close the file; the file then stays open.
    int Close() override;
    int Read(uint8_t* buffer, int length) override;

private:
    int SampleBytes() const;

    sf_private_tag* soundFile_ = nullptr;
};

}  // namespace quillstar
