#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/aspi/TemporaryFolder.h"
#include "tests/recorder/BurnRig.h"
#include "tests/recorder/LoadedAspiLayer.h"

namespace quillstar::test {

// The image recorder of the real libwnaspi32.so as the only drive, burning
// into a folder of its own; the disc is read back from the image and CUE
// sheet its closed session left there.
class ImageRig : public BurnRig {
public:
    // moreOptions: test options the setup has no field for ("throttle", ...).
    explicit ImageRig(const DriveSetup& setup = {}, const std::string& moreOptions = "");

    AspiLibrary Library() override { return LoadedAspiLayer::Library(); }
    // The last image written; no track and an open session when there is none.
    BurnedDisc Disc() override;

    // The image of the rig's first burn.
    std::string ImagePath() const { return folder_.File("disc.bin"); }
    // The bytes of the image of the rig's first burn.
    std::vector<uint8_t> Image() const;
    // Every file in the folder, hidden ones (unfinished images) included.
    std::vector<std::string> Files() const override;
    void ExpectImageOf(const std::vector<std::vector<uint8_t>>& tracks) const override;

    // The recorder's test options for a setup.
    static std::string Options(const DriveSetup& setup);

private:
    TemporaryFolder folder_;
    LoadedAspiLayer layer_;
};

}  // namespace quillstar::test
