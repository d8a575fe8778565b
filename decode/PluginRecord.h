#pragma once

#include <string>

#include "decode/PluginModules.h"
#include "platform/DynamicLibrary.h"

namespace quillstar {

// One usable input plug-in. The registry owns the library; a record only
// names it.
struct PluginRecord {
    // The module's extension list up to its first terminator, e.g. "MP3;MP2".
    std::string extensions;
    // The plug-in's file name inside its folder.
    std::string fileName;
    const DynamicLibrary* library = nullptr;
    In_Module* module = nullptr;
};

}  // namespace quillstar
