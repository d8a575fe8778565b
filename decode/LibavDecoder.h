#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode/AudioDecoder.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace quillstar {

// Reads the first audio stream of a file through FFmpeg's libraries: MP4
// and M4A (AAC, ALAC), ASF (WMA), ADTS AAC. The music starts where the
// encoder's declared delay ends (an MP4 edit list, or iTunes' gapless data)
// and the decoder's start-up output is left out, and an MP4 track ends where
// its sample table says its last sample ends, so the padding of the last
// frame is cut. Lossless 16-bit streams come out as 16-bit samples, all
// others as floats.
class LibavDecoder : public AudioDecoder {
public:
    LibavDecoder();
    ~LibavDecoder() override;
    LibavDecoder(const LibavDecoder&) = delete;
    LibavDecoder& operator=(const LibavDecoder&) = delete;

    bool Open(const std::string& path) override;
    int Close() override;
    // Whole frames only; 0 at the end or on an error.
    int Read(uint8_t* buffer, int length) override;
    int GetLength() override;

    // The seconds a whole decode of the file delivers; 0.0 when it cannot
    // be decoded.
    static double DecodedSeconds(const std::string& path);

private:
    bool OpenStream();
    bool OpenCodec();
    void ReadGaplessInfo();
    bool DecodeMore();
    bool SendNextPacket();
    void TakeFrame(const AVFrame& frame);
    int FrameBytes() const;

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    bool flushed_ = false;
    // Decoded PCM not yet read, from the offset on.
    std::vector<uint8_t> pending_;
    size_t pendingOffset_ = 0;
    // Frames still to deliver; -1 for all the decoder gives.
    int64_t framesLeft_ = -1;
    int64_t lengthFrames_ = 0;
};

}  // namespace quillstar
