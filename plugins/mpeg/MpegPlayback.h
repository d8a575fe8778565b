#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "decode/MpegFile.h"
#include "decode/PluginModules.h"

namespace quillstar {

// Plays one MPEG audio file into the host's output module on a thread of
// its own: it decodes a piece, asks CanWrite, writes no more than that, and
// once the output has played everything it posts WM_PLUGIN_EOF to the window
// the module was given. The module's functions are called from the
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
    // The exact decoded length, from a scan of every frame the first time
    // it is asked for. The scan reads the file on the caller's thread while
    // the decoding thread goes on, rather than hold up the start of Play.
    int LengthMs();
    // How far the PCM handed to the output reaches.
    int OutputTimeMs() const;
    void SetOutputTime(int milliseconds);

private:
    enum class WriteResult { Written, NoRoom, Refused };

    void Run();
    // Decodes a burst after the last one; false at the end of the stream.
    bool Decode();
    WriteResult WritePending();
    void SeekTo(int milliseconds);
    void ReportBitRate();
    // Sleeps the interval, or less when a stop or seek comes.
    void Sleep(std::chrono::microseconds interval);

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

    std::mutex lengthMutex_;
    std::string path_;
    std::optional<int> lengthMs_;
    std::atomic<int64_t> framesWritten_{0};

    // Decoding thread only: decoded PCM not yet written, a ring of bursts
    // written from the first, decoded into after the last.
    struct Burst {
        std::vector<uint8_t> bytes;
        size_t start = 0;
        size_t end = 0;
    };
    std::vector<Burst> bursts_;
    size_t firstBurst_ = 0;
    size_t burstCount_ = 0;
    int reportedBitRate_ = 0;
};

}  // namespace quillstar
