#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TemporaryFolder.h"
#include "platform/DynamicLibrary.h"
#include "recorder/AspiLibrary.h"

namespace quillstar::test {

// What a burn left on a disc, as a disc-image reader sees it.
struct BurnedDisc {
    struct Track {
        int number = 0;
        // Silence before the track's audio (index 0), in sectors.
        int pauseSectors = 0;
        std::vector<uint8_t> audio;
    };
    bool sessionClosed = false;
    std::vector<Track> tracks;
};

// A closed disc as an image and its CUE sheet hold it: each track's audio
// runs from its INDEX 01 to the next track's pause (or the image's end).
BurnedDisc ReadBurnedDisc(const std::string& imagePath, const std::string& cuePath);

// The real libwnaspi32.so from beside the test program, loaded afresh with
// the real drives hidden: the image recorder with the given test options,
// burning into a folder of its own, is its only drive (or there is no
// adapter at all). While the rig lives, bindings from Library() share its
// copy of the layer; once they are all gone the layer is unloaded, so the
// next rig starts anew with other options. Built for the test drive, the
// recorder is that drive instead, reached through SG_IO.
class ImageRig {
public:
    explicit ImageRig(const std::string& options = "", bool withRecorder = true);
    ~ImageRig();
    ImageRig(const ImageRig&) = delete;
    ImageRig& operator=(const ImageRig&) = delete;

    // How the engine's loader reaches the layer: by its path beside the program.
    static AspiLibrary Library() { return AspiLibrary::BesideProgram(); }
    // The last disc burned; no track and an open session when there is none.
    BurnedDisc Disc() const;
    // The image of the rig's first burn.
    std::string ImagePath() const { return folder_.File("disc.bin"); }
    // Every file in the folder, hidden ones (unfinished images) included.
    std::vector<std::string> Files() const;

private:
    TemporaryFolder folder_;
    DynamicLibrary library_;
};

}  // namespace quillstar::test
