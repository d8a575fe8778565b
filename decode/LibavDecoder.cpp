#include "decode/LibavDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "resources/DecodeConstants.h"

namespace quillstar {

using namespace decode;

namespace {

// FFmpeg reports every oddity of a file on the standard error; a burn
// names the files it could not write by itself.
void QuietLibraryOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

bool IsSixteenBit(AVSampleFormat format)
{
    return format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S16P;
}

// One sample of a decoded frame as a float in [-1, 1).
float SampleAt(const AVFrame& frame, int channel, int index)
{
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const int channels = frame.ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const uint8_t* plane = frame.extended_data[planar ? channel : 0];
    const int at = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return (plane[at] - 128) * (1.0f / 128);
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const int16_t*>(plane)[at] * (1.0f / 32768);
    case AV_SAMPLE_FMT_S32:
        return static_cast<float>(reinterpret_cast<const int32_t*>(plane)[at] * (1.0 / 2147483648.0));
    case AV_SAMPLE_FMT_FLT:
        return reinterpret_cast<const float*>(plane)[at];
    case AV_SAMPLE_FMT_DBL:
        return static_cast<float>(reinterpret_cast<const double*>(plane)[at]);
    default:
        return 0.0f;
    }
}

// A stream that started as 16-bit samples stays 16-bit should a frame come
// in another format.
int16_t Int16At(const AVFrame& frame, int channel, int index)
{
    const int channels = frame.ch_layout.nb_channels;
    switch (frame.format) {
    case AV_SAMPLE_FMT_S16P:
        return reinterpret_cast<const int16_t*>(frame.extended_data[channel])[index];
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const int16_t*>(frame.extended_data[0])[index * channels + channel];
    default:
        return static_cast<int16_t>(
            std::clamp(std::lrint(SampleAt(frame, channel, index) * 32768.0f), -32768L, 32767L));
    }
}

}  // namespace

LibavDecoder::LibavDecoder()
{
    formatName_ = kLibavFormatName;
    readBlockSize_ = kLibavReadBlockSize;
}

LibavDecoder::~LibavDecoder()
{
    Close();
}

bool LibavDecoder::Open(const std::string& path)
{
    Close();
    QuietLibraryOnce();
    path_ = path;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (packet_ == nullptr || frame_ == nullptr || !OpenStream() || !OpenCodec()) {
        Close();
        return false;
    }
    ReadGaplessInfo();
    return true;
}

bool LibavDecoder::OpenStream()
{
    if (avformat_open_input(&format_, path_.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(format_, nullptr) < 0)
        return false;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    return stream_ >= 0;
}

bool LibavDecoder::OpenCodec()
{
    const AVStream* stream = format_->streams[stream_];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (decoder == nullptr)
        return false;
    codec_ = avcodec_alloc_context3(decoder);
    if (codec_ == nullptr || avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return false;
    codec_->pkt_timebase = stream->time_base;
    codec_->thread_count = 1;
    if (avcodec_open2(codec_, decoder, nullptr) < 0 || codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0)
        return false;
    sampleRate_ = codec_->sample_rate;
    channels_ = codec_->ch_layout.nb_channels;
    sampleFormat_ = IsSixteenBit(codec_->sample_fmt) ? SampleFormat::Int16 : SampleFormat::Float32;
    SetBitrate(static_cast<int>(std::min<int64_t>(stream->codecpar->bit_rate, INT32_MAX)));
    return true;
}

// FFmpeg starts the music where an edit list or iTunes' gapless data says
// it starts, but plays the last frame whole. An MP4 track ends where its
// samples end (the edit list's length, or the sample table's), unless the
// gapless data names the length of the music itself.
void LibavDecoder::ReadGaplessInfo()
{
    const AVStream* stream = format_->streams[stream_];
    const bool exactTimes = stream->time_base.num == 1 && stream->time_base.den == sampleRate_;
    if (!exactTimes || std::strstr(format_->iformat->name, kMp4FormatName) == nullptr)
        return;
    const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : std::max<int64_t>(stream->start_time, 0);
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > start)
        framesLeft_ = stream->duration - start;
    const AVDictionaryEntry* gapless = av_dict_get(format_->metadata, kGaplessTag, nullptr, 0);
    unsigned priming = 0, padding = 0;
    unsigned long long frames = 0;
    if (gapless != nullptr && std::sscanf(gapless->value, "%*x %x %x %llx", &priming, &padding, &frames) == 3 &&
        frames > 0)
        framesLeft_ = static_cast<int64_t>(frames);
    lengthFrames_ = std::max<int64_t>(framesLeft_, 0);
}

int LibavDecoder::FrameBytes() const
{
    return channels_ * (sampleFormat_ == SampleFormat::Int16 ? 2 : 4);
}

int LibavDecoder::Read(uint8_t* buffer, int length)
{
    if (codec_ == nullptr || buffer == nullptr || length <= 0)
        return 0;
    const size_t wanted = static_cast<size_t>(length - length % FrameBytes());
    size_t delivered = 0;
    while (delivered < wanted) {
        if (pendingOffset_ == pending_.size() && !DecodeMore())
            break;
        const size_t chunk = std::min(wanted - delivered, pending_.size() - pendingOffset_);
        std::memcpy(buffer + delivered, pending_.data() + pendingOffset_, chunk);
        pendingOffset_ += chunk;
        delivered += chunk;
    }
    return static_cast<int>(delivered);
}

// Decodes until some PCM is pending; false at the end of the stream, or
// once the track's length is delivered.
bool LibavDecoder::DecodeMore()
{
    pending_.clear();
    pendingOffset_ = 0;
    while (pending_.empty() && framesLeft_ != 0) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received == 0) {
            TakeFrame(*frame_);
            av_frame_unref(frame_);
        } else if (received != AVERROR(EAGAIN) || !SendNextPacket()) {
            return false;
        }
    }
    return !pending_.empty();
}

