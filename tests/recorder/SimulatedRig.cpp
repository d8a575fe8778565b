#include "tests/recorder/SimulatedRig.h"

namespace quillstar::test {

SimulatedRig::SimulatedRig(const DriveSetup& setup) : drive_(setup)
{
    aspi_.Attach(aspi_.AddAdapter(), 0, 0, &drive_);
}

std::unique_ptr<BurnRig> MakeBurnRig(const DriveSetup& setup)
{
    return std::make_unique<SimulatedRig>(setup);
}

}  // namespace quillstar::test
