#pragma once

#include <string>
#include <vector>

namespace quillstar {

// What the command line asked for.
struct BurnOptions {
    std::string imageRecorder;
    int device = 0;
    bool deviceGiven = false;
    bool listDevices = false;
    bool show = false;
    bool help = false;
    // Read the disc back after the burn and compare it with the files.
    bool verify = false;
    std::string listFile;
    // x-factor; 0 = the fastest the recorder accepts.
    int speed = 0;
    bool simulate = false;
    int copies = 1;
    // The disc written at once, with the pause before every track but the
    // first (in frames) and the album's CD-TEXT.
    bool discAtOnce = false;
    int pauseFrames = 150;
    std::string albumTitle;
    std::string albumPerformer;
    std::vector<std::string> files;

    // Fills the options from argv; false with a one-line reason on bad usage.
    bool Parse(int argc, char** argv, std::string& error);
    static std::string HelpText();
};

}  // namespace quillstar
