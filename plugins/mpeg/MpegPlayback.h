#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "decode/MpegFile.h"
#include "decode/PluginModules.h"

namespace quillstar {

// Plays one MPEG audio file into the host's output module on a thread of
// its own: it decodes a piece, asks CanWrite, writes no more than that, and
// once the output has played everything it posts WM_PLUGIN_EOF to the main
// window the module was given. The module's functions are called from the
// host's thread; Stop ends and joins the decoding thread.
class MpegPlayback {
public:
    explicit MpegPlayback(In_Module& module);
    ~MpegPlayback();
    MpegPlayback(const MpegPlayback&) = delete;
    MpegPlayback& operator=(const MpegPlayback&) = delete;

    // 0 when the file has a decodable frame, the output opened and the
    // thread runs; 1 otherwise.
    int Play(const char* path);
    void Stop();
    void Pause();
    void UnPause();
    bool IsPaused() const;
    // The exact decoded length, from a scan of every frame at Play.
    int LengthMs() const { return lengthMs_.load(); }
    // How far the PCM handed to the output reaches.
    int OutputTimeMs() const;
    void SetOutputTime(int milliseconds);

private:
    enum class WriteResult { Written, NoRoom, Refused };

    void Run();
    bool Decode();
    WriteResult WritePending();
    void SeekTo(int milliseconds);
    void ReportBitRate();
    // Sleeps a poll interval, or less when a stop or seek comes.
    void Sleep();
    size_t PendingBytes() const { return pendingEnd_ - pendingStart_; }

    In_Module& module_;
    MpegFile file_;
    MpegFormat format_;
    int blockAlign_ = 4;
    bool outputOpen_ = false;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool paused_ = false;
    int seekToMs_ = -1;

    std::atomic<int> lengthMs_{0};
    std::atomic<int64_t> framesWritten_{0};

    // Decoding thread only.
    std::vector<uint8_t> pending_;
    size_t pendingStart_ = 0;
    size_t pendingEnd_ = 0;
    int reportedBitRate_ = 0;
};

}  // namespace quillstar
