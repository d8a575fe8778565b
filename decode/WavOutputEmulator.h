#pragma once

#include <cstdint>
#include <mutex>

#include "decode/OutputRing.h"
#include "decode/PluginModules.h"
#include "platform/Event.h"
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
class WavOutputEmulator {
public:
    static WavOutputEmulator& Instance();

    Out_Module* Module() { return &module_; }
    OutputRing& Ring() { return ring_; }
    void SetMainWindow(WindowHandle window);
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
};

// Ends whatever plug-in is playing: its Write and the decode thread's Read
// return at once. The main window calls it on WM_PLUGIN_EOF.
void StopAllPlugins();

}  // namespace quillstar
