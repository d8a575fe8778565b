// A small input plug-in for the host's tests; built twice, once as a module
// that plays through the output module and once as one that does not.

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "TestPluginProtocol.h"
#include "decode/PluginModules.h"
#include "platform/PostMessage.h"
#include "resources/Messages.h"

namespace {

using quillstar::In_Module;
using namespace testplugin;

#ifdef TEST_PLUGIN_WITHOUT_OUTPUT
constexpr int kUsesOutputPlug = 0;
#else
constexpr int kUsesOutputPlug = 1;
#endif

std::atomic<int> initCount{0};
std::atomic<int> quitCount{0};
std::atomic<int> playCount{0};
std::atomic<int> stopCount{0};
std::atomic<bool> stopping{false};
std::thread writer;
In_Module module{};

bool NameHas(const char* path, const char* word)
{
    const char* slash = std::strrchr(path, '/');
    return std::strstr(slash ? slash + 1 : path, word) != nullptr;
}

void Pause1ms()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void Stream(size_t total, bool stall)
{
    std::vector<char> piece(kPieceBytes);
    for (size_t sent = 0; sent < total && !stopping;) {
        if (module.outMod->CanWrite() < kPieceBytes) {
            Pause1ms();
            continue;
        }
        const size_t bytes = std::min<size_t>(kPieceBytes, total - sent);
        for (size_t i = 0; i < bytes; ++i)
            piece[i] = static_cast<char>(PatternByte(sent + i));
        if (module.outMod->Write(piece.data(), static_cast<int>(bytes)) != 0)
            return;
        sent += bytes;
    }
    if (stall)
        return;
    while (!stopping && module.outMod->IsPlaying())
        Pause1ms();
    if (!stopping)
        quillstar::PostMessage(module.hMainWindow, quillstar::msg::WM_PLUGIN_EOF);
}

void Init()
{
    ++initCount;
}

void Quit()
{
    ++quitCount;
}

int Play(const char* path)
{
    ++playCount;
    if (NameHas(path, "fail"))
        return 1;
    if (NameHas(path, "mute"))
        return 0;
    const bool mono = NameHas(path, "mono22k");
    const int bits = NameHas(path, "24bit") ? 24 : NameHas(path, "8bit") ? 8 : 16;
    module.outMod->Open(mono ? 22050 : 44100, mono ? 1 : 2, bits, -1, -1);
    stopping = false;
    if (NameHas(path, "stream"))
        writer = std::thread(Stream, kStreamBytes, false);
    else if (NameHas(path, "stall"))
        writer = std::thread(Stream, kStallBytes, true);
    return 0;
}

void Stop()
{
    ++stopCount;
    stopping = true;
    if (writer.joinable())
        writer.join();
}

int IsOurFile(const char* path)
{
    return NameHas(path, "claimed") ? 1 : 0;
}

void NoWindow(void*) {}
void Nothing() {}
void NothingWithInt(int) {}
int Zero()
{
    return 0;
}
int Length()
{
    return kLengthMs;
}
int InfoBox(const char*, void*)
{
    return 0;
}
void GetFileInfo(const char*, char* title, int* length)
{
    if (title)
        title[0] = '\0';
    if (length)
        *length = kLengthMs;
}

In_Module MakeModule()
{
    In_Module m{};
    m.version = 0x100;
    m.description = "Test decoder";
    m.FileExtensions = "TST;WAV\0Test files (*.TST)\0";
    m.UsesOutputPlug = kUsesOutputPlug;
    m.Config = NoWindow;
    m.About = NoWindow;
    m.Init = Init;
    m.Quit = Quit;
    m.GetFileInfo = GetFileInfo;
    m.InfoBox = InfoBox;
    m.IsOurFile = IsOurFile;
    m.Play = Play;
    m.Pause = Nothing;
    m.UnPause = Nothing;
    m.IsPaused = Zero;
    m.Stop = Stop;
    m.GetLength = Length;
    m.GetOutputTime = Zero;
    m.SetOutputTime = NothingWithInt;
    m.SetVolume = NothingWithInt;
    m.SetPan = NothingWithInt;
    return m;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) In_Module* winampGetInModule2()
{
    static const bool made = (module = MakeModule(), true);
    return made ? &module : nullptr;
}

extern "C" __attribute__((visibility("default"))) int TestPluginCount(const char* what)
{
    const std::string name = what;
    if (name == "init")
        return initCount;
    if (name == "quit")
        return quitCount;
    if (name == "play")
        return playCount;
    if (name == "stop")
        return stopCount;
    return -1;
}
