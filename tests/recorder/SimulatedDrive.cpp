#include "tests/recorder/SimulatedDrive.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/aspi/ScsiProtocol.h"

namespace quillstar::test {

namespace {

constexpr int kSector = 2352;
constexpr int kFirstTrackOffset = 150;
constexpr int kMinimumTrackSectors = 300;

constexpr uint8_t kNotReady = 0x02;
constexpr uint8_t kIllegalRequest = 0x05;

using big_endian::Get16;
using big_endian::Put16;
using big_endian::Put32;

// Addresses before the first track's start are negative.
int32_t Get32(const uint8_t* at)
{
    return static_cast<int32_t>(big_endian::Get32(at));
}

void PutText(uint8_t* at, const std::string& text, size_t width)
{
    std::memset(at, ' ', width);
    std::memcpy(at, text.data(), std::min(text.size(), width));
}

// The CDB length a command needs at least, from its opcode group.
int NaturalLength(uint8_t opcode)
{
    switch (opcode >> 5) {
    case 0:
        return 6;
    case 5:
        return 12;
    default:
        return 10;
    }
}

void Reply(SRB_ExecSCSICmd& block, const std::vector<uint8_t>& data, int allocation)
{
    const size_t length = std::min({data.size(), size_t(allocation), size_t(block.SRB_BufLen)});
    std::memcpy(block.SRB_BufPointer, data.data(), length);
}

}  // namespace

SimulatedDrive::SimulatedDrive(DriveSetup setup) : setup_(std::move(setup)), discState_(setup_.disc)
{
    page05_[0] = 0x05;
    page05_[1] = 0x32;
    page05_[2] = 0x02;  // session-at-once until the host selects otherwise
    page05_[3] = 0x04;
    page05_[4] = 0x08;
    Put16(&page05_[14], 150);
    currentRead_ = setup_.maxReadSpeed;
    currentWrite_ = setup_.maxWriteSpeed;
    busyLeft_ = setup_.busyAnswersPerWrite;
}

void SimulatedDrive::HoldNext(uint8_t opcode)
{
    std::lock_guard lock(mutex_);
    holdOpcode_ = opcode;
}

bool SimulatedDrive::WaitUntilHeld()
{
    std::unique_lock lock(mutex_);
    return held_.wait_for(lock, std::chrono::seconds(10), [this] { return holding_; });
}

void SimulatedDrive::Release()
{
    std::lock_guard lock(mutex_);
    holdOpcode_ = -1;
    held_.notify_all();
}

void SimulatedDrive::Execute(SRB_ExecSCSICmd& block)
{
    std::unique_lock lock(mutex_);
    if (block.CDBByte[0] == holdOpcode_) {
        holding_ = true;
        held_.notify_all();
        held_.wait(lock, [this] { return holdOpcode_ < 0; });
    }
    commands_.emplace_back(block.CDBByte, block.CDBByte + block.SRB_CDBLen);
    Result sense;
    if (block.SRB_CDBLen < NaturalLength(block.CDBByte[0]))
        sense = Sense{kIllegalRequest, 0x20, 0x00};
    else
        sense = Dispatch(block);
    std::memset(block.SenseArea, 0, sizeof block.SenseArea);
    if (!sense) {
        block.SRB_HaStat = 0;
        block.SRB_TargStat = 0;
        block.SRB_Status = SS_COMP;
        return;
    }
    block.SenseArea[0] = 0x70;
    block.SenseArea[2] = sense->key;
    block.SenseArea[7] = 6;
    block.SenseArea[12] = sense->asc;
    block.SenseArea[13] = sense->ascq;
    block.SRB_HaStat = 0;
    block.SRB_TargStat = STATUS_CHKCOND;
    block.SRB_Status = SS_ERR;
}

SimulatedDrive::Result SimulatedDrive::Dispatch(SRB_ExecSCSICmd& block)
{
    const uint8_t* cdb = block.CDBByte;
    switch (cdb[0]) {
    case 0x00:
        return TestUnitReady();
    case 0x12:
        return Inquiry(block);
    case 0x1B:
        return StartStop(cdb);
    case 0x2A:
        return Write(block);
    case 0x35:
    case 0x54:
        return NeedsDisc();
    case 0x51:
        return ReadDiscInformation(block);
    case 0x52:
        return ReadTrackInformation(block);
    case 0x55:
        return ModeSelect(block);
    case 0x5A:
        return ModeSense(block);
    case 0x5B:
        return Close(cdb);
    case 0xBB:
        return SetSpeed(cdb);
    default:
        return Sense{kIllegalRequest, 0x20, 0x00};
    }
}

SimulatedDrive::Result SimulatedDrive::NeedsDisc() const
{
    if (discState_ == DriveSetup::Disc::Missing)
        return Sense{kNotReady, 0x3A, 0x00};
    return std::nullopt;
}

SimulatedDrive::Result SimulatedDrive::Inquiry(SRB_ExecSCSICmd& block)
{
    if (setup_.inquiryFails)
        return Sense{0x04, 0x44, 0x00};
    std::vector<uint8_t> data(96, 0);
    data[0] = 0x05;
    data[4] = 91;
    PutText(&data[8], setup_.vendor, 8);
    PutText(&data[16], setup_.product, 16);
    PutText(&data[32], "1.00", 4);
    Reply(block, data, block.CDBByte[4]);
    return std::nullopt;
}

std::vector<uint8_t> SimulatedDrive::WritePage() const
{
    return {page05_.begin(), page05_.end()};
}

std::vector<uint8_t> SimulatedDrive::CapabilitiesPage() const
{
    std::vector<uint8_t> page(30, 0);
    page[0] = 0x2A;
    page[1] = 28;
    page[2] = 0x03;
    page[3] = static_cast<uint8_t>((setup_.writesCdR ? 0x01 : 0) | (setup_.writesCdRw ? 0x02 : 0) | 0x04);
    page[4] = 0x80;
    Put16(&page[8], setup_.maxReadSpeed);
    Put16(&page[12], 2048);
    Put16(&page[14], currentRead_);
    Put16(&page[18], setup_.writesCdR || setup_.writesCdRw ? setup_.maxWriteSpeed : 0);
    Put16(&page[20], setup_.writesCdR || setup_.writesCdRw ? currentWrite_ : 0);
    return page;
}

SimulatedDrive::Result SimulatedDrive::ModeSense(SRB_ExecSCSICmd& block)
{
    const uint8_t pageCode = block.CDBByte[2] & 0x3F;
    std::vector<uint8_t> data(8, 0);
    const auto append = [&](const std::vector<uint8_t>& page) { data.insert(data.end(), page.begin(), page.end()); };
    if (pageCode == 0x05 || pageCode == 0x3F)
        append(WritePage());
    if ((pageCode == 0x2A || pageCode == 0x3F) && setup_.capabilitiesPage)
        append(CapabilitiesPage());
    if (data.size() == 8)
        return Sense{kIllegalRequest, 0x24, 0x00};
    Put16(&data[0], static_cast<int>(data.size()) - 2);
    Reply(block, data, Get16(&block.CDBByte[7]));
    return std::nullopt;
}

SimulatedDrive::Result SimulatedDrive::ModeSelect(SRB_ExecSCSICmd& block)
{
    const uint8_t* list = block.SRB_BufPointer;
    const int length = Get16(&block.CDBByte[7]);
    if (!(block.SRB_Flags & SRB_DIR_OUT) || length != static_cast<int>(block.SRB_BufLen) || length < 10)
        return Sense{kIllegalRequest, 0x24, 0x00};
    const int pageStart = 8 + Get16(&list[6]);
    const uint8_t* page = list + pageStart;
    if (pageStart + 2 > length || (page[0] & 0x3F) != 0x05 || pageStart + page[1] + 2 > length || page[1] != page05_[1])
        return Sense{kIllegalRequest, 0x26, 0x00};
    std::memcpy(page05_.data(), page, page05_.size());
    const uint8_t trackMode = page[3] & 0x0F;
    trackAtOnceAudio_ = (page[2] & 0x0F) == 0x01 && (trackMode == 0x00 || trackMode == 0x02) && page[4] == 0x00;
    return std::nullopt;
}

SimulatedDrive::Result SimulatedDrive::TestUnitReady()
{
    if (Result missing = NeedsDisc())
        return missing;
    if (closePollsLeft_ > 0) {
        --closePollsLeft_;
        return Sense{kNotReady, 0x04, 0x07};
    }
    return std::nullopt;
}

SimulatedDrive::Result SimulatedDrive::ReadDiscInformation(SRB_ExecSCSICmd& block)
{
    if (Result missing = NeedsDisc())
        return missing;
    if (closePollsLeft_ > 0)
        return Sense{kNotReady, 0x04, 0x07};
    std::vector<uint8_t> data(34, 0);
    Put16(&data[0], 32);
    const uint8_t status = discState_ == DriveSetup::Disc::Blank        ? 0
                           : discState_ == DriveSetup::Disc::Appendable ? 1
                                                                        : 2;
    data[2] = static_cast<uint8_t>((setup_.rewritable ? 0x10 : 0) | status);
    data[3] = 1;
    data[8] = 0x00;
    if (setup_.capacityUnknown) {
        data[21] = data[22] = data[23] = 0xFF;
    } else {
        data[21] = static_cast<uint8_t>(setup_.leadOutFrames / 4500);
        data[22] = static_cast<uint8_t>(setup_.leadOutFrames / 75 % 60);
        data[23] = static_cast<uint8_t>(setup_.leadOutFrames % 75);
    }
    Reply(block, data, Get16(&block.CDBByte[7]));
    return std::nullopt;
}

SimulatedDrive::Result SimulatedDrive::SetSpeed(const uint8_t* cdb)
{
    const int read = Get16(&cdb[2]);
    const int write = Get16(&cdb[4]);
    currentRead_ = std::min(read, setup_.maxReadSpeed);
    currentWrite_ = setup_.forcedWriteSpeed != 0 ? setup_.forcedWriteSpeed : std::min(write, setup_.maxWriteSpeed);
    return std::nullopt;
}

int SimulatedDrive::OpenTrackNumber() const
{
    return static_cast<int>(disc_.tracks.size()) + 1;
}

SimulatedDrive::Result SimulatedDrive::ReadTrackInformation(SRB_ExecSCSICmd& block)
{
    if (Result missing = NeedsDisc())
        return missing;
    const uint8_t* cdb = block.CDBByte;
    int number = Get32(&cdb[2]);
    if (number == 0xFF)
        number = OpenTrackNumber();
    if ((cdb[1] & 0x03) != 0x01 || number < 1 || number > OpenTrackNumber())
        return Sense{kIllegalRequest, 0x24, 0x00};
    std::vector<uint8_t> data(28, 0);
    Put16(&data[0], 26);
    data[2] = static_cast<uint8_t>(number);
    data[5] = 0x02;
    if (number == OpenTrackNumber() && discState_ != DriveSetup::Disc::Closed) {
        data[6] = openSectors_ == 0 ? 0x40 : 0x00;
        data[7] = 0x01;
        Put32(&data[12], nextWritable_);
    }
    Reply(block, data, Get16(&cdb[7]));
    return std::nullopt;
}

SimulatedDrive::Result SimulatedDrive::Write(SRB_ExecSCSICmd& block)
{
    if (Result missing = NeedsDisc())
        return missing;
    if (busyLeft_ > 0) {
        --busyLeft_;
        return Sense{kNotReady, 0x04, 0x08};
    }
    busyLeft_ = setup_.busyAnswersPerWrite;
    ++writes_;
    const int32_t address = Get32(&block.CDBByte[2]);
    const int blocks = Get16(&block.CDBByte[7]);
    if (discState_ != DriveSetup::Disc::Blank || !trackAtOnceAudio_)
        return Sense{kIllegalRequest, 0x2C, 0x00};
    if (!(block.SRB_Flags & SRB_DIR_OUT) || block.SRB_BufLen != static_cast<uint32_t>(blocks) * kSector)
        return Sense{kIllegalRequest, 0x24, 0x00};
    if (address != nextWritable_)
        return Sense{kIllegalRequest, 0x21, 0x02};
    if (address + blocks > setup_.leadOutFrames - kFirstTrackOffset)
        return Sense{kIllegalRequest, 0x21, 0x00};
    if (setup_.failFromWrite > 0 && writes_ >= setup_.failFromWrite &&
        writes_ < setup_.failFromWrite + setup_.writeFailures)
        return Sense{setup_.writeFailureSenseKey, 0x0C, 0x00};
    if (openSectors_ == 0) {
        openTrack_ = BurnedDisc::Track{OpenTrackNumber(), pendingPause_, {}};
    }
    openTrack_.audio.insert(openTrack_.audio.end(), block.SRB_BufPointer, block.SRB_BufPointer + block.SRB_BufLen);
    openSectors_ += blocks;
    nextWritable_ += blocks;
    return std::nullopt;
}

SimulatedDrive::Result SimulatedDrive::Close(const uint8_t* cdb)
{
    if (Result missing = NeedsDisc())
        return missing;
    switch (cdb[2] & 0x07) {
    case 0x01:
        if (Get16(&cdb[4]) != OpenTrackNumber())
            return Sense{kIllegalRequest, 0x24, 0x00};
        if (openSectors_ < kMinimumTrackSectors)
            return Sense{kIllegalRequest, 0x2C, 0x00};
        disc_.tracks.push_back(openTrack_);
        openSectors_ = 0;
        pendingPause_ = Get16(&page05_[14]);
        nextWritable_ += pendingPause_;
        return std::nullopt;
    case 0x02:
        if (disc_.tracks.empty() || openSectors_ > 0)
            return Sense{kIllegalRequest, 0x2C, 0x00};
        disc_.sessionClosed = true;
        discState_ = DriveSetup::Disc::Closed;
        closePollsLeft_ = setup_.notReadyPollsAfterClose;
        return std::nullopt;
    default:
        return Sense{kIllegalRequest, 0x24, 0x00};
    }
}

SimulatedDrive::Result SimulatedDrive::StartStop(const uint8_t* cdb)
{
    if ((cdb[4] & 0x03) == 0x02) {
        ejected_ = disc_;
        ++ejects_;
        LoadBlankDisc();
    }
    return std::nullopt;
}

void SimulatedDrive::LoadBlankDisc()
{
    discState_ = DriveSetup::Disc::Blank;
    disc_ = BurnedDisc{};
    openSectors_ = 0;
    nextWritable_ = 0;
    pendingPause_ = 0;
    closePollsLeft_ = 0;
}

std::vector<std::vector<uint8_t>> SimulatedDrive::Commands() const
{
    std::lock_guard lock(mutex_);
    return commands_;
}

std::vector<uint8_t> SimulatedDrive::Opcodes() const
{
    std::lock_guard lock(mutex_);
    std::vector<uint8_t> opcodes;
    for (const auto& cdb : commands_)
        opcodes.push_back(cdb[0]);
    return opcodes;
}

BurnedDisc SimulatedDrive::Disc() const
{
    std::lock_guard lock(mutex_);
    return ejected_ ? *ejected_ : disc_;
}

int SimulatedDrive::Ejects() const
{
    std::lock_guard lock(mutex_);
    return ejects_;
}

}  // namespace quillstar::test
