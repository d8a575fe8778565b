#include "decode/AcmConverter.h"

#include <soxr.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace quillstar {

using namespace decode;

namespace {

constexpr int kStereo = 2;
// The source buffer holds one chunk of input as stereo floats.
constexpr size_t kChunkFrames = kConverterBufferSize / (kStereo * sizeof(float));
constexpr size_t kCdFrameBytes = cd::kBytesPerFrame;
// Beyond the input's own share, the resampler may release up to its delay in
// one call; every estimate of a call's output leaves this much room for it.
constexpr size_t kResamplerSlackFrames = 8192;
constexpr uint32_t kMinSampleRate = 1000;
constexpr uint32_t kMaxSampleRate = 768000;
constexpr uint16_t kMaxChannels = 32;

// Reads one sample as a float in [-1, 1).
template <int Bytes>
float SampleAt(const uint8_t* p);

template <>
float SampleAt<1>(const uint8_t* p)
{
    return (static_cast<int>(p[0]) - 128) * (1.0f / 128);
}

template <>
float SampleAt<2>(const uint8_t* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8)) * (1.0f / 32768);
}

template <>
float SampleAt<3>(const uint8_t* p)
{
    const uint32_t high = uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24;
    return static_cast<int32_t>(high) * (1.0f / 2147483648.0f);
}

template <>
float SampleAt<4>(const uint8_t* p)
{
    const uint32_t value = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    return static_cast<int32_t>(value) * (1.0f / 2147483648.0f);
}

// 32-bit floats come in already scaled to [-1, 1].
template <>
float SampleAt<0>(const uint8_t* p)
{
    float value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Bytes is the sample width, 0 for floats (which are four bytes wide).
template <int Bytes>
void MixToStereo(const uint8_t* in, size_t frames, int channels, const float* weights, float* stereo)
{
    constexpr int kWidth = Bytes == 0 ? 4 : Bytes;
    if (channels == 1) {
        for (size_t i = 0; i < frames; ++i, in += kWidth) {
            const float s = SampleAt<Bytes>(in);
            *stereo++ = s;
            *stereo++ = s;
        }
    } else if (channels == 2) {
        for (size_t i = 0; i < frames * 2; ++i, in += kWidth)
            *stereo++ = SampleAt<Bytes>(in);
    } else {
        for (size_t i = 0; i < frames; ++i) {
            float left = 0, right = 0;
            for (int c = 0; c < channels; ++c, in += kWidth) {
                const float s = SampleAt<Bytes>(in);
                left += weights[2 * c] * s;
                right += weights[2 * c + 1] * s;
            }
            *stereo++ = left;
            *stereo++ = right;
        }
    }
}

// Left and right share of each channel of a multi-channel source, taken in
// the wave channel order: front left, front right, front centre, low
// frequency, back left, back right, front left and right of centre, back
// centre, side left, side right. As in the ITU's stereo down-mix, the centre
// and the surrounds come in at -3 dB and the low-frequency channel is left
// out. Channels beyond those go to both sides.
struct ChannelShare {
    float left, right;
};
constexpr float kHalfPower = 0.7071f;
constexpr ChannelShare kChannelShares[] = {
    {1, 0}, {0, 1},       {kHalfPower, kHalfPower}, {0, 0},          {kHalfPower, 0}, {0, kHalfPower}, {1, 0},
    {0, 1}, {0.5f, 0.5f}, {kHalfPower, 0},          {0, kHalfPower},
};
constexpr ChannelShare kOtherChannelShare{0.5f, 0.5f};

// Weights scaled so that no mix of full-scale channels can clip.
std::vector<float> DownMixWeights(int channels)
{
    std::vector<float> weights;
    float leftSum = 0, rightSum = 0;
    for (int c = 0; c < channels; ++c) {
        const ChannelShare share =
            c < static_cast<int>(std::size(kChannelShares)) ? kChannelShares[c] : kOtherChannelShare;
        weights.push_back(share.left);
        weights.push_back(share.right);
        leftSum += share.left;
        rightSum += share.right;
    }
    for (size_t i = 0; i < weights.size(); i += 2) {
        weights[i] /= leftSum;
        weights[i + 1] /= rightSum;
    }
    return weights;
}

int16_t ToPcm16(float value)
{
    const long rounded = std::lrint(value * 32768.0f);
    return static_cast<int16_t>(std::clamp(rounded, -32768L, 32767L));
}

bool IsCdFormat(const WaveFormat& format)
{
    const WaveFormat cdFormat = WaveFormat::Cd();
    return format.formatTag == cdFormat.formatTag && format.channels == cdFormat.channels &&
           format.samplesPerSec == cdFormat.samplesPerSec && format.bitsPerSample == cdFormat.bitsPerSample &&
           format.blockAlign == cdFormat.blockAlign;
}

}  // namespace

AcmConverter::~AcmConverter()
{
    Close();
}

bool AcmConverter::CanConvert(const WaveFormat& source, const WaveFormat& destination)
{
    const int bits = source.bitsPerSample;
    const bool pcm = source.formatTag == kWaveFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floats = source.formatTag == kWaveFormatFloat && bits == 32;
    return IsCdFormat(destination) && (pcm || floats) && source.channels >= 1 && source.channels <= kMaxChannels &&
           source.blockAlign == source.channels * bits / 8 && source.samplesPerSec >= kMinSampleRate &&
           source.samplesPerSec <= kMaxSampleRate;
}

