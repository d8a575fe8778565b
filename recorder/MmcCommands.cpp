#include "recorder/MmcCommands.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/Trace.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "resources/RecorderTexts.h"

namespace quillstar {

using namespace recorder;

namespace {

constexpr size_t kInquiryLength = 100;
constexpr size_t kModeSenseExtra = 108;
constexpr size_t kAllPagesLength = 256;
constexpr size_t kUnitReadyBufferLength = 256;
constexpr size_t kTrackInformationLength = 16;
constexpr size_t kModeHeaderLength = 8;
constexpr size_t kBlockDescriptorLength = 8;
constexpr size_t kNameLength = 64;
// The header and 99 tracks and the lead-out of 8 bytes each.
constexpr size_t kTocLength = 4 + 100 * 8;
constexpr uint8_t kLeadOutTrack = 0xAA;
constexpr uint8_t kDataTrackControl = 0x04;
// Expected sector type CD-DA; user data only.
constexpr uint8_t kCdDaSectors = 0x04;
constexpr uint8_t kUserDataOnly = 0x10;
constexpr uint32_t kReadTimeout = 30000;

using Cdb = std::array<uint8_t, 12>;

// The field's text up to its first zero byte, each run of spaces cut to one.
std::string CollapsedText(const uint8_t* field, size_t length)
{
    std::string text(reinterpret_cast<const char*>(field), strnlen(reinterpret_cast<const char*>(field), length));
    for (size_t at = text.find("  "); at != std::string::npos; at = text.find("  "))
        text.erase(at, 1);
    return text;
}

int DiscKind(uint8_t discType, bool erasable, int discStatus)
{
    switch (discType) {
    case 0x00:
        if (erasable)
            return 0;
        return discStatus == kDiscEmpty ? 1 : 2;
    case 0xFF:
        return discStatus == kDiscEmpty ? 1 : 2;
    case 0x10:
        return 3;
    case 0x20:
        return 4;
    default:
        return 5;
    }
}

// The tracks and lead-out of a format 0 reply, or false when it makes no sense.
bool ParseToc(const uint8_t* reply, TableOfContents& toc)
{
    const size_t length = std::min<size_t>(big_endian::Get16(reply) + 2, kTocLength);
    toc = {};
    for (size_t at = 4; at + 8 <= length; at += 8) {
        const uint8_t* descriptor = &reply[at];
        const auto address = static_cast<int32_t>(big_endian::Get32(&descriptor[4]));
        const bool ordered = toc.tracks.empty() || address > toc.tracks.back().start;
        if (!ordered || address < 0)
            return false;
        if (descriptor[2] == kLeadOutTrack) {
            toc.leadOut = address;
            return !toc.tracks.empty();
        }
        toc.tracks.push_back({descriptor[2], address, (descriptor[1] & kDataTrackControl) == 0});
    }
    return false;
}

}  // namespace

MmcCommands::MmcCommands(ScsiTransport& transport) : transport_(transport) {}

int MmcCommands::ReadDiscInformationReply(const DeviceInfo& device, DiscInformation& reply)
{
    Cdb cdb{scsi::kReadDiscInformation};
    cdb[8] = kDiscInformationLength;
    return transport_.ExecuteCommand(device, 10, cdb.data(), kShortCommandTimeout, reply.data(), reply.size(), kDataIn);
}

int MmcCommands::ReadDeviceName(DeviceInfo& device)
{
    Trace("ReadDeviceName\n");
    Cdb cdb{scsi::kInquiry};
    cdb[4] = kInquiryLength;
    std::array<uint8_t, kInquiryLength> reply{};
    const int error =
        transport_.ExecuteCommand(device, 6, cdb.data(), kShortCommandTimeout, reply.data(), reply.size(), kDataIn);
    if (error != 0)
        return error;
    device.vendor = CollapsedText(&reply[8], 8);
    device.product = CollapsedText(&reply[16], 16);
    device.revision = CollapsedText(&reply[32], 4);
    // The vendor-specific bytes are kept as text too, collapsed like the rest.
    const std::string vendorSpecific = CollapsedText(&reply[36], 20);
    device.vendorSpecific.fill(0);
    std::copy(vendorSpecific.begin(), vendorSpecific.end(), device.vendorSpecific.begin());
    device.name = (device.vendor + " " + device.product).substr(0, kNameLength);
    return 0;
}

int MmcCommands::ReadDiscInformation(const DeviceInfo& device, int& discKind, int& discStatus)
{
    Trace("ReadDiscInformation\n");
    DiscInformation reply{};
    if (const int error = ReadDiscInformationReply(device, reply); error != 0)
        return error;
    switch (reply[2] & 0x03) {
    case 0:
        Trace("Empty CD\n");
        discStatus = kDiscEmpty;
        break;
    case 1:
        Trace("Open CD\n");
        discStatus = kDiscOpen;
        break;
    case 2:
        Trace("Closed CD\n");
        discStatus = kDiscClosed;
        break;
    default:
        break;
    }
    discKind = DiscKind(reply[8], (reply[2] & 0x10) != 0, discStatus);
    return 0;
}

int MmcCommands::ReadDiscCapacity(const DeviceInfo& device, int64_t& capacity, int& minutes, int& seconds)
{
    Trace("ReadDiscCapacity\n");
    DiscInformation reply{};
    if (const int error = ReadDiscInformationReply(device, reply); error != 0)
        return error;
    const uint8_t m = reply[21];
    const uint8_t s = reply[22];
    const uint8_t f = reply[23];
    if (m == 0xFF && s == 0xFF && f == 0xFF) {
        capacity = 0;
        return 0;
    }
    minutes = m;
    seconds = s;
    capacity = (int64_t{m} * 4500 + s * 75 + f) * 2048;
    return 0;
}

int MmcCommands::GetModePage(const DeviceInfo& device, uint8_t pageCode, std::span<uint8_t> page, uint8_t* header,
                             uint8_t* blockDescriptor)
{
    Trace("Get mode page called\n");
    const size_t length = page.size() + kModeSenseExtra;
    std::vector<uint8_t> reply(length, 0);
    Cdb cdb{scsi::kModeSense10};
    cdb[2] = pageCode & 0x3F;
    big_endian::Put16(&cdb[7], static_cast<uint32_t>(length));
    const int error = transport_.ExecuteCommand(device, 10, cdb.data(), kShortCommandTimeout, reply.data(),
                                                static_cast<uint32_t>(length), kDataIn);
    if (error != 0)
        return error;
    std::memcpy(header, reply.data(), kModeHeaderLength);
    const size_t descriptorLength = big_endian::Get16(&reply[6]);
    const size_t dataLength = big_endian::Get16(&reply[0]);
    if (descriptorLength >= kBlockDescriptorLength)
        std::memcpy(blockDescriptor, &reply[8], kBlockDescriptorLength);
    else
        std::memset(blockDescriptor, 0, kBlockDescriptorLength);
    const size_t pageStart = kModeHeaderLength + descriptorLength;
    // A descriptor length that points past the reply counts as no page.
    if (descriptorLength + 6 >= dataLength || pageStart + 2 > length) {
        Trace("No mode page data received.\n");
        return kErrorNoModePage;
    }
    const size_t pageLength = std::min({page.size(), size_t{reply[pageStart + 1]} + 2, length - pageStart});
    std::memcpy(page.data(), &reply[pageStart], pageLength);
    return 0;
}

int MmcCommands::SenseAllModePages(const DeviceInfo& device, uint8_t* reply)
{
    Cdb cdb{scsi::kModeSense10};
    cdb[2] = 0x3F;
    big_endian::Put16(&cdb[7], kAllPagesLength);
    return transport_.ExecuteCommand(device, 12, cdb.data(), kShortCommandTimeout, reply, kAllPagesLength, kDataIn);
}

int MmcCommands::SendModePage(const DeviceInfo& device, std::span<const uint8_t> page, const uint8_t* header,
                              const uint8_t* blockDescriptor)
{
    Trace("SendModePage\n");
    const size_t pageLength = std::min(size_t{page[1]} + 2, page.size());
    const size_t pageStart = kModeHeaderLength + (blockDescriptor ? kBlockDescriptorLength : 0);
    std::vector<uint8_t> list(pageStart + pageLength, 0);
    if (header)
        std::memcpy(list.data(), header, kModeHeaderLength);
    big_endian::Put16(&list[0], 0);
    big_endian::Put16(&list[4], 0);
    big_endian::Put16(&list[6], blockDescriptor ? kBlockDescriptorLength : 0);
    if (blockDescriptor)
        std::memcpy(&list[8], blockDescriptor, kBlockDescriptorLength);
    std::memcpy(&list[pageStart], page.data(), pageLength);
    Cdb cdb{scsi::kModeSelect10};
    cdb[1] = 0x10;
    big_endian::Put16(&cdb[7], static_cast<uint32_t>(list.size()));
    return transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, list.data(), static_cast<uint32_t>(list.size()),
                                     kDataOut);
}

