// A small input plug-in for the host's tests; built twice, once as a module
// that plays through the output module and once as one that does not.

#include <atomic>
#include <cstring>
#include <string>

#include "TestPluginProtocol.h"
#include "decode/PluginModules.h"

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
std::atomic<int> stopCount{0};
In_Module module{};

bool NameHas(const char* path, const char* word)
{
    const char* slash = std::strrchr(path, '/');
    return std::strstr(slash ? slash + 1 : path, word) != nullptr;
}

int Play(const char* path)
{
    if (NameHas(path, "fail"))
        return 1;
    if (NameHas(path, "mute"))
        return 0;
    const bool mono = NameHas(path, "mono22k");
    module.outMod->Open(mono ? 22050 : 44100, mono ? 1 : 2, 16, -1, -1);
    return 0;
}

// Every entry point the host requires; those the tests do not count do nothing.
In_Module MakeModule()
{
    In_Module m{};
    m.version = 0x100;
    m.description = "Test decoder";
    m.FileExtensions = "TST;WAV\0Test files (*.TST)\0";
    m.UsesOutputPlug = kUsesOutputPlug;
    m.Config = m.About = [](void*) {};
    m.Init = [] { ++initCount; };
    m.Quit = [] { ++quitCount; };
    m.GetFileInfo = [](const char*, char* title, int* length) {
        if (title)
            title[0] = '\0';
        if (length)
            *length = 0;
    };
    m.InfoBox = [](const char*, void*) { return 0; };
    m.IsOurFile = [](const char* path) { return NameHas(path, "claimed") ? 1 : 0; };
    m.Play = Play;
    m.Pause = m.UnPause = [] {};
    m.IsPaused = m.GetLength = m.GetOutputTime = [] { return 0; };
    m.Stop = [] { ++stopCount; };
    m.SetOutputTime = m.SetVolume = m.SetPan = [](int) {};
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
    if (name == "stop")
        return stopCount;
    return -1;
}
