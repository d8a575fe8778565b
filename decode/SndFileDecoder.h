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
    SndFileDecoder();
    ~SndFileDecoder() override;

    bool Open(const std::string& path) override;
    // 0 when libsndfile could not close the file; the file then stays open.
    int Close() override;
    // Percent of the file (101) or milliseconds (102) to a frame; returns
    // the frame moved to, -1 when no file is open.
    int64_t Seek(int64_t position, int unit) override;
    int Read(uint8_t* buffer, int length) override;
    // Whole seconds, in milliseconds.
    int GetLength() override;
    int GetPosition() override;

private:
    int SampleBytes() const;

    sf_private_tag* soundFile_ = nullptr;
    int64_t frameCount_ = 0;
    // Sum of the lengths asked for, against the file's size in the delivered
    // sample width; 64-bit so that long files do not overflow the percentage.
    int64_t bytesDelivered_ = 0;
    int64_t totalBytes_ = 0;
};

}  // namespace quillstar
