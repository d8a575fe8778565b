#include "decode/WavOutputEmulator.h"

#include "resources/Messages.h"
#include "resources/Plugins.h"

namespace quillstar {
namespace {

void DoNothing() {}
void DoNothingWithWindow(void*) {}
void DoNothingWithInt(int) {}
int ReturnZero()
{
    return 0;
}
int ReturnOne()
{
    return 1;
}

void SAVSAInit(int, int) {}
void AddPCMData(void*, int, int, int) {}
int SAAdd(void*, int, int)
{
    return 0;
}
int VSAGetMode(int*, int*)
{
    return 0;
}
int VSAAdd(void*, int)
{
    return 0;
}
void VSASetInfo(int, int) {}
int DspDoSamples(short int*, int, int, int, int)
{
    return 0;
}
void EQSet(int, char[10], int) {}

}  // namespace

WavOutputEmulator& WavOutputEmulator::Instance()
{
    static WavOutputEmulator emulator;
    return emulator;
}

WavOutputEmulator::WavOutputEmulator() : noticeWindow_(RegisterWindow(this))
{
    module_.version = plugin::kOutputModuleVersion;
    module_.description = plugin::kOutputDescription;
    module_.id = plugin::kOutputModuleId;
    module_.hMainWindow = noticeWindow_;
    module_.hDllInstance = nullptr;
    module_.Config = DoNothingWithWindow;
    module_.About = DoNothingWithWindow;
    module_.Init = DoNothing;
    module_.Quit = DoNothing;
    module_.Open = Open;
    module_.Close = DoNothing;
    module_.Write = Write;
    module_.CanWrite = CanWrite;
    module_.IsPlaying = IsPlaying;
    module_.Pause = Pause;
    module_.SetVolume = DoNothingWithInt;
    module_.SetPan = DoNothingWithInt;
    module_.Flush = DoNothingWithInt;
    module_.GetOutputTime = ReturnZero;
    module_.GetWrittenTime = ReturnZero;
}

WavOutputEmulator::~WavOutputEmulator()
{
    UnregisterWindow(noticeWindow_);
}

void WavOutputEmulator::Deliver(const WindowMessage& message)
{
    if (message.message == msg::WM_PLUGIN_EOF)
        Stop();
}

void WavOutputEmulator::InstallInto(In_Module& module)
{
    module.SAVSAInit = SAVSAInit;
    module.SAVSADeInit = DoNothing;
    module.SAAddPCMData = AddPCMData;
    module.SAGetMode = ReturnOne;
    module.SAAdd = SAAdd;
    module.VSAAddPCMData = AddPCMData;
    module.VSAGetMode = VSAGetMode;
    module.VSAAdd = VSAAdd;
    module.VSASetInfo = VSASetInfo;
    module.dsp_isactive = ReturnZero;
    module.dsp_dosamples = DspDoSamples;
    module.EQSet = EQSet;
    module.SetInfo = SetInfo;
    module.outMod = &module_;
}

void WavOutputEmulator::PrepareForPlay()
{
    opened_.Reset();
    ring_.ClearStop();
    ring_.Reset();
}

bool WavOutputEmulator::WaitUntilOpened(uint32_t milliseconds)
{
    return WaitForFirstEvent({&opened_, &ring_.StopEvent()}, milliseconds) == 0;
}

OutputFormat WavOutputEmulator::Format() const
{
    std::lock_guard lock(formatMutex_);
    return format_;
}

int WavOutputEmulator::Open(int sampleRate, int channels, int bitsPerSample, int bufferLengthMs, int preBufferMs)
{
    WavOutputEmulator& self = Instance();
    {
        std::lock_guard lock(self.formatMutex_);
        self.format_ = {sampleRate, channels, bitsPerSample, bufferLengthMs, preBufferMs};
    }
    self.opened_.Set();
    return plugin::kOutputLatencyMs;
}

int WavOutputEmulator::Write(char* data, int length)
{
    return Instance().ring_.Write(reinterpret_cast<const uint8_t*>(data), length);
}

int WavOutputEmulator::CanWrite()
{
    return Instance().ring_.CanWrite();
}

int WavOutputEmulator::IsPlaying()
{
    return Instance().ring_.IsPlaying() ? 1 : 0;
}

int WavOutputEmulator::Pause(int pause)
{
    return 1 - pause;
}

// The plug-in reports its bit rate here; a burn has no use for it.
void WavOutputEmulator::SetInfo(int, int, int, int) {}

void StopAllPlugins()
{
    WavOutputEmulator::Instance().Stop();
}

}  // namespace quillstar
