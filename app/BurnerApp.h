#pragma once

#include "app/CommandLine.h"

namespace quillstar {

// The program: one running copy per user, the main window for the whole run
// with the decoder plug-ins loaded beside it, and its end when the window
// closes.
class BurnerApp {
public:
    explicit BurnerApp(CommandLine commandLine);

    // The process exit code.
    int Run();

private:
    CommandLine commandLine_;
};

}  // namespace quillstar
