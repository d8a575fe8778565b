#include "plugins/mpeg/MpegPlayback.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/PostMessage.h"
#include "resources/Messages.h"

namespace quillstar {
namespace {

// PCM is decoded a burst at a time and written a slot at a time (8192 bytes:
// within a slot of the program's output, and whole sample frames for mono and
// stereo alike). Slots written back to back are often all queued by the time
// the reader wakes, and waking the reader costs more than decoding a slot.
// While the output is full the decoder works ahead into its own buffer
// rather than wait for the reader.
constexpr size_t kPieceBytes = 8192;
constexpr size_t kBurstBytes = 8 * kPieceBytes;
constexpr size_t kBurstsAhead = 32;
// How often a full or still-playing output is asked again. A reader that
// keeps up has taken the last PCM within microseconds, so the wait for the
// output to drain starts short and grows to the full interval.
constexpr auto kPollInterval = std::chrono::microseconds(1000);
constexpr auto kFirstDrainPoll = std::chrono::microseconds(50);
constexpr int kBitsPerSample = 16;

}  // namespace

MpegPlayback::MpegPlayback(In_Module& module) : module_(module), bursts_(kBurstsAhead)
{
    for (Burst& burst : bursts_)
        burst.bytes.resize(kBurstBytes);
}

MpegPlayback::~MpegPlayback()
{
    Stop();
}

int MpegPlayback::Play(const char* path)
{
    Stop();
    if (!file_.Open(path) || !file_.ReadFormat(format_)) {
        file_.Close();
        return 1;
    }
    blockAlign_ = format_.channels * kBitsPerSample / 8;
    {
        std::lock_guard lock(lengthMutex_);
        path_ = path;
        lengthMs_.reset();
    }
    framesWritten_ = 0;
    firstBurst_ = burstCount_ = 0;
    reportedBitRate_ = 0;
    if (module_.outMod->Open(format_.sampleRate, format_.channels, kBitsPerSample, -1, -1) < 0) {
        file_.Close();
        return 1;
    }
    outputOpen_ = true;
    ReportBitRate();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
        paused_ = false;
        seekToMs_ = -1;
    }
    thread_ = std::thread(&MpegPlayback::Run, this);
    return 0;
}

void MpegPlayback::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (outputOpen_) {
        module_.outMod->Close();
        outputOpen_ = false;
    }
    file_.Close();
}

void MpegPlayback::Pause()
{
    std::lock_guard lock(mutex_);
    paused_ = true;
}

void MpegPlayback::UnPause()
{
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    changed_.notify_all();
}

bool MpegPlayback::IsPaused() const
{
    std::lock_guard lock(mutex_);
    return paused_;
}

int MpegPlayback::LengthMs()
{
    std::lock_guard lock(lengthMutex_);
    if (!lengthMs_ && !path_.empty()) {
        int64_t frames = 0;
        MpegFormat scanned;
        const bool measured = MpegFile::MeasureFrames(path_, frames, scanned);
        lengthMs_ = measured ? MpegFile::FramesToMilliseconds(frames, scanned.sampleRate) : 0;
    }
    return lengthMs_.value_or(0);
}

int MpegPlayback::OutputTimeMs() const
{
    const int rate = format_.sampleRate;
    return rate > 0 ? static_cast<int>(framesWritten_.load() * 1000 / rate) : 0;
}

void MpegPlayback::SetOutputTime(int milliseconds)
{
    {
        std::lock_guard lock(mutex_);
        seekToMs_ = std::max(milliseconds, 0);
    }
    changed_.notify_all();
}