// The next packet of the stream to the decoder; at the end of the file an
// empty one, which drains it.
bool LibavDecoder::SendNextPacket()
{
    while (!flushed_) {
        if (av_read_frame(format_, packet_) < 0) {
            flushed_ = true;
            return avcodec_send_packet(codec_, nullptr) == 0;
        }
        const bool ours = packet_->stream_index == stream_;
        // A damaged packet is left out; the decoder goes on with the next.
        const bool sent = ours && avcodec_send_packet(codec_, packet_) == 0;
        av_packet_unref(packet_);
        if (sent)
            return true;
    }
    return false;
}

void LibavDecoder::TakeFrame(const AVFrame& frame)
{
    int64_t count = frame.nb_samples;
    if (framesLeft_ >= 0)
        count = std::min(count, framesLeft_);
    if (count <= 0 || frame.ch_layout.nb_channels != channels_)
        return;
    if (framesLeft_ > 0)
        framesLeft_ -= count;
    pending_.resize(static_cast<size_t>(count) * FrameBytes());
    const int frames = static_cast<int>(count);
    if (sampleFormat_ == SampleFormat::Int16) {
        auto* out = reinterpret_cast<int16_t*>(pending_.data());
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels_; ++c)
                *out++ = Int16At(frame, c, i);
    } else {
        auto* out = reinterpret_cast<float*>(pending_.data());
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels_; ++c)
                *out++ = SampleAt(frame, c, i);
    }
}

int LibavDecoder::GetLength()
{
    if (lengthFrames_ > 0 && sampleRate_ > 0)
        return static_cast<int>(lengthFrames_ * 1000 / sampleRate_);
    return format_ != nullptr && format_->duration > 0 ? static_cast<int>(format_->duration / 1000) : 0;
}

int LibavDecoder::Close()
{
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    stream_ = -1;
    flushed_ = false;
    pending_.clear();
    pendingOffset_ = 0;
    framesLeft_ = -1;
    lengthFrames_ = 0;
    return 1;
}

double LibavDecoder::DecodedSeconds(const std::string& path)
{
    LibavDecoder decoder;
    if (!decoder.Open(path))
        return 0.0;
    std::vector<uint8_t> block(static_cast<size_t>(decoder.ReadBlockSize()));
    int64_t bytes = 0;
    for (int got; (got = decoder.Read(block.data(), static_cast<int>(block.size()))) > 0;)
        bytes += got;
    return static_cast<double>(bytes / decoder.FrameBytes()) / decoder.SampleRate();
}

}  // namespace quillstar
