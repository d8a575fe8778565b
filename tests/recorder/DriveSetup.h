#pragma once

#include <cstdint>
#include <string>

namespace quillstar::test {

// What the burn and discovery tests ask of a drive: its disc, its identity
// and speeds, and the faults it injects. The image rig turns a setup into the
// image recorder's test options; a name of its own, a lead-out start other
// than a whole minute's and busy answers per WRITE only the simulated drive
// has (the image recorder is busy only as its throttle makes it).
struct DriveSetup {
    enum class Disc { Blank, Appendable, Closed, Missing };

    std::string vendor = "QUILLSTR";
    std::string product = "SIMULATED DRIVE";
    bool inquiryFails = false;
    bool capabilitiesPage = true;
    bool writesCdR = true;
    bool writesCdRw = true;
    int maxReadSpeed = 7056;
    int maxWriteSpeed = 1412;
    // Reported as the current write speed after any SET SPEED, when nonzero.
    int forcedWriteSpeed = 0;

    Disc disc = Disc::Blank;
    bool rewritable = false;
    // Last possible lead-out start, in frames (79:59:74 on an 80-minute disc).
    int leadOutFrames = 79 * 4500 + 59 * 75 + 74;
    bool capacityUnknown = false;

    // WRITE commands from number failFromWrite (counting from 1) on fail,
    // writeFailures of them in a row, with this sense key.
    int failFromWrite = 0;
    int writeFailures = 0;
    uint8_t writeFailureSenseKey = 0x03;
    // Every WRITE is answered NOT READY, long write in progress, this many
    // times before the drive takes it: a host outpacing the drive's speed.
    int busyAnswersPerWrite = 0;
    // TEST UNIT READY answers NOT READY this many times after CLOSE SESSION.
    int notReadyPollsAfterClose = 0;
};

}  // namespace quillstar::test
