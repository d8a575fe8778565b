#pragma once

#include <cstdint>

#include "resources/CdAudio.h"
#include "resources/DecodeConstants.h"

namespace quillstar {

// A PCM format description laid out as the 18-byte WAVEFORMATEX: tag,
// channels, samples per second, average bytes per second, block align, bits
// per sample, size of extra data.
#pragma pack(push, 2)
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    static constexpr WaveFormat Pcm(uint32_t samplesPerSec, uint16_t channels, uint16_t bitsPerSample)
    {
        return Of(decode::kWaveFormatPcm, samplesPerSec, channels, bitsPerSample);
    }

    // 32-bit float samples.
    static constexpr WaveFormat Float(uint32_t samplesPerSec, uint16_t channels)
    {
        return Of(decode::kWaveFormatFloat, samplesPerSec, channels, 32);
    }

    static constexpr WaveFormat Of(uint16_t tag, uint32_t samplesPerSec, uint16_t channels, uint16_t bitsPerSample)
    {
        const uint16_t blockAlign = static_cast<uint16_t>(channels * (bitsPerSample / 8));
        return {tag, channels, samplesPerSec, samplesPerSec * blockAlign, blockAlign, bitsPerSample, 0};
    }

    static constexpr WaveFormat Cd() { return Pcm(cd::kSampleRate, cd::kChannels, cd::kBitsPerSample); }
};
#pragma pack(pop)

static_assert(sizeof(WaveFormat) == 18);

}  // namespace quillstar
