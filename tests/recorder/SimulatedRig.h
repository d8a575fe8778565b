#pragma once

#include "tests/recorder/BurnRig.h"
#include "tests/recorder/FakeAspi.h"
#include "tests/recorder/SimulatedDrive.h"

namespace quillstar::test {

// The simulated drive alone on the fake ASPI bus.
class SimulatedRig : public BurnRig {
public:
    explicit SimulatedRig(const DriveSetup& setup);

    AspiLibrary Library() override { return aspi_.Library(); }
    BurnedDisc Disc() override { return drive_.Disc(); }
    SimulatedDrive& Drive() { return drive_; }

private:
    FakeAspi aspi_;
    SimulatedDrive drive_;
};

}  // namespace quillstar::test