int MmcCommands::TestUnitReady(const DeviceInfo& device, bool testReadDiscInfo)
{
    Trace("TestUnitReady. bTestReadDiscInfo=%lu\n", static_cast<unsigned long>(testReadDiscInfo));
    std::array<uint8_t, kUnitReadyBufferLength> buffer{};
    Cdb unitReady{scsi::kTestUnitReady};
    int error =
        transport_.ExecuteCommand(device, 12, unitReady.data(), kInfinite, buffer.data(), buffer.size(), kDataIn);
    if (error != 0) {
        Trace("TestUnitReady 0x00 failed\n");
        return error;
    }
    if (!testReadDiscInfo) {
        Trace("TestUnitReady: User doesn't require disc check\n");
        return 0;
    }
    Cdb discInformation{scsi::kReadDiscInformation};
    discInformation[8] = 4;
    error =
        transport_.ExecuteCommand(device, 10, discInformation.data(), kInfinite, buffer.data(), buffer.size(), kDataIn);
    if (error != 0) {
        Trace("TestUnitReady 0x51 also failed\n");
        return error;
    }
    return 0;
}

int MmcCommands::SetSpeed(const DeviceInfo& device, int readSpeed, int writeSpeed)
{
    if (readSpeed == kCurrentSpeed)
        readSpeed = device.CurRead;
    if (writeSpeed == kCurrentSpeed)
        writeSpeed = device.CurWrite;
    Trace("SetSpeed. WriteSpeed=%lu\n", static_cast<unsigned long>(writeSpeed));
    Cdb cdb{scsi::kSetSpeed};
    big_endian::Put16(&cdb[2], static_cast<uint32_t>(readSpeed));
    big_endian::Put16(&cdb[4], static_cast<uint32_t>(writeSpeed));
    Trace("SetSpeed. About to exec command\n");
    return transport_.ExecuteCommand(device, 12, cdb.data(), kInfinite, nullptr, 0, kNoData);
}

