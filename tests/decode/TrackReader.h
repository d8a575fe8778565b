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

}  // namespace quillstar::test
