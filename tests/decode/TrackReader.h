#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "decode/AudioTrackSource.h"
#include "resources/CdAudio.h"

namespace quillstar::test {

// What the disc writer gets out of one track: the PCM of every ReadAudio
// that returned true, and each call's length.
struct TrackRead {
    std::vector<uint8_t> pcm;
    std::vector<int> lengths;
    // The length the final call (the one that returned false) left.
    int lastLength = -1;
};

// Opens the track and reads it as the writer does, in requests of one
// hand-off block, until ReadAudio returns false.
inline TrackRead ReadTrack(AudioTrackSource& source, int track)
{
    TrackRead read;
    EXPECT_TRUE(source.OpenTrack(track));
    std::vector<uint8_t> buffer(cd::kBlockSize);
    // A bound far beyond any fixture keeps a fault from looping for ever.
    for (int call = 0; call < 100000; ++call) {
        int length = cd::kBlockSize;
        if (!source.ReadAudio(buffer.data(), length)) {
            read.lastLength = length;
            break;
        }
        read.lengths.push_back(length);
        read.pcm.insert(read.pcm.end(), buffer.begin(), buffer.begin() + length);
    }
    return read;
}

// 16-bit samples of one channel of interleaved stereo PCM.
inline std::vector<int16_t> Channel(const std::vector<uint8_t>& stereo, int channel)
{
    std::vector<int16_t> samples;
    for (size_t at = static_cast<size_t>(channel) * 2; at + 1 < stereo.size(); at += cd::kBytesPerFrame)
        samples.push_back(static_cast<int16_t>(stereo[at] | stereo[at + 1] << 8));
    return samples;
}

// The frequency in Hz of a tone played at 44100 Hz, from the times it rises
// through zero in the middle half (encoders add silence at the ends); the
// margin keeps noise from counting as crossings.
inline double ToneFrequency(const std::vector<int16_t>& allSamples)
{
    constexpr int kMargin = 2000;
    const std::vector<int16_t> samples(allSamples.begin() + allSamples.size() / 4,
                                       allSamples.begin() + allSamples.size() * 3 / 4);
    int crossings = 0;
    bool below = false;
    for (const int16_t sample : samples) {
        if (sample < -kMargin) {
            below = true;
        } else if (sample > kMargin && below) {
            below = false;
            ++crossings;
        }
    }
    return samples.empty() ? 0.0 : crossings * static_cast<double>(cd::kSampleRate) / samples.size();
}

}  // namespace quillstar::test
