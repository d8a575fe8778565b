#include "plugins/mpeg/MpegPlayback.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/PostMessage.h"
#include "resources/Messages.h"

namespace quillstar {
namespace {

// Decoded in one go and then written a slot at a time (8192 bytes: within a
// slot of the program's output, and whole sample frames for mono and stereo
// alike). Several slots written back to back wake the reader once for all of
// them; a wake-up costs more than decoding a slot.
constexpr size_t kPieceBytes = 8192;
constexpr size_t kPiecesPerDecode = 8;
// How often a full or still-playing output is asked again.
constexpr auto kPollInterval = std::chrono::milliseconds(1);
constexpr int kBitsPerSample = 16;

}  // namespace

MpegPlayback::MpegPlayback(In_Module& module) : module_(module), pending_(kPieceBytes * kPiecesPerDecode) {}

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
    int64_t frames = 0;
    MpegFormat scanned;
    lengthMs_ = MpegFile::MeasureFrames(path, frames, scanned) ? MpegFile::FramesToMilliseconds(frames, scanned.sampleRate) : 0;
    framesWritten_ = 0;
    pendingStart_ = pendingEnd_ = 0;
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
        } else if (PendingBytes() == 0 && !decoderDone) {
            decoderDone = !Decode();
        } else if (PendingBytes() > 0) {
            const WriteResult result = WritePending();
            if (result == WriteResult::NoRoom)
                Sleep();
            idle = result == WriteResult::Refused;
        } else if (module_.outMod->IsPlaying()) {
            Sleep();
        } else {
            PostMessage(module_.hMainWindow, msg::WM_PLUGIN_EOF);
            idle = true;
        }
    }
}

bool MpegPlayback::Decode()
{
    size_t done = 0;
    const int result = mpg123_read(file_.Handle(), pending_.data(), pending_.size(), &done);
    pendingStart_ = 0;
    pendingEnd_ = done;
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
    const size_t bytes = std::min({PendingBytes(), room, kPieceBytes});
    if (bytes == 0)
        return WriteResult::NoRoom;
    ReportBitRate();
    char* data = reinterpret_cast<char*>(pending_.data() + pendingStart_);
    // Counted before the write: once Write returns the host may already have
    // read the piece and asked how far the output reaches.
    framesWritten_ += static_cast<int64_t>(bytes / blockAlign_);
    if (module_.outMod->Write(data, static_cast<int>(bytes)) != 0)
        return WriteResult::Refused;
    pendingStart_ += bytes;
    return WriteResult::Written;
}

void MpegPlayback::SeekTo(int milliseconds)
{
    const off_t target = static_cast<off_t>(int64_t{milliseconds} * format_.sampleRate / 1000);
    const off_t reached = mpg123_seek(file_.Handle(), target, SEEK_SET);
    if (reached >= 0)
        framesWritten_ = reached;
    pendingStart_ = pendingEnd_ = 0;
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

void MpegPlayback::Sleep()
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kPollInterval, [this] { return stopping_ || seekToMs_ >= 0; });
}

}  // namespace quillstar
