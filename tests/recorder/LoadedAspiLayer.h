#pragma once

#include <string>

#include "platform/DynamicLibrary.h"
#include "recorder/AspiLibrary.h"

namespace quillstar::test {

// The real libwnaspi32.so from beside the test program, loaded afresh and
// started with the real drives hidden: the image recorder writing to
// imagePath with the given test options is its only device, or it has no
// adapter at all when imagePath is empty. Built for the test drive, the
// recorder is that drive instead, reached through SG_IO. While this lives, bindings from
// Library() share its copy of the layer; when it and they are gone the
// layer is unloaded, so the next one starts anew with other options.
class LoadedAspiLayer {
public:
    LoadedAspiLayer(const std::string& imagePath, const std::string& options);
    ~LoadedAspiLayer();
    LoadedAspiLayer(const LoadedAspiLayer&) = delete;
    LoadedAspiLayer& operator=(const LoadedAspiLayer&) = delete;

    // How the engine's loader reaches the layer: by its path beside the program.
    static AspiLibrary Library() { return AspiLibrary::BesideProgram(); }

private:
    DynamicLibrary library_;
};

}  // namespace quillstar::test
