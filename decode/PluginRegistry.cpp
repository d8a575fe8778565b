#include "decode/PluginRegistry.h"

#include <filesystem>
#include <system_error>

#include "decode/WavOutputEmulator.h"
#include "platform/ProgramPath.h"
#include "platform/Trace.h"
#include "resources/Plugins.h"

namespace quillstar {
namespace {

bool HasPluginName(const std::string& fileName)
{
    const std::string suffix = plugin::kFileSuffix;
    return fileName.size() >= suffix.size() &&
           fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The host calls these; a module lacking one cannot be used safely.
bool HasHostFunctions(const In_Module& module)
{
    return module.Init && module.Quit && module.InfoBox && module.IsOurFile && module.Play && module.Pause &&
           module.UnPause && module.Stop && module.GetLength && module.GetOutputTime && module.SetOutputTime;
}

}  // namespace

PluginRegistry::~PluginRegistry()
{
    for (const PluginRecord& record : records_)
        record.module->Quit();
}

PluginRegistry& PluginRegistry::Process()
{
    // Never destroyed: the plug-ins stay loaded until the process ends.
    static PluginRegistry* registry = new PluginRegistry;
    return *registry;
}

void PluginRegistry::Scan(const std::string& folder)
{
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    if (error) {
        Trace("ScanDecoderPlugins: no plug-in folder %s\n", folder.c_str());
        return;
    }
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string fileName = entry->path().filename().string();
        std::error_code kindError;
        if (HasPluginName(fileName) && !entry->is_directory(kindError))
            LoadPlugin(folder, fileName);
    }
}

void PluginRegistry::LoadPlugin(const std::string& folder, const std::string& fileName)
{
    auto library = std::make_unique<DynamicLibrary>();
    if (!library->Open(folder + "/" + fileName)) {
        Trace("ScanDecoderPlugins: cannot load %s: %s\n", fileName.c_str(), library->Error().c_str());
        return;
    }
    const auto getModule = library->Resolve<GetInModule2Function>(plugin::kEntryPoint);
    In_Module* module = getModule ? getModule() : nullptr;
    if (module == nullptr || !HasHostFunctions(*module)) {
        Trace("ScanDecoderPlugins: %s is no input plug-in\n", fileName.c_str());
        return;
    }
    module->hMainWindow = WavOutputEmulator::Instance().NoticeWindow();
    module->hDllInstance = library.get();
    module->Init();
    PluginRecord record{module->FileExtensions ? module->FileExtensions : "", fileName, library.get(), module};
    libraries_.push_back(std::move(library));
    if (module->UsesOutputPlug == 0) {
        Trace("ScanDecoderPlugins: %s plays without an output module, not used\n", fileName.c_str());
        module->Quit();
        return;
    }
    Trace("ScanDecoderPlugins: %s handles %s\n", fileName.c_str(), record.extensions.c_str());
    records_.push_back(std::move(record));
}

std::string DecoderPluginFolder()
{
    return ProgramDirectory() + "/" + plugin::kFolderName;
}

void ScanDecoderPlugins(const std::string& folder)
{
    PluginRegistry::Process().Scan(folder);
}

}  // namespace quillstar
