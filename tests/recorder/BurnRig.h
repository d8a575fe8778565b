#pragma once

#include <memory>

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
};

// A rig with one drive set up as asked: each test program links the maker
// of its own kind of rig.
std::unique_ptr<BurnRig> MakeBurnRig(const DriveSetup& setup);

}  // namespace quillstar::test
