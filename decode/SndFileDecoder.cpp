#include "decode/SndFileDecoder.h"

#include <sndfile.h>

#include "resources/DecodeConstants.h"

namespace quillstar {

namespace {

// Sources of more than 16 bits, and the lossy codecs, whose decoders work
// in floats, are read as floats; the converter makes CD samples of them.
SampleFormat FormatFor(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
        return SampleFormat::Float32;
    default:
        return SampleFormat::Int16;
    }
}

}  // namespace

SndFileDecoder::~SndFileDecoder()
{
    Close();
}

bool SndFileDecoder::Open(const std::string& path)
{
    Close();
    readBlockSize_ = decode::kWavReadBlockSize;
    SF_INFO info{};
    soundFile_ = sf_open(path.c_str(), SFM_READ, &info);
    if (soundFile_ == nullptr)
        return false;
    channels_ = info.channels;
    sampleRate_ = info.samplerate;
    sampleFormat_ = FormatFor(info.format);
    return true;
}

int SndFileDecoder::Read(uint8_t* buffer, int length)
{
    if (soundFile_ == nullptr || buffer == nullptr || length <= 0)
        return 0;
    // libsndfile reads whole frames only; a request for a part frame would
    // read nothing at all.
    const int sampleBytes = SampleBytes();
    sf_count_t samples = static_cast<unsigned>(length) / sampleBytes;
    samples -= samples % channels_;
    const sf_count_t read = sampleFormat_ == SampleFormat::Float32
                                ? sf_read_float(soundFile_, reinterpret_cast<float*>(buffer), samples)
                                : sf_read_short(soundFile_, reinterpret_cast<short*>(buffer), samples);
    return static_cast<int>(read * sampleBytes);
}

int SndFileDecoder::SampleBytes() const
{
    return sampleFormat_ == SampleFormat::Float32 ? 4 : 2;
}

int SndFileDecoder::Close()
{
    if (soundFile_ != nullptr) {
        if (sf_close(soundFile_) != 0)
            return 0;
        soundFile_ = nullptr;
    }
    return 1;
}

}  // namespace quillstar