int32_t AcmConverter::Open(const WaveFormat& source, const WaveFormat& destination)
{
    Close();
    if (!CanConvert(source, destination))
        return kStatusFailed;
    sourceFormat_ = source;
    destinationFormat_ = destination;
    destination_.resize(kConverterBufferSize);
    source_.resize(kChunkFrames * kStereo);
    ChooseMixer();
    if (source.samplesPerSec != destination.samplesPerSec && !OpenResampler()) {
        Close();
        return kStatusFailed;
    }
    open_ = true;
    return kStatusOk;
}

bool AcmConverter::OpenResampler()
{
    // Undithered, so the same input always converts to the same samples.
    soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    stream_ = soxr_create(sourceFormat_.samplesPerSec, destinationFormat_.samplesPerSec, kStereo, &error, &io, &quality,
                          &runtime);
    return error == nullptr && stream_ != nullptr;
}

void AcmConverter::ChooseMixer()
{
    weights_ = DownMixWeights(sourceFormat_.channels);
    if (sourceFormat_.formatTag == kWaveFormatFloat) {
        mixer_ = MixToStereo<0>;
        return;
    }
    switch (sourceFormat_.bitsPerSample) {
    case 8:
        mixer_ = MixToStereo<1>;
        break;
    case 16:
        mixer_ = MixToStereo<2>;
        break;
    case 24:
        mixer_ = MixToStereo<3>;
        break;
    default:
        mixer_ = MixToStereo<4>;
        break;
    }
}

int32_t AcmConverter::Convert(const uint8_t* data, int length, const uint8_t*& out, int& outLength)
{
    out = nullptr;
    outLength = 0;
    if (!open_ || length < 0 || (data == nullptr && length > 0))
        return kStatusFailed;
    const size_t frames = static_cast<size_t>(length) / sourceFormat_.blockAlign;
    const double expectedFrames =
        static_cast<double>(frames) * destinationFormat_.samplesPerSec / sourceFormat_.samplesPerSec;
    if ((expectedFrames + kResamplerSlackFrames) * kCdFrameBytes > INT_MAX)
        return kStatusFailed;
    destinationUsed_ = 0;
    for (size_t done = 0; done < frames;) {
        const size_t chunk = std::min(frames - done, kChunkFrames);
        if (!ConvertChunk(data + done * sourceFormat_.blockAlign, chunk))
            return kStatusFailed;
        done += chunk;
    }
    HandOut(out, outLength);
    return kStatusOk;
}

bool AcmConverter::ConvertChunk(const uint8_t* data, size_t frames)
{
    mixer_(data, frames, sourceFormat_.channels, weights_.data(), source_.data());
    if (stream_ != nullptr)
        return Resample(frames);
    StoreUnresampled(frames);
    return true;
}

bool AcmConverter::Resample(size_t frames)
{
    const double ratio = static_cast<double>(destinationFormat_.samplesPerSec) / sourceFormat_.samplesPerSec;
    for (size_t done = 0; done < frames;) {
        const size_t room = static_cast<size_t>(std::ceil((frames - done) * ratio)) + kResamplerSlackFrames;
        int16_t* out = MakeRoom(room);
        size_t used = 0, produced = 0;
        if (soxr_process(stream_, source_.data() + done * kStereo, frames - done, &used, out, room, &produced))
            return false;
        if (used == 0 && produced == 0)
            return false;
        done += used;
        destinationUsed_ += produced * kCdFrameBytes;
    }
    return true;
}

void AcmConverter::StoreUnresampled(size_t frames)
{
    int16_t* out = MakeRoom(frames);
    for (size_t i = 0; i < frames * kStereo; ++i)
        out[i] = ToPcm16(source_[i]);
    destinationUsed_ += frames * kCdFrameBytes;
}

int32_t AcmConverter::Flush(const uint8_t*& out, int& outLength)
{
    out = nullptr;
    outLength = 0;
    if (!open_)
        return kStatusFailed;
    destinationUsed_ = 0;
    if (stream_ != nullptr && !DrainResampler())
        return kStatusFailed;
    HandOut(out, outLength);
    return kStatusOk;
}

bool AcmConverter::DrainResampler()
{
    for (;;) {
        int16_t* out = MakeRoom(kResamplerSlackFrames);
        size_t produced = 0;
        if (soxr_process(stream_, nullptr, 0, nullptr, out, kResamplerSlackFrames, &produced))
            return false;
        destinationUsed_ += produced * kCdFrameBytes;
        if (produced < kResamplerSlackFrames)
            break;
    }
    return soxr_clear(stream_) == nullptr;
}

int16_t* AcmConverter::MakeRoom(size_t frames)
{
    const size_t needed = destinationUsed_ + frames * kCdFrameBytes;
    if (needed > destination_.size())
        destination_.resize(std::max(needed, destination_.size() * 2));
    return reinterpret_cast<int16_t*>(destination_.data() + destinationUsed_);
}

void AcmConverter::HandOut(const uint8_t*& out, int& outLength) const
{
    out = destination_.data();
    outLength = static_cast<int>(destinationUsed_);
}

void AcmConverter::Close()
{
    if (stream_ != nullptr) {
        soxr_delete(stream_);
        stream_ = nullptr;
    }
    open_ = false;
    destinationUsed_ = 0;
    std::vector<uint8_t>().swap(destination_);
    std::vector<float>().swap(source_);
}

}  // namespace quillstar