int MmcCommands::PowerCalibration(const DeviceInfo& device)
{
    Cdb cdb{scsi::kSendOpcInformation};
    cdb[1] = 0x01;
    return transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, nullptr, 0, kNoData);
}

int MmcCommands::ReadTrackInformation(const DeviceInfo& device, int trackNumber, int32_t* nextWritableAddress)
{
    Cdb cdb{scsi::kReadTrackInformation};
    cdb[1] = 0x01;
    big_endian::Put32(&cdb[2], static_cast<uint32_t>(trackNumber));
    big_endian::Put16(&cdb[7], kTrackInformationLength);
    std::array<uint8_t, kTrackInformationLength> reply{};
    const int error = transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, reply.data(), reply.size(), kDataIn);
    if (error != 0 || nextWritableAddress == nullptr)
        return error;
    *nextWritableAddress = -1;
    const bool blank = (reply[6] & 0x40) != 0;
    const bool addressValid = (reply[7] & 0x01) != 0;
    const bool reservedOrPacket = (reply[6] & 0xB0) != 0;
    if (blank && addressValid && !reservedOrPacket)
        *nextWritableAddress = static_cast<int32_t>(big_endian::Get32(&reply[12]));
    return 0;
}

int MmcCommands::ReadLeadInStart(const DeviceInfo& device, int32_t& address)
{
    DiscInformation reply{};
    if (const int error = ReadDiscInformationReply(device, reply); error != 0)
        return error;
    // Minutes from 90 on count back from the start of the disc's time.
    const int32_t frames = (reply[17] * 60 + reply[18]) * 75 + reply[19];
    address = frames - (reply[17] >= 90 ? cd::kLeadInTimeWrap : kFirstTrackOffsetFrames);
    return 0;
}

int MmcCommands::SendCueSheet(const DeviceInfo& device, const std::vector<uint8_t>& sheet)
{
    Trace("SendCueSheet. %lu entries\n", static_cast<unsigned long>(sheet.size() / 8));
    Cdb cdb{scsi::kSendCueSheet};
    cdb[6] = static_cast<uint8_t>(sheet.size() >> 16);
    big_endian::Put16(&cdb[7], static_cast<uint32_t>(sheet.size()));
    return transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, const_cast<uint8_t*>(sheet.data()),
                                     static_cast<uint32_t>(sheet.size()), kDataOut);
}

