#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "platform/aspi/Aspi.h"
#include "platform/aspi/AspiLayer.h"
#include "platform/aspi/ScsiSense.h"

namespace quillstar {

// Talks to an ASPI layer the way the burner's transport does: a zeroed
// execute block per command, sense length 14, a completion event, the CDB
// lengths and directions the burner uses.
class TestBurner {
public:
    using SendFunction = std::function<uint32_t(void*)>;

    TestBurner(SendFunction send, uint8_t adapter);
    // A layer holding only an image recorder writing to imagePath.
    static TestBurner ForImageRecorder(const std::string& imagePath, const std::string& options = "");

    SRB_ExecSCSICmd Execute(std::initializer_list<uint8_t> cdb, uint8_t cdbLength, uint8_t direction,
                            void* buffer = nullptr, uint32_t length = 0);
    SRB_ExecSCSICmd Execute(const std::vector<uint8_t>& cdb, uint8_t direction, void* buffer = nullptr,
                            uint32_t length = 0);

    SRB_ExecSCSICmd Inquiry(std::vector<uint8_t>& data);
    SRB_ExecSCSICmd SenseAllPages(std::vector<uint8_t>& reply);
    SRB_ExecSCSICmd SensePage(uint8_t page, std::vector<uint8_t>& reply);
    // Senses page 0x05 and selects it back changed as the writer changes it:
    // track-at-once, raw 2352-byte audio, buffer underrun protection, a pause.
    SRB_ExecSCSICmd SelectTrackAtOnceAudio(int pauseSectors = 150);
    // The same for a session written at once (write type 2).
    SRB_ExecSCSICmd SelectSessionAtOnce() { return SelectAudioWriting(0x02, 150); }
    SRB_ExecSCSICmd SendCueSheet(const std::vector<uint8_t>& sheet);
    SRB_ExecSCSICmd SelectWriteParameters(const std::vector<uint8_t>& page);
    SRB_ExecSCSICmd ReadDiscInformation(std::vector<uint8_t>& data, uint16_t allocation = 100);
    SRB_ExecSCSICmd ReadTrackInformation(uint32_t track, std::vector<uint8_t>& data);
    // The next writable address of a track, or -1 when none is flagged.
    int64_t NextWritableAddress(uint32_t track);
    SRB_ExecSCSICmd Write(int32_t address, const uint8_t* data, uint16_t blocks, uint32_t length);
    SRB_ExecSCSICmd SynchronizeCache();
    SRB_ExecSCSICmd CloseTrack(int track);
    SRB_ExecSCSICmd CloseSession();
    SRB_ExecSCSICmd TestUnitReady();
    SRB_ExecSCSICmd SetSpeed(uint16_t readSpeed, uint16_t writeSpeed);
    SRB_ExecSCSICmd SendOpc();
    SRB_ExecSCSICmd Eject();
    SRB_ExecSCSICmd ReadToc(std::vector<uint8_t>& data, bool minutesSecondsFrames = false, uint8_t firstTrack = 0);
    // READ CD of CD-DA sectors, user data only.
    SRB_ExecSCSICmd ReadCd(int32_t address, uint32_t blocks, std::vector<uint8_t>& data);

    // Writes one track as the writer does: page 0x05, the address READ TRACK
    // INFORMATION gives, 16-sector WRITEs with the last one padded to whole
    // sectors, SYNCHRONIZE CACHE, CLOSE TRACK. True when every step succeeded.
    bool BurnTrack(int track, const std::vector<uint8_t>& audio);
    // Closes the session and waits for the drive as the writer does.
    bool FinishDisc();

    AspiLayer* Layer() const { return layer_.get(); }

private:
    SRB_ExecSCSICmd SelectAudioWriting(uint8_t writeType, int pauseSectors);

    std::shared_ptr<AspiLayer> layer_;
    SendFunction send_;
    uint8_t adapter_;
};

bool IsGood(const SRB_ExecSCSICmd& block);
scsi::SenseCode SenseOf(const SRB_ExecSCSICmd& block);
// Deterministic audio bytes, different for each seed.
std::vector<uint8_t> TestAudio(size_t bytes, unsigned seed);

namespace scsi {
bool operator==(const SenseCode& a, const SenseCode& b);
std::ostream& operator<<(std::ostream& stream, const SenseCode& code);
}  // namespace scsi

}  // namespace quillstar
