#include "decode/SndFileDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>

#include "resources/DecodeConstants.h"

namespace quillstar {

using namespace decode;

namespace {

int SourceBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 32;
    case SF_FORMAT_DOUBLE:
        return 64;
    default:
        return 16;
    }
}

// Sources of more than 16 bits, and the lossy codecs, whose decoders work
// in floats, are read as floats; the converter makes CD samples of them.
SampleFormat FormatFor(int format)
{
    const int codec = format & SF_FORMAT_SUBMASK;
    return SourceBits(format) > 16 || codec == SF_FORMAT_VORBIS || codec == SF_FORMAT_OPUS ? SampleFormat::Float32
                                                                                           : SampleFormat::Int16;
}

}  // namespace

SndFileDecoder::SndFileDecoder()
{
    formatName_ = kWavFormatName;
}

SndFileDecoder::~SndFileDecoder()
{
    Close();
}

bool SndFileDecoder::Open(const std::string& path)
{
    Close();
    readBlockSize_ = kWavReadBlockSize;
    path_ = path;
    SF_INFO info{};
    soundFile_ = sf_open(path.c_str(), SFM_READ, &info);
    if (soundFile_ == nullptr)
        return false;
    channels_ = info.channels;
    sampleRate_ = info.samplerate;
    sampleFormat_ = FormatFor(info.format);
    SetBitrate(SourceBits(info.format) * sampleRate_ * channels_);
    frameCount_ = info.frames;
    totalBytes_ = sf_seek(soundFile_, 0, SEEK_END) * SampleBytes() * channels_;
    sf_seek(soundFile_, 0, SEEK_SET);
    bytesDelivered_ = 0;
    progress_ = 0;
    return true;
}

int SndFileDecoder::Read(uint8_t* buffer, int length)
{
    if (soundFile_ == nullptr || buffer == nullptr || length <= 0)
        return 0;
    bytesDelivered_ += length;
    progress_ = totalBytes_ > 0 ? static_cast<int>(bytesDelivered_ * 100 / totalBytes_) : 0;
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

int64_t SndFileDecoder::Seek(int64_t position, int unit)
{
    if (soundFile_ == nullptr)
        return -1;
    int64_t frame = 0;
    if (unit == kSeekPercent)
        frame = frameCount_ * std::clamp<int64_t>(position, 0, 99) / 100;
    else if (unit == kSeekMilliseconds)
        frame = sampleRate_ * std::max<int64_t>(position, 0) / 1000;
    return sf_seek(soundFile_, frame, SEEK_SET);
}

int SndFileDecoder::GetLength()
{
    return sampleRate_ > 0 ? static_cast<int>(frameCount_ / sampleRate_) * 1000 : 0;
}

int SndFileDecoder::GetPosition()
{
    if (soundFile_ == nullptr || sampleRate_ <= 0)
        return 0;
    return static_cast<int>(sf_seek(soundFile_, 0, SEEK_CUR) / sampleRate_) * 1000;
}

}  // namespace quillstar
