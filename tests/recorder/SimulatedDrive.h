#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "tests/recorder/BurnedDisc.h"
#include "tests/recorder/DriveSetup.h"
#include "tests/recorder/FakeDevice.h"

namespace quillstar::test {

// A CD-R/RW writer with a disc, strict the way real drives are: a WRITE must
// come after page 0x05 selected track-at-once audio, at the next writable
// address, with blocks x 2352 bytes; a track is closed by its own number and
// only with at least 300 sectors; a session only with a track. Track-at-once
// layout: track 1 at LBA 0, each later track after the page's pause.
class SimulatedDrive : public FakeDevice {
public:
    explicit SimulatedDrive(DriveSetup setup = {});

    void Execute(SRB_ExecSCSICmd& block) override;

    // The next command with this opcode waits until Release.
    void HoldNext(uint8_t opcode);
    bool WaitUntilHeld();
    void Release();

    // Every CDB received, in order.
    std::vector<std::vector<uint8_t>> Commands() const;
    std::vector<uint8_t> Opcodes() const;
    // The last disc ejected, or the one in the drive when none was.
    BurnedDisc Disc() const;
    int Ejects() const;

private:
    struct Sense {
        uint8_t key;
        uint8_t asc;
        uint8_t ascq;
    };
    using Result = std::optional<Sense>;

    Result Dispatch(SRB_ExecSCSICmd& block);
    Result Inquiry(SRB_ExecSCSICmd& block);
    Result ModeSense(SRB_ExecSCSICmd& block);
    Result ModeSelect(SRB_ExecSCSICmd& block);
    Result TestUnitReady();
    Result ReadDiscInformation(SRB_ExecSCSICmd& block);
    Result SetSpeed(const uint8_t* cdb);
    Result ReadTrackInformation(SRB_ExecSCSICmd& block);
    Result Write(SRB_ExecSCSICmd& block);
    Result Close(const uint8_t* cdb);
    Result StartStop(const uint8_t* cdb);
    Result NeedsDisc() const;
    std::vector<uint8_t> WritePage() const;
    std::vector<uint8_t> CapabilitiesPage() const;
    int OpenTrackNumber() const;
    void LoadBlankDisc();

    DriveSetup setup_;
    mutable std::mutex mutex_;
    std::condition_variable held_;
    int holdOpcode_ = -1;
    bool holding_ = false;
    std::vector<std::vector<uint8_t>> commands_;
    std::array<uint8_t, 52> page05_{};
    bool trackAtOnceAudio_ = false;
    int currentRead_ = 0;
    int currentWrite_ = 0;
    DriveSetup::Disc discState_;
    BurnedDisc disc_;
    BurnedDisc::Track openTrack_;
    int openSectors_ = 0;
    int nextWritable_ = 0;
    int pendingPause_ = 0;
    int writes_ = 0;
    int busyLeft_ = 0;
    int closePollsLeft_ = 0;
    std::optional<BurnedDisc> ejected_;
    int ejects_ = 0;
};

}  // namespace quillstar::test
