#include "platform/aspi/RecorderModePages.h"

#include <algorithm>

#include "platform/aspi/ScsiProtocol.h"

namespace quillstar {

namespace {

constexpr uint8_t kWriteParametersCode = 0x05;
constexpr uint8_t kCapabilitiesCode = 0x2A;
constexpr uint8_t kAllPages = 0x3F;
constexpr uint8_t kParametersSavable = 0x80;
constexpr uint8_t kSubpageFormat = 0x40;
constexpr size_t kHeaderLength = 8;
constexpr size_t kBlockDescriptorLength = 8;
constexpr size_t kCapabilitiesLength = 0x18 + 2;
constexpr int kTrackAtOnce = 1;
constexpr int kSessionAtOnce = 2;
constexpr int kRawBlocks = 0;
constexpr int kDefaultPause = 150;

bool IsValidDataBlockType(int type)
{
    return type <= 3 || (type >= 8 && type <= 13);
}

}  // namespace

RecorderModePages::RecorderModePages(const ImageRecorderOptions& options)
    : options_(options),
      writeParameters_(DefaultWriteParameters()),
      currentReadSpeed_(options.maxReadSpeed),
      currentWriteSpeed_(options.canWrite ? options.maxWriteSpeed : 0)
{
}

RecorderModePages::WriteParameters RecorderModePages::DefaultWriteParameters()
{
    // A drive wakes up set for track-at-once Mode 1 data, not for audio.
    WriteParameters page{};
    page[0] = kWriteParametersCode;
    page[1] = kWriteParametersLength - 2;
    page[2] = 0x40 | kTrackAtOnce;  // buffer underrun protection on
    page[3] = 0x04;                 // data track, uninterrupted
    page[4] = 8;                    // Mode 1, 2048-byte blocks
    big_endian::Put16(&page[14], kDefaultPause);
    return page;
}

RecorderModePages::WriteParameters RecorderModePages::ChangeableWriteParameters(bool testWrite)
{
    // The test-write bit only where the drive offers test writes.
    WriteParameters mask{};
    mask[2] = testWrite ? 0x7F : 0x6F;
    mask[3] = 0xFF;
    mask[4] = 0x0F;
    mask[5] = 0xFF;
    mask[7] = 0x3F;
    mask[8] = 0xFF;
    std::fill(mask.begin() + 10, mask.end(), 0xFF);
    return mask;
}

bool RecorderModePages::IsValidWriteParameters(const uint8_t* page)
{
    const int writeType = page[2] & 0x0F;
    const uint8_t sessionFormat = page[8];
    return writeType <= 3 && IsValidDataBlockType(page[4] & 0x0F) &&
           (sessionFormat == 0x00 || sessionFormat == 0x10 || sessionFormat == 0x20);
}

std::vector<uint8_t> RecorderModePages::WriteParametersPage(Control control) const
{
    WriteParameters page = control == Control::kCurrent   ? writeParameters_
                           : control == Control::kDefault ? DefaultWriteParameters()
                                                          : ChangeableWriteParameters(options_.canTestWrite);
    page[0] = kWriteParametersCode | kParametersSavable;
    page[1] = kWriteParametersLength - 2;
    return {page.begin(), page.end()};
}

std::vector<uint8_t> RecorderModePages::CapabilitiesPage(Control control) const
{
    std::vector<uint8_t> page(kCapabilitiesLength, 0);
    page[0] = kCapabilitiesCode;
    page[1] = kCapabilitiesLength - 2;
    if (control == Control::kChangeable)
        return page;
    const bool current = control == Control::kCurrent;
    page[2] = 0x07;                                                              // reads CD-R, CD-RW, Mode 2
    page[3] = options_.canWrite ? (options_.canTestWrite ? 0x07 : 0x03) : 0x00;  // writes CD-R, CD-RW, test write
    page[4] = options_.canWrite ? 0x80 : 0x00;                                   // buffer-underrun-free recording
    page[6] = 0x29;                                                              // tray, eject, lock
    big_endian::Put16(&page[8], options_.maxReadSpeed);
    big_endian::Put16(&page[12], options_.bufferKilobytes);
    big_endian::Put16(&page[14], current ? currentReadSpeed_ : options_.maxReadSpeed);
    if (options_.canWrite) {
        big_endian::Put16(&page[18], options_.maxWriteSpeed);
        big_endian::Put16(&page[20], current ? currentWriteSpeed_ : options_.maxWriteSpeed);
    }
    return page;
}

std::optional<std::vector<uint8_t>> RecorderModePages::Sense(uint8_t pageCode, Control control) const
{
    std::vector<uint8_t> reply(kHeaderLength, 0);
    const bool all = pageCode == kAllPages;
    bool found = false;
    if (all || pageCode == kWriteParametersCode) {
        const auto page = WriteParametersPage(control);
        reply.insert(reply.end(), page.begin(), page.end());
        found = true;
    }
    if ((all || pageCode == kCapabilitiesCode) && options_.capabilitiesPage) {
        const auto page = CapabilitiesPage(control);
        reply.insert(reply.end(), page.begin(), page.end());
        found = true;
    }
    if (!found)
        return std::nullopt;
    big_endian::Put16(&reply[0], static_cast<uint32_t>(reply.size() - 2));
    return reply;
}

ScsiOutcome RecorderModePages::Select(const uint8_t* list, size_t length)
{
    if (length < kHeaderLength)
        return ScsiOutcome::CheckCondition(scsi::kParameterListLengthError);
    // The mode data length and the bytes after the device-specific byte are
    // reserved when selecting.
    if (big_endian::Get16(&list[0]) != 0 || list[4] != 0 || list[5] != 0)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInParameterList);
    const size_t descriptors = big_endian::Get16(&list[6]);
    if (descriptors != 0 && descriptors != kBlockDescriptorLength)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInParameterList);

    WriteParameters selected = writeParameters_;
    const WriteParameters changeable = ChangeableWriteParameters(options_.canTestWrite);
    size_t offset = kHeaderLength + descriptors;
    if (offset > length)
        return ScsiOutcome::CheckCondition(scsi::kParameterListLengthError);
    while (offset < length) {
        const uint8_t* page = list + offset;
        if (length - offset < 2 || length - offset < static_cast<size_t>(page[1]) + 2)
            return ScsiOutcome::CheckCondition(scsi::kParameterListLengthError);
        // The savable bit is reserved here; subpages and other pages cannot be set.
        if ((page[0] & (kParametersSavable | kSubpageFormat)) != 0 || page[0] != kWriteParametersCode ||
            page[1] != kWriteParametersLength - 2)
            return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInParameterList);
        for (size_t i = 2; i < kWriteParametersLength; ++i) {
            if ((page[i] & ~changeable[i]) != (selected[i] & ~changeable[i]))
                return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInParameterList);
        }
        if (!IsValidWriteParameters(page))
            return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInParameterList);
        std::copy_n(page + 2, kWriteParametersLength - 2, selected.begin() + 2);
        offset += kWriteParametersLength;
    }
    writeParameters_ = selected;
    return ScsiOutcome::Good();
}

void RecorderModePages::SetCurrentSpeeds(int readSpeed, int writeSpeed)
{
    currentReadSpeed_ = readSpeed;
    currentWriteSpeed_ = writeSpeed;
}

bool RecorderModePages::SelectsTrackAtOnceAudio() const
{
    const bool audio = (writeParameters_[3] & 0x0C) == 0;  // neither data nor four channels
    return (writeParameters_[2] & 0x0F) == kTrackAtOnce && audio && (writeParameters_[4] & 0x0F) == kRawBlocks;
}

bool RecorderModePages::SelectsSessionAtOnce() const
{
    return (writeParameters_[2] & 0x0F) == kSessionAtOnce;
}

bool RecorderModePages::TestWrite() const
{
    return (writeParameters_[2] & 0x10) != 0;
}

int RecorderModePages::PauseSectors() const
{
    return big_endian::Get16(&writeParameters_[14]);
}

uint8_t RecorderModePages::TrackMode() const
{
    return writeParameters_[3] & 0x0F;
}

}  // namespace quillstar
