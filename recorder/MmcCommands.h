#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "recorder/ScsiTransport.h"
#include "recorder/TableOfContents.h"

namespace quillstar {

// SetSpeed's "keep the device's current speed".
inline constexpr int kCurrentSpeed = -1;

// The drive commands the recording engine needs, one operation each. Every
// operation returns the transport's result (0 = success) and writes its
// outputs only on success unless its comment says otherwise.
class MmcCommands {
public:
    explicit MmcCommands(ScsiTransport& transport);

    ScsiTransport& Transport() const { return transport_; }

    // INQUIRY: vendor, product, revision, vendor-specific bytes and the name
    // "vendor product", each text with its runs of spaces collapsed.
    int ReadDeviceName(DeviceInfo& device);
    // Disc status 6 (empty), 7 (open) or 8 (closed); a reply with status 3
    // leaves the caller's value. Disc kind 1 is a write-once disc.
    int ReadDiscInformation(const DeviceInfo& device, int& discKind, int& discStatus);
    // The last possible lead-out start: minutes, seconds, and its frames
    // times 2048 as capacity. FF:FF:FF gives capacity 0 and leaves minutes
    // and seconds.
    int ReadDiscCapacity(const DeviceInfo& device, int64_t& capacity, int& minutes, int& seconds);
    // MODE SENSE(10) of one page into the page buffer; -38 when the reply
    // holds no page.
    int GetModePage(const DeviceInfo& device, uint8_t pageCode, std::span<uint8_t> page, uint8_t* header,
                    uint8_t* blockDescriptor);
    // MODE SENSE(10) of every page into a 256-byte reply.
    int SenseAllModePages(const DeviceInfo& device, uint8_t* reply);
    // MODE SELECT(10) of one page, with the header and block descriptor
    // when given.
    int SendModePage(const DeviceInfo& device, std::span<const uint8_t> page, const uint8_t* header,
                     const uint8_t* blockDescriptor);
    int TestUnitReady(const DeviceInfo& device, bool testReadDiscInfo);
    // Speeds in kB/s; kCurrentSpeed takes the device's current one.
    int SetSpeed(const DeviceInfo& device, int readSpeed = kCurrentSpeed, int writeSpeed = kCurrentSpeed);
    int PowerCalibration(const DeviceInfo& device);
    // The next writable address of a blank track whose address the drive
    // flags valid; -1 for any other track.
    int ReadTrackInformation(const DeviceInfo& device, int trackNumber, int32_t* nextWritableAddress);
    // Where the blank disc's lead-in starts (its ATIP time, before sector 0).
    int ReadLeadInStart(const DeviceInfo& device, int32_t& address);
    // SEND CUE SHEET: the layout of a session written at once.
    int SendCueSheet(const DeviceInfo& device, const std::vector<uint8_t>& sheet);
    int WriteBlock(const DeviceInfo& device, const uint8_t* data, int blocks, int length, int32_t address);
    int SynchronizeCache(const DeviceInfo& device);
    int CloseTrackOrSession(const DeviceInfo& device, bool session, int trackNumber);
    int Eject(const DeviceInfo& device, bool eject);
    // READ TOC format 0 of every track; a reply without tracks, without the
    // lead-out or with addresses out of order fails with kErrorOther.
    int ReadToc(const DeviceInfo& device, TableOfContents& toc);
    // READ CD of CD-DA sectors, user data only: blocks * 2352 bytes into data.
    int ReadCd(const DeviceInfo& device, int32_t address, int blocks, uint8_t* data);
    // PREVENT ALLOW MEDIUM REMOVAL: locks the tray (prevent) or frees it.
    int PreventMediumRemoval(const DeviceInfo& device, bool prevent);

private:
    // The standard disc information, as the three disc queries read it.
    static constexpr size_t kDiscInformationLength = 100;
    using DiscInformation = std::array<uint8_t, kDiscInformationLength>;
    int ReadDiscInformationReply(const DeviceInfo& device, DiscInformation& reply);

    ScsiTransport& transport_;
};

}  // namespace quillstar