void MpegPlayback::Run()
{
    bool decoderDone = false;
    // After the end was posted, or the output refused more, the thread only
    // waits for a seek or the stop.
    bool idle = false;
    auto drainPoll = kFirstDrainPoll;
    for (;;) {
        int seekMs = -1;
        {
            std::unique_lock lock(mutex_);
            if (stopping_)
                return;
            seekMs = std::exchange(seekToMs_, -1);
            if (seekMs < 0 && (paused_ || idle)) {
                changed_.wait(lock);
                continue;
            }
        }
        if (seekMs >= 0) {
            SeekTo(seekMs);
            decoderDone = idle = false;
            drainPoll = kFirstDrainPoll;
        } else if (burstCount_ == 0 && !decoderDone) {
            decoderDone = !Decode();
        } else if (burstCount_ > 0) {
            const WriteResult result = WritePending();
            if (result == WriteResult::NoRoom && !decoderDone && burstCount_ < bursts_.size())
                decoderDone = !Decode();
            else if (result == WriteResult::NoRoom)
                Sleep(kPollInterval);
            idle = result == WriteResult::Refused;
        } else if (module_.outMod->IsPlaying()) {
            Sleep(drainPoll);
            drainPoll = std::min(drainPoll * 2, kPollInterval);
        } else {
            PostMessage(module_.hMainWindow, msg::WM_PLUGIN_EOF);
            idle = true;
        }
    }
}

bool MpegPlayback::Decode()
{
    Burst& burst = bursts_[(firstBurst_ + burstCount_) % bursts_.size()];
    size_t done = 0;
    const int result = mpg123_read(file_.Handle(), burst.bytes.data(), burst.bytes.size(), &done);
    burst.start = 0;
    burst.end = done;
    if (done > 0)
        ++burstCount_;
    if (result == MPG123_OK)
        return done > 0;
    if (result == MPG123_NEW_FORMAT) {
        // The output cannot change format in the middle of a file, so a
        // stream that does ends where its first format ends.
        MpegFormat format;
        return file_.ReadFormat(format) && format.sampleRate == format_.sampleRate &&
               format.channels == format_.channels;
    }
    // The end of the stream or data that no longer decodes; what did
    // decode is still written.
    return false;
}

MpegPlayback::WriteResult MpegPlayback::WritePending()
{
    const int allowed = module_.outMod->CanWrite();
    const size_t room = static_cast<size_t>(std::max(allowed - allowed % blockAlign_, 0));
    Burst& burst = bursts_[firstBurst_];
    const size_t bytes = std::min({burst.end - burst.start, room, kPieceBytes});
    if (bytes == 0)
        return WriteResult::NoRoom;
    ReportBitRate();
    char* data = reinterpret_cast<char*>(burst.bytes.data() + burst.start);
    // Counted before the write: once Write returns the host may already have
    // read the piece and asked how far the output reaches.
    framesWritten_ += static_cast<int64_t>(bytes / blockAlign_);
    if (module_.outMod->Write(data, static_cast<int>(bytes)) != 0)
        return WriteResult::Refused;
    burst.start += bytes;
    if (burst.start == burst.end) {
        // With nothing left over the next burst reuses the first buffer,
        // which is still in the cache, rather than the next one in the ring.
        firstBurst_ = --burstCount_ == 0 ? 0 : (firstBurst_ + 1) % bursts_.size();
    }
    return WriteResult::Written;
}

void MpegPlayback::SeekTo(int milliseconds)
{
    const off_t target = static_cast<off_t>(int64_t{milliseconds} * format_.sampleRate / 1000);
    const off_t reached = mpg123_seek(file_.Handle(), target, SEEK_SET);
    if (reached >= 0)
        framesWritten_ = reached;
    firstBurst_ = burstCount_ = 0;
}

void MpegPlayback::ReportBitRate()
{
    mpg123_frameinfo info{};
    if (mpg123_info(file_.Handle(), &info) != MPG123_OK || info.bitrate <= 0 || info.bitrate == reportedBitRate_)
        return;
    reportedBitRate_ = info.bitrate;
    if (module_.SetInfo)
        module_.SetInfo(info.bitrate, format_.sampleRate / 1000, format_.channels > 1 ? 1 : 0, 1);
}

void MpegPlayback::Sleep(std::chrono::microseconds interval)
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, interval, [this] { return stopping_ || seekToMs_ >= 0; });
}

}  // namespace quillstar