int MmcCommands::WriteBlock(const DeviceInfo& device, const uint8_t* data, int blocks, int length, int32_t address)
{
    Trace("\nEntering CSCSI::WriteBlock: ");
    Cdb cdb{scsi::kWrite10};
    big_endian::Put32(&cdb[2], static_cast<uint32_t>(address));
    big_endian::Put16(&cdb[7], static_cast<uint32_t>(blocks));
    // A data-out command only reads the buffer.
    const int error = transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, const_cast<uint8_t*>(data),
                                                static_cast<uint32_t>(length), kDataOut);
    if (error != 0)
        Trace("WriteBlock failed with return value=%d\n", error);
    else
        Trace("WriteBlock successed");
    return error;
}

int MmcCommands::SynchronizeCache(const DeviceInfo& device)
{
    Trace("SynchronizeCache\n");
    Cdb cdb{scsi::kSynchronizeCache};
    const int error = transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, nullptr, 0, kNoData);
    Trace(error != 0 ? "Sync cache command FAILED!\n" : "Sync cache command went OK!\n");
    return error;
}

int MmcCommands::CloseTrackOrSession(const DeviceInfo& device, bool session, int trackNumber)
{
    Trace("CloseTrackOrSession\n");
    Cdb cdb{scsi::kCloseTrackOrSession};
    cdb[2] = session ? 0x02 : 0x01;
    cdb[5] = session ? 0 : static_cast<uint8_t>(trackNumber);
    const int error = transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, nullptr, 0, kNoData);
    if (error != 0)
        Trace(session ? "Close session command failed!\n" : "Close track command failed!\n");
    else
        Trace("Close track command went OK!\n");
    return error;
}

int MmcCommands::Eject(const DeviceInfo& device, bool eject)
{
    Trace("Eject called. Value=%lu\n", static_cast<unsigned long>(eject));
    Cdb cdb{scsi::kStartStopUnit};
    cdb[1] = 0x01;
    cdb[4] = eject ? 0x02 : 0x03;
    return transport_.ExecuteCommand(device, 10, cdb.data(), kInfinite, nullptr, 0, kNoData);
}

int MmcCommands::ReadToc(const DeviceInfo& device, TableOfContents& toc)
{
    Cdb cdb{scsi::kReadToc};
    big_endian::Put16(&cdb[7], kTocLength);
    std::array<uint8_t, kTocLength> reply{};
    const int error =
        transport_.ExecuteCommand(device, 10, cdb.data(), kShortCommandTimeout, reply.data(), reply.size(), kDataIn);
    if (error != 0)
        return error;
    TableOfContents read;
    if (!ParseToc(reply.data(), read)) {
        Trace("ReadToc: the table of contents lists no track, no lead-out or addresses out of order\n");
        return kErrorOther;
    }
    toc = std::move(read);
    return 0;
}

int MmcCommands::ReadCd(const DeviceInfo& device, int32_t address, int blocks, uint8_t* data)
{
    Cdb cdb{scsi::kReadCd, kCdDaSectors};
    big_endian::Put32(&cdb[2], static_cast<uint32_t>(address));
    cdb[6] = static_cast<uint8_t>(blocks >> 16);
    big_endian::Put16(&cdb[7], static_cast<uint32_t>(blocks));
    cdb[9] = kUserDataOnly;
    const int error = transport_.ExecuteCommand(device, 12, cdb.data(), kReadTimeout, data,
                                                static_cast<uint32_t>(blocks) * cd::kSectorSize, kDataIn);
    if (error != 0)
        Trace("ReadCd of %d sectors at %d failed: %d\n", blocks, address, error);
    return error;
}

int MmcCommands::PreventMediumRemoval(const DeviceInfo& device, bool prevent)
{
    Trace("PreventMediumRemoval. Value=%lu\n", static_cast<unsigned long>(prevent));
    Cdb cdb{scsi::kPreventAllowMediumRemoval};
    cdb[4] = prevent ? 0x01 : 0x00;
    return transport_.ExecuteCommand(device, 6, cdb.data(), kShortCommandTimeout, nullptr, 0, kNoData);
}

}  // namespace quillstar
