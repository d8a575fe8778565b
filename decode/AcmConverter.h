#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/WaveFormat.h"

struct soxr;

namespace quillstar {

// Converts integer PCM of 8/16/24/32 bits or 32-bit floats, of any rate and
// any channel count, to CD format (44100 Hz, 16-bit, stereo) as a stream:
// the resampler's state carries from one Convert to the next, and Flush
// hands out its tail at the end of a track. Width and channels are converted
// here (8-bit samples are unsigned as in WAV files, more than two channels
// are mixed down to stereo); the rate by libsoxr, skipped when the source is
// already at 44100 Hz.
class AcmConverter {
public:
    AcmConverter() = default;
    ~AcmConverter();
    AcmConverter(const AcmConverter&) = delete;
    AcmConverter& operator=(const AcmConverter&) = delete;

    // 0, or E_FAIL for a pair of formats this converter cannot handle.
    int32_t Open(const WaveFormat& source, const WaveFormat& destination);
    // Converts all whole source frames of the input; a trailing part frame
    // is dropped. The output stays valid until the next call. 0 or E_FAIL.
    int32_t Convert(const uint8_t* data, int length, const uint8_t*& out, int& outLength);
    // Hands out what the resampler still holds and starts a fresh stream.
    int32_t Flush(const uint8_t*& out, int& outLength);
    void Close();
    bool IsOpen() const { return open_; }

private:
    using Mixer = void (*)(const uint8_t* in, size_t frames, int channels, const float* weights, float* stereo);

    static bool CanConvert(const WaveFormat& source, const WaveFormat& destination);
    bool OpenResampler();
    void ChooseMixer();
    bool ConvertChunk(const uint8_t* data, size_t frames);
    bool Resample(size_t frames);
    void StoreUnresampled(size_t frames);
    bool DrainResampler();
    int16_t* MakeRoom(size_t frames);
    void HandOut(const uint8_t*& out, int& outLength) const;

    // Converted CD frames, one call's worth; grows only for a call whose
    // output is larger than the usual 1 MiB.
    std::vector<uint8_t> destination_;
    // The input of one chunk as stereo floats.
    std::vector<float> source_;
    soxr* stream_ = nullptr;
    WaveFormat sourceFormat_{};
    WaveFormat destinationFormat_{};
    size_t destinationUsed_ = 0;
    Mixer mixer_ = nullptr;
    // Left and right weight of each source channel.
    std::vector<float> weights_;
    bool open_ = false;
};

}  // namespace quillstar
