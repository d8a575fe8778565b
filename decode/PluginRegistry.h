#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decode/PluginRecord.h"
#include "platform/DynamicLibrary.h"

namespace quillstar {

// The input plug-ins found by a scan, in the order the scan met them. The
// libraries stay loaded as long as the registry lives; the program's own
// registry lives for the whole run.
class PluginRegistry {
public:
    PluginRegistry() = default;
    // Tells the registered modules to quit, then unloads every library. No
    // plug-in may be playing by then.
    ~PluginRegistry();
    PluginRegistry(const PluginRegistry&) = delete;
    PluginRegistry& operator=(const PluginRegistry&) = delete;

    // The program's registry, filled by ScanDecoderPlugins and never unloaded.
    static PluginRegistry& Process();

    // Loads every "*Decoder.so" in the folder, in the order the file system
    // lists them, and registers each module that plays through an output
    // module. Modules are given the output module's notice window as their
    // main window.
    void Scan(const std::string& folder);
    const std::vector<PluginRecord>& Records() const { return records_; }

private:
    void LoadPlugin(const std::string& folder, const std::string& fileName);

    std::vector<std::unique_ptr<DynamicLibrary>> libraries_;
    std::vector<PluginRecord> records_;
};

// The program's plug-in folder: Decoders/ beside the running program, never
// the current directory, which would let whatever folder the program was
// started from run code in it.
std::string DecoderPluginFolder();

// Fills the program's registry from DecoderPluginFolder(), or from `folder`
// when one is given.
void ScanDecoderPlugins(const std::string& folder = DecoderPluginFolder());

}  // namespace quillstar
