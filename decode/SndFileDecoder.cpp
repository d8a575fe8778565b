#include "decode/SndFileDecoder.h"

#include <sndfile.h>

#include "resources/DecodeConstants.h"

namespace quillstar {

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
    return true;
}

int SndFileDecoder::Read(uint8_t* buffer, int length)
{
    if (soundFile_ == nullptr || buffer == nullptr || length <= 0)
        return 0;
    // libsndfile reads whole frames only; a request for a part frame would
    // read nothing at all.
    sf_count_t samples = static_cast<unsigned>(length) / 2;
    samples -= samples % channels_;
    const sf_count_t read = sf_read_short(soundFile_, reinterpret_cast<short*>(buffer), samples);
    return static_cast<int>(read * 2);
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
