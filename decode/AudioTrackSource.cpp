#include "decode/AudioTrackSource.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "decode/DecoderChoice.h"
#include "platform/Trace.h"
#include "resources/CdAudio.h"
#include "resources/DecodeEngineTexts.h"

namespace quillstar {

using namespace engine;

namespace {

// A length measured in samples now and then comes out a hair below a whole
// byte count once it is turned into seconds and back (frames / rate × 176400
// can give 176399.99999999997), and cutting that would split the last sample.
// The tolerance lies far below the smallest true fraction a sample count can
// give (one byte divided by the sample rate).
constexpr double kByteTolerance = 1e-6;

int32_t ByteCountOf(double seconds)
{
    const double bytes = seconds * cd::kBytesPerSecond + kByteTolerance;
    if (!(bytes >= 1.0))
        return 0;
    return bytes >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
}

}  // namespace

AudioTrackSource::AudioTrackSource(const PluginRegistry& plugins) : engine_(plugins)
{
    engine_.SetBlockLength(cd::kBlockSize);
}

AudioTrackSource::~AudioTrackSource() = default;

uint8_t AudioTrackSource::GetDataBlockType()
{
    return 0;
}

int AudioTrackSource::IsAudioTrack(int)
{
    return 1;
}

double AudioTrackSource::AddTrack(const std::string& path)
{
    const double seconds = TrackSeconds(path);
    AddTimedTrack(path, seconds);
    return seconds;
}

void AudioTrackSource::AddTimedTrack(const std::string& path, double seconds)
{
    tracks_.push_back(std::make_unique<TrackEntry>(TrackEntry{ByteCountOf(seconds), seconds, path}));
}

double AudioTrackSource::TrackSeconds(const std::string& path)
{
    return std::max(DecodeEngine::ProbeDuration(path), 0.0);
}

const TrackEntry* AudioTrackSource::EntryAt(int track) const
{
    if (track < 0 || track >= static_cast<int>(tracks_.size()))
        return nullptr;
    return tracks_[static_cast<size_t>(track)].get();
}

bool AudioTrackSource::OpenTrack(int track)
{
    bytesInTrack_ = 0;
    currentTrack_ = track;
    trackOpen_ = false;
    audioStopped_ = false;
    if (track < 0 || track >= static_cast<int>(tracks_.size()))
        return false;
    TrackEntry& entry = *tracks_[static_cast<size_t>(track)];
    entry.damagedAt = -1.0;
    if (DecoderChoice::For(entry.path) != DecoderKind::MediaGraph)
        trackOpen_ = engine_.StartDecodeThread(entry.path);
    // A graph that started counts as open whether it is already running or
    // still on its way there.
    else
        trackOpen_ = engine_.OpenGraph(entry.path) >= 0;
    return trackOpen_;
}

bool AudioTrackSource::ReadAudio(uint8_t* buffer, int& length)
{
    const TrackEntry* entry = trackOpen_ ? EntryAt(currentTrack_) : nullptr;
    if (entry == nullptr || bytesInTrack_ >= entry->byteCount || length <= 0 || buffer == nullptr)
        return FinishTrack(length);

    const int wanted = length;
    ReadDecoded(buffer, length);
    const int got = std::max(length, 0);
    bytesDone_ += got;
    const int64_t left = int64_t{entry->byteCount} - bytesInTrack_;
    if (got < wanted && got < left) {
        AudioStopped(bytesInTrack_ + got);
        // Silence makes up the rest of the track.
        std::memset(buffer + got, 0, static_cast<size_t>(wanted - got));
        length = static_cast<int>(std::min<int64_t>(wanted, left));
    } else if (got > left) {
        length = static_cast<int>(left);
    }
    bytesInTrack_ += length;
    return true;
}

// A decoder that delivers nothing for the stall limit is given up: it is
// stopped, and what it had decoded still comes out.
void AudioTrackSource::ReadDecoded(uint8_t* buffer, int& length)
{
    const int wanted = length;
    if (engine_.Read(buffer, length, stallLimitMs_) != SyncBuffer::Delivery::TimedOut)
        return;
    Trace(kTraceDecoderStalled, static_cast<unsigned long>(stallLimitMs_), static_cast<unsigned long>(bytesInTrack_));
    engine_.RequestStop();
    engine_.Stop();
    length = wanted;
    engine_.Read(buffer, length);
}

// Decided at the first shortfall, where the decoder's audio ended: one within
// the tolerance is a probe that measured a little long, not damage.
void AudioTrackSource::AudioStopped(int64_t atByte)
{
    if (audioStopped_)
        return;
    audioStopped_ = true;
    TrackEntry& entry = *tracks_[static_cast<size_t>(currentTrack_)];
    if (entry.byteCount - atByte > decode::kShortfallToleranceBytes)
        entry.damagedAt = static_cast<double>(atByte) * cd::kSecondsPerByte;
}

bool AudioTrackSource::FinishTrack(int& length)
{
    length = 0;
    engine_.RequestStop();
    engine_.Stop();
    return false;
}

int AudioTrackSource::GetTrackCount()
{
    return static_cast<int>(tracks_.size());
}

int AudioTrackSource::GetBlockSize()
{
    return cd::kSectorSize;
}

void AudioTrackSource::FinishBurn()
{
    trackOpen_ = false;
    engine_.Stop();
    bytesDone_ = 0;
}

void AudioTrackSource::RemoveAllTracks()
{
    tracks_.clear();
}

void AudioTrackSource::SetWriteMode(int mode)
{
    writeMode_ = mode;
}

double AudioTrackSource::GetBytesDone()
{
    return static_cast<double>(bytesDone_.load());
}

double AudioTrackSource::GetTotalBytes()
{
    return GetTotalSeconds() * cd::kBytesPerSecond;
}

double AudioTrackSource::GetTotalSeconds()
{
    double seconds = 0.0;
    for (const auto& entry : tracks_)
        seconds += entry->seconds;
    return seconds;
}

double AudioTrackSource::GetSecondsDone()
{
    return GetBytesDone() * cd::kSecondsPerByte;
}

double AudioTrackSource::GetTrackBytes(int track)
{
    const TrackEntry* entry = EntryAt(track);
    return entry != nullptr ? entry->byteCount : 0.0;
}

bool AudioTrackSource::GetTrackDamage(int track, double& secondsWhereAudioStopped) const
{
    const TrackEntry* entry = EntryAt(track);
    if (entry == nullptr || entry->damagedAt < 0.0)
        return false;
    secondsWhereAudioStopped = entry->damagedAt;
    return true;
}

}  // namespace quillstar
