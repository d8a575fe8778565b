// The input module of our MP3 plug-in: MP3, MP2 and MPA files through
// libmpg123, played into whatever output module the host supplies.

#include <cstdio>
#include <string>

#include "decode/MpegFile.h"
#include "decode/PluginModules.h"
#include "plugins/mpeg/MpegPlayback.h"
#include "resources/Plugins.h"

namespace quillstar {
namespace {

// The title buffer a host passes to GetFileInfo holds at least this much.
constexpr size_t kTitleBytes = 256;

In_Module& TheModule();

MpegPlayback& Playback()
{
    static MpegPlayback playback(TheModule());
    return playback;
}

std::string currentPath;

void Config(void*) {}
void About(void*) {}
void Init() {}

void Quit()
{
    Playback().Stop();
}

// The file name without its folder and extension.
std::string TitleOf(const std::string& path)
{
    const size_t nameStart = path.find_last_of('/') + 1;
    const size_t dot = path.find_last_of('.');
    const size_t end = dot != std::string::npos && dot > nameStart ? dot : path.size();
    return path.substr(nameStart, end - nameStart);
}

void GetFileInfo(const char* file, char* title, int* lengthMs)
{
    const bool current = file == nullptr || *file == '\0';
    const std::string path = current ? currentPath : file;
    if (title)
        std::snprintf(title, kTitleBytes, "%s", TitleOf(path).c_str());
    if (lengthMs == nullptr)
        return;
    if (current) {
        *lengthMs = Playback().LengthMs();
        return;
    }
    int64_t frames = 0;
    MpegFormat format;
    *lengthMs = MpegFile::MeasureFrames(path, frames, format) ? MpegFile::FramesToMilliseconds(frames, format.sampleRate) : -1;
}

// This plug-in has no window of its own.
int InfoBox(const char*, void*)
{
    return 0;
}

// Claims nothing: the host matches files by extension.
int IsOurFile(const char*)
{
    return 0;
}

int Play(const char* path)
{
    currentPath = path ? path : "";
    return path ? Playback().Play(path) : 1;
}

void Pause()
{
    Playback().Pause();
}

void UnPause()
{
    Playback().UnPause();
}

int IsPaused()
{
    return Playback().IsPaused() ? 1 : 0;
}

void Stop()
{
    Playback().Stop();
}

int GetLength()
{
    return Playback().LengthMs();
}

int GetOutputTime()
{
    return Playback().OutputTimeMs();
}

void SetOutputTime(int milliseconds)
{
    Playback().SetOutputTime(milliseconds);
}

void SetVolume(int volume)
{
    if (TheModule().outMod)
        TheModule().outMod->SetVolume(volume);
}

void SetPan(int pan)
{
    if (TheModule().outMod)
        TheModule().outMod->SetPan(pan);
}

In_Module MakeModule()
{
    In_Module module{};
    module.version = plugin::kInputModuleVersion;
    module.description = plugin::kMpegDescription;
    module.FileExtensions = plugin::kMpegExtensions;
    module.is_seekable = 1;
    module.UsesOutputPlug = 1;
    module.Config = Config;
    module.About = About;
    module.Init = Init;
    module.Quit = Quit;
    module.GetFileInfo = GetFileInfo;
    module.InfoBox = InfoBox;
    module.IsOurFile = IsOurFile;
    module.Play = Play;
    module.Pause = Pause;
    module.UnPause = UnPause;
    module.IsPaused = IsPaused;
    module.Stop = Stop;
    module.GetLength = GetLength;
    module.GetOutputTime = GetOutputTime;
    module.SetOutputTime = SetOutputTime;
    module.SetVolume = SetVolume;
    module.SetPan = SetPan;
    return module;
}

In_Module& TheModule()
{
    static In_Module module = MakeModule();
    return module;
}

}  // namespace
}  // namespace quillstar

extern "C" __attribute__((visibility("default"))) quillstar::In_Module* winampGetInModule2()
{
    return &quillstar::TheModule();
}
