#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recorder/AspiLibrary.h"
#include "tests/recorder/BurnedDisc.h"
#include "tests/recorder/DriveSetup.h"

namespace quillstar::test {

// The drive the burn tests burn on, behind one face: the simulated drive, or
// the image recorder of the real libwnaspi32.so (whose CUE sheet and BIN are
// read back).
class BurnRig {
public:
    virtual ~BurnRig() = default;
    // How a writer reaches the rig's single drive (adapter 0, target 0).
    virtual AspiLibrary Library() = 0;
    // The disc as the burn left it.
    virtual BurnedDisc Disc() = 0;
    // The files the burn left behind: the image rig's images and CUE sheets.
    virtual std::vector<std::string> Files() const { return {}; }
    // What only an image shows of a closed disc holding these tracks (whole
    // sectors each): the silence of the pauses between them.
    virtual void ExpectImageOf(const std::vector<std::vector<uint8_t>>& /*tracks*/) const {}
};

// A rig with one drive set up as asked: each test program links the maker
// of its own kind of rig.
std::unique_ptr<BurnRig> MakeBurnRig(const DriveSetup& setup);

}  // namespace quillstar::test
