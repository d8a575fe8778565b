#pragma once

#include <cstdint>
#include <mutex>

#include "decode/OutputRing.h"
#include "decode/PluginModules.h"
#include "platform/Event.h"
#include "platform/MessageTarget.h"
#include "platform/PostMessage.h"

namespace quillstar {

// What a plug-in opened its output with.
struct OutputFormat {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    int bufferLengthMs = 0;
    int preBufferMs = 0;
};

// The output module the program hands to every input plug-in: it plays
// nothing, it queues the plug-in's PCM in the ring for PluginDecoder. There
// is one for the process; one plug-in plays at a time.
//
// It is also the window the plug-ins post their end-of-file notice
// (WM_PLUGIN_EOF) to. The notice is acted on as it is posted, on the
// plug-in's thread, so it ends the play it was posted in: a play's plug-in
// thread is stopped before the next play starts, so no notice of an earlier
// track can reach a later one, as a notice queued for another thread could.
class WavOutputEmulator : private MessageTarget {
public:
    static WavOutputEmulator& Instance();

    Out_Module* Module() { return &module_; }
    OutputRing& Ring() { return ring_; }
    // The handle the plug-ins are given as their main window.
    WindowHandle NoticeWindow() const { return noticeWindow_; }
    // Gives the module the program's stand-ins for the visualisation, DSP
    // and info functions, and this output.
    void InstallInto(In_Module& module);

    // Before a Play: no stop, an empty ring, output not yet opened.
    void PrepareForPlay();
    // True once the plug-in opened its output; false on a stop or time-out.
    bool WaitUntilOpened(uint32_t milliseconds);
    OutputFormat Format() const;
    // Releases a plug-in waiting in Write and a reader waiting in Read.
    void Stop() { ring_.Stop(); }
    bool IsStopped() const { return ring_.IsStopped(); }

private:
    WavOutputEmulator();
    ~WavOutputEmulator() override;

    // Runs on the posting plug-in's thread.
    void Deliver(const WindowMessage& message) override;

    static int Open(int sampleRate, int channels, int bitsPerSample, int bufferLengthMs, int preBufferMs);
    static int Write(char* data, int length);
    static int CanWrite();
    static int IsPlaying();
    static int Pause(int pause);
    static void SetInfo(int bitRate, int sampleRate, int stereo, int synched);

    Out_Module module_{};
    OutputRing ring_;
    mutable std::mutex formatMutex_;
    OutputFormat format_;
    Event opened_;
    WindowHandle noticeWindow_ = nullptr;
};

// Ends whatever plug-in is playing: its Write and the decode thread's Read
// return at once.
void StopAllPlugins();

}  // namespace quillstar
