#include "platform/aspi/ImageRecorder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Trace.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "resources/ImageRecorderTexts.h"

namespace quillstar {

namespace {

using namespace scsi;

// A command the recorder knows: its length, the bits each CDB byte may carry
// (anything else is an invalid field) and whether it needs a disc.
struct CommandRule {
    uint8_t opcode;
    uint8_t length;
    std::array<uint8_t, 12> allowed;
    bool needsDisc;
};

constexpr CommandRule kCommandRules[] = {
    {kTestUnitReady, 6, {0xFF, 0, 0, 0, 0, 0}, true},
    {kInquiry, 6, {0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0}, false},
    {kStartStopUnit, 6, {0xFF, 0x01, 0, 0, 0x03, 0}, false},
    {kPreventAllowMediumRemoval, 6, {0xFF, 0, 0, 0, 0x01, 0}, false},
    {kWrite10, 10, {0xFF, 0x18, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0}, true},
    {kSynchronizeCache, 10, {0xFF, 0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0}, true},
    {kReadDiscInformation, 10, {0xFF, 0x07, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0}, true},
    {kReadTrackInformation, 10, {0xFF, 0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0}, true},
    {kSendOpcInformation, 10, {0xFF, 0x01, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0}, true},
    {kModeSelect10, 10, {0xFF, 0x11, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0}, false},
    {kModeSense10, 10, {0xFF, 0x18, 0xFF, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0}, false},
    {kCloseTrackOrSession, 10, {0xFF, 0x01, 0x07, 0, 0xFF, 0xFF, 0, 0, 0, 0}, true},
    {kSetSpeed, 12, {0xFF, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, false},
    {kSendCueSheet, 10, {0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, true},
    // LBA or MSF form; the format in byte 2.
    {kReadToc, 10, {0xFF, 0x02, 0x0F, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, true},
    // Sector type and DAP; user data without headers, error flags or sub-channels.
    {kReadCd, 12, {0xFF, 0x1E, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0, 0}, true},
};

constexpr size_t kInquiryLength = 96;
constexpr size_t kDiscInformationLength = 34;
constexpr size_t kTrackInformationLength = 36;
constexpr int kBytesPerKilobyte = 1000;  // drive speeds count kB as 1000 bytes
constexpr uint16_t kFastestSpeed = 0xFFFF;
constexpr uint8_t kInvisibleTrack = 0xFF;
constexpr uint8_t kLeadOutTrack = 0xAA;
constexpr uint8_t kTocFormat = 0;
constexpr uint8_t kCdTextFormat = 5;
// ADR 1 (the Q sub-channel holds the position), control 0: two-channel audio.
constexpr uint8_t kAudioAdrControl = 0x10;
constexpr size_t kTocDescriptorLength = 8;
constexpr int kAnySectorType = 0;
constexpr int kCdDaSectorType = 1;
constexpr uint8_t kUserData = 0x10;

const CommandRule* FindRule(uint8_t opcode)
{
    for (const CommandRule& rule : kCommandRules) {
        if (rule.opcode == opcode)
            return &rule;
    }
    return nullptr;
}

bool HasOnlyAllowedBits(const CommandRule& rule, const uint8_t* cdb)
{
    for (size_t i = 1; i < rule.length; ++i) {
        if ((cdb[i] & ~rule.allowed[i]) != 0)
            return false;
    }
    return true;
}

// Hands data to the host: at most the allocation length, and never more
// than the host's buffer holds.
ScsiOutcome Reply(const ScsiCommand& command, const std::vector<uint8_t>& data, uint32_t allocationLength)
{
    const size_t length = std::min<size_t>(data.size(), allocationLength);
    if (length == 0)
        return ScsiOutcome::Good();
    if (command.direction != DataDirection::kIn || command.data == nullptr)
        return ScsiOutcome::AdapterFailure(HASTAT_PHASE_ERR);
    if (length > command.dataLength)
        return ScsiOutcome::AdapterFailure(HASTAT_DO_DU);
    std::memcpy(command.data, data.data(), length);
    ScsiOutcome outcome = ScsiOutcome::Good();
    outcome.transferred = static_cast<uint32_t>(length);
    return outcome;
}

// True for the write numbered write when it is one of count writes in a row
// starting with number first.
bool IsInRun(int write, int first, int count)
{
    return write >= first && write < first + count;
}

// Checks that the host offers the length bytes a command takes from it.
ScsiOutcome CheckDataOut(const ScsiCommand& command, uint32_t length)
{
    if (length == 0)
        return ScsiOutcome::Good();
    if (command.direction != DataDirection::kOut || command.data == nullptr)
        return ScsiOutcome::AdapterFailure(HASTAT_PHASE_ERR);
    if (length > command.dataLength)
        return ScsiOutcome::AdapterFailure(HASTAT_DO_DU);
    return ScsiOutcome::Good();
}

void PutText(uint8_t* field, size_t width, const char* text)
{
    std::memset(field, ' ', width);
    std::memcpy(field, text, std::min(width, std::strlen(text)));
}

void PutMinutesSecondsFrames(uint8_t* field, int64_t address)
{
    const int64_t frames = address + 150;
    field[0] = 0;
    field[1] = static_cast<uint8_t>(frames / (60 * cd::kSectorsPerSecond));
    field[2] = static_cast<uint8_t>(frames / cd::kSectorsPerSecond % 60);
    field[3] = static_cast<uint8_t>(frames % cd::kSectorsPerSecond);
}

// The speed a drive settles on for a request: the fastest it offers that
// does not exceed the request, or its slowest.
int ChooseSpeed(int request, int maximum)
{
    if (request == kFastestSpeed)
        return maximum;
    std::vector<int> offered;
    for (int speed : aspi::kRecorderSpeeds) {
        if (speed < maximum)
            offered.push_back(speed);
    }
    offered.push_back(maximum);
    int chosen = offered.front();
    for (int speed : offered) {
        if (speed <= request)
            chosen = speed;
    }
    return chosen;
}

}  // namespace

ImageRecorder::ImageRecorder(std::string imagePath, const ImageRecorderOptions& options)
    : imagePath_(std::move(imagePath)),
      options_(options),
      pages_(options_),
      buffer_(static_cast<uint64_t>(options.bufferKilobytes) * 1024)
{
    buffer_.SetDrainRate(static_cast<uint64_t>(options_.maxWriteSpeed) * kBytesPerKilobyte);
    InsertDisc();
}

void ImageRecorder::InsertDisc()
{
    disc_.reset();
    if (options_.disc != ImageRecorderOptions::Disc::kNone)
        disc_ = std::make_unique<RecordableDisc>(options_, imagePath_);
    notReadyAnswers_ = 0;
    writesOnDisc_ = 0;
    trackClosesOnDisc_ = 0;
}

ScsiOutcome ImageRecorder::Execute(const ScsiCommand& command)
{
    std::lock_guard lock(mutex_);
    // A slow drive: every command takes at least the delay, as a real one
    // may take tens to hundreds of milliseconds.
    const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.commandDelayMs);
    const ScsiOutcome outcome = Answer(command);
    std::this_thread::sleep_until(due);
    if (!outcome.IsGood()) {
        const scsi::SenseCode code = outcome.Code();
        Trace("Image recorder: command 0x%02x refused, status 0x%02x, sense %x/%02x/%02x\n",
              command.cdbLength > 0 ? command.cdb[0] : 0, outcome.targetStatus, code.key, code.asc, code.ascq);
    }
    return outcome;
}

int ImageRecorder::Hold(bool hold)
{
    std::lock_guard lock(mutex_);
    if (hold && held_)
        return EBUSY;
    held_ = hold;
    return 0;
}

ScsiOutcome ImageRecorder::Answer(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    const CommandRule* rule = FindRule(cdb[0]);
    if (rule == nullptr)
        return ScsiOutcome::CheckCondition(scsi::kInvalidOperationCode);
    // A longer block than the command needs is padding, as in a 12-byte
    // ATAPI packet; a shorter one lacks fields.
    if (command.cdbLength < rule->length || !HasOnlyAllowedBits(*rule, cdb))
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    if (rule->needsDisc) {
        const ScsiOutcome ready = CheckDiscReady();
        if (!ready.IsGood())
            return ready;
    }
    switch (rule->opcode) {
    case kTestUnitReady:
        return ScsiOutcome::Good();
    case kInquiry:
        return Inquiry(command);
    case kStartStopUnit:
        return StartStopUnit(command);
    case kPreventAllowMediumRemoval:
        return PreventAllowMediumRemoval(command);
    case kWrite10:
        return Write(command);
    case kSynchronizeCache:
        return SynchronizeCache(command);
    case kReadDiscInformation:
        return ReadDiscInformation(command);
    case kReadTrackInformation:
        return ReadTrackInformation(command);
    case kSendOpcInformation:
        return SendOpcInformation(command);
    case kModeSelect10:
        return ModeSelect(command);
    case kModeSense10:
        return ModeSense(command);
    case kCloseTrackOrSession:
        return CloseTrackOrSession(command);
    case kSendCueSheet:
        return SendCueSheet(command);
    case kReadToc:
        return ReadToc(command);
    case kReadCd:
        return ReadCd(command);
    default:
        return SetSpeed(command);
    }
}

ScsiOutcome ImageRecorder::CheckDiscReady()
{
    if (!disc_)
        return ScsiOutcome::CheckCondition(scsi::kMediumNotPresent);
    if (notReadyAnswers_ > 0) {
        --notReadyAnswers_;
        return ScsiOutcome::CheckCondition(scsi::kLongWriteInProgress);
    }
    return ScsiOutcome::Good();
}

ScsiOutcome ImageRecorder::Inquiry(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    // No vital product data pages.
    if ((cdb[1] & 0x01) != 0 || cdb[2] != 0)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    if (options_.inquiryFails)
        return ScsiOutcome::CheckCondition(scsi::kInternalTargetFailure);
    std::vector<uint8_t> data(kInquiryLength, 0);
    data[0] = DTYPE_CDROM;
    data[1] = 0x80;  // removable medium
    data[3] = 0x02;  // standard reply format
    data[4] = kInquiryLength - 5;
    PutText(&data[8], 8, aspi::kRecorderVendor);
    PutText(&data[16], 16, aspi::kRecorderProduct);
    PutText(&data[32], 4, aspi::kRecorderRevision);
    PutText(&data[36], 20, aspi::kRecorderVendorSpecific);
    return Reply(command, data, big_endian::Get16(&cdb[3]));
}

ScsiOutcome ImageRecorder::StartStopUnit(const ScsiCommand& command)
{
    const bool loadOrEject = (command.cdb[4] & 0x02) != 0;
    const bool start = (command.cdb[4] & 0x01) != 0;
    if (loadOrEject && !start) {
        if (trayLocked_)
            return ScsiOutcome::CheckCondition(scsi::kMediumRemovalPrevented);
        // An unfinished image goes with the disc; a fresh one takes its place.
        InsertDisc();
        Trace("Image recorder: disc ejected, fresh disc inserted\n");
    }
    return ScsiOutcome::Good();
}

ScsiOutcome ImageRecorder::PreventAllowMediumRemoval(const ScsiCommand& command)
{
    trayLocked_ = (command.cdb[4] & 0x01) != 0;
    Trace("Image recorder: tray %s\n", trayLocked_ ? "locked" : "unlocked");
    return ScsiOutcome::Good();
}

ScsiOutcome ImageRecorder::Write(const ScsiCommand& command)
{
    const int64_t address = static_cast<int32_t>(big_endian::Get32(&command.cdb[2]));
    const int64_t blocks = big_endian::Get16(&command.cdb[7]);
    const bool atOnce = pages_.SelectsSessionAtOnce();
    if (!atOnce && !pages_.SelectsTrackAtOnceAudio())
        return ScsiOutcome::CheckCondition(scsi::kIllegalModeForThisTrack);
    if (blocks == 0)
        return ScsiOutcome::Good();
    if (command.direction != DataDirection::kOut || command.data == nullptr)
        return ScsiOutcome::AdapterFailure(HASTAT_PHASE_ERR);
    const uint32_t bytes = command.dataLength;
    ScsiOutcome allowed = ScsiOutcome::Good();
    if (atOnce)
        allowed = disc_->CheckWriteAtOnce(address, blocks, bytes);
    else if (bytes != static_cast<uint32_t>(blocks) * cd::kSectorSize)
        allowed = ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    else
        allowed = disc_->CheckWrite(address, blocks, pages_.PauseSectors());
    if (!allowed.IsGood())
        return allowed;
    if (options_.throttle && !buffer_.HasRoomFor(bytes))
        return ScsiOutcome::CheckCondition(scsi::kLongWriteInProgress);
    // A timed-out WRITE never reached the drive: nothing is written.
    const int write = ++writesOnDisc_;
    if (IsInRun(write, options_.firstTimedOutWrite, options_.writeTimeouts))
        return ScsiOutcome::AdapterFailure(HASTAT_COMMAND_TIMEOUT);
    if (IsInRun(write, options_.firstFailingWrite, options_.writeFailures))
        return ScsiOutcome::CheckCondition(options_.writeFailureSense);
    const ScsiOutcome written =
        atOnce ? disc_->WriteAtOnce(address, command.data, blocks, pages_.TestWrite())
               : disc_->Write(address, command.data, blocks, pages_.TrackMode(), pages_.TestWrite());
    if (written.IsGood() && options_.throttle)
        buffer_.Fill(bytes);
    return written;
}

ScsiOutcome ImageRecorder::SynchronizeCache(const ScsiCommand& command)
{
    const bool immediate = (command.cdb[1] & 0x02) != 0;
    if (options_.throttle && !immediate)
        buffer_.WaitUntilEmpty();
    if (options_.syncCacheFails)
        return ScsiOutcome::CheckCondition(scsi::kWriteError);
    // A session written at once ends when its last sector reaches the disc.
    if (!disc_->IsWrittenToLeadOut())
        return ScsiOutcome::Good();
    if (options_.closeSessionFails)
        return ScsiOutcome::CheckCondition(scsi::kSessionFixationError);
    const ScsiOutcome finished = disc_->FinishAtOnce(pages_.TestWrite());
    if (finished.IsGood())
        notReadyAnswers_ = options_.notReadyPollsAfterClose;
    return finished;
}

ScsiOutcome ImageRecorder::ReadDiscInformation(const ScsiCommand& command)
{
    if ((command.cdb[1] & 0x07) != 0)  // only the standard disc information
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    const RecordableDisc::Status status = disc_->GetStatus();
    const bool complete = status == RecordableDisc::Status::kComplete;
    // State of the last session: empty 0, incomplete 1, complete 3.
    const int sessionState = complete ? 3 : static_cast<int>(status);
    const int lastTrack = complete ? static_cast<int>(disc_->ClosedTracks().size()) : disc_->IncompleteTrackNumber();

    std::vector<uint8_t> data(kDiscInformationLength, 0);
    big_endian::Put16(&data[0], kDiscInformationLength - 2);
    data[2] = static_cast<uint8_t>((options_.erasable ? 0x10 : 0) | sessionState << 2 | static_cast<int>(status));
    data[3] = 1;  // first track on the disc
    data[4] = 1;  // sessions
    data[5] = 1;  // first track of the last session
    data[6] = static_cast<uint8_t>(lastTrack);
    data[7] = 0x20;  // unrestricted use
    data[8] = options_.discType;
    if (complete || options_.unknownCapacity) {
        std::fill(data.begin() + 16, data.begin() + 24, 0xFF);
    } else {
        const int leadIn = aspi::kLeadInStartSector + cd::kLeadInTimeWrap;
        data[17] = static_cast<uint8_t>(leadIn / (60 * cd::kSectorsPerSecond));
        data[18] = static_cast<uint8_t>(leadIn / cd::kSectorsPerSecond % 60);
        data[19] = static_cast<uint8_t>(leadIn % cd::kSectorsPerSecond);
        PutMinutesSecondsFrames(&data[20], disc_->LeadOutStart());
    }
    return Reply(command, data, big_endian::Get16(&command.cdb[7]));
}

int ImageRecorder::TrackContaining(int64_t address) const
{
    for (const RecordableDisc::Track& track : disc_->ClosedTracks()) {
        if (address >= track.pauseStart && address < track.end)
            return track.number;
    }
    const bool inIncomplete = address >= disc_->IncompleteTrackStart() && address < disc_->LeadOutStart();
    return inIncomplete ? disc_->IncompleteTrackNumber() : 0;
}

std::vector<uint8_t> ImageRecorder::IncompleteTrackInformation() const
{
    const int64_t start = disc_->IncompleteTrackStart();
    const int64_t next = disc_->NextWritableAddress(pages_.PauseSectors());
    const int64_t written = disc_->IncompleteTrackSectors();
    std::vector<uint8_t> data(kTrackInformationLength, 0);
    data[2] = static_cast<uint8_t>(disc_->IncompleteTrackNumber());
    data[5] = pages_.TrackMode();
    data[6] = static_cast<uint8_t>((written == 0 ? 0x40 : 0x00) | 0x0F);  // blank until written
    data[7] = static_cast<uint8_t>(0x01 | (written > 0 ? 0x02 : 0x00));   // next writable address valid
    big_endian::Put32(&data[8], static_cast<uint32_t>(start));
    big_endian::Put32(&data[12], static_cast<uint32_t>(next));
    big_endian::Put32(&data[16], static_cast<uint32_t>(std::max<int64_t>(0, disc_->LeadOutStart() - next)));
    big_endian::Put32(&data[24], static_cast<uint32_t>(disc_->LeadOutStart() - start));
    if (written > 0)
        big_endian::Put32(&data[28], static_cast<uint32_t>(next - 1));
    return data;
}

std::vector<uint8_t> ImageRecorder::TrackInformation(int number) const
{
    if (number == disc_->IncompleteTrackNumber())
        return IncompleteTrackInformation();
    const RecordableDisc::Track& track = disc_->ClosedTracks()[static_cast<size_t>(number - 1)];
    std::vector<uint8_t> data(kTrackInformationLength, 0);
    data[2] = static_cast<uint8_t>(track.number);
    data[5] = track.mode;
    data[6] = 0x0F;
    data[7] = 0x02;  // last recorded address valid
    big_endian::Put32(&data[8], static_cast<uint32_t>(track.pauseStart));
    big_endian::Put32(&data[24], static_cast<uint32_t>(track.end - track.pauseStart));
    big_endian::Put32(&data[28], static_cast<uint32_t>(track.end - 1));
    return data;
}

ScsiOutcome ImageRecorder::ReadTrackInformation(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    const uint32_t value = big_endian::Get32(&cdb[2]);
    const int incomplete = disc_->IncompleteTrackNumber();
    const int closed = static_cast<int>(disc_->ClosedTracks().size());
    int number = 0;
    switch (cdb[1] & 0x03) {
    case 0:  // logical block address
        number = TrackContaining(static_cast<int32_t>(value));
        if (number == 0)
            return ScsiOutcome::CheckCondition(scsi::kLbaOutOfRange);
        break;
    case 1:  // track number; 0xFF names the incomplete track
        number = value == kInvisibleTrack ? incomplete : static_cast<int>(std::min<uint32_t>(value, 0xFFFF));
        break;
    case 2:  // session number: the disc holds one session
        number = value == 1 ? 1 : 0;
        break;
    default:
        break;
    }
    if (number < 1 || (number > closed && number != incomplete))
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    return Reply(command, TrackInformation(number), big_endian::Get16(&cdb[7]));
}

ScsiOutcome ImageRecorder::SendOpcInformation(const ScsiCommand& command)
{
    const bool doOpc = (command.cdb[1] & 0x01) != 0;
    const uint32_t listLength = big_endian::Get16(&command.cdb[7]);
    // A calibration run takes no table; a stored table must be whole entries.
    if ((doOpc && listLength != 0) || listLength % 8 != 0)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    return CheckDataOut(command, listLength);
}

ScsiOutcome ImageRecorder::ModeSelect(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    const bool pageFormat = (cdb[1] & 0x10) != 0;
    const bool savePages = (cdb[1] & 0x01) != 0;
    if (!pageFormat || savePages)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    const uint32_t length = big_endian::Get16(&cdb[7]);
    if (length == 0)
        return ScsiOutcome::Good();
    const ScsiOutcome transfer = CheckDataOut(command, length);
    if (!transfer.IsGood())
        return transfer;
    return pages_.Select(command.data, length);
}

ScsiOutcome ImageRecorder::ModeSense(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    const auto control = static_cast<RecorderModePages::Control>(cdb[2] >> 6);
    const uint8_t pageCode = cdb[2] & 0x3F;
    const uint8_t subpage = cdb[3];
    if (control == RecorderModePages::Control::kSaved)
        return ScsiOutcome::CheckCondition(scsi::kSavingParametersNotSupported);
    if (subpage != 0 && !(pageCode == 0x3F && subpage == 0xFF))
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    const auto reply = pages_.Sense(pageCode, control);
    if (!reply)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    return Reply(command, *reply, big_endian::Get16(&cdb[7]));
}

ScsiOutcome ImageRecorder::CloseTrackOrSession(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    const int function = cdb[2] & 0x07;
    const bool immediate = (cdb[1] & 0x01) != 0;
    if (function != 1 && function != 2)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    // Closing starts when the buffer has been written out.
    if (options_.throttle && !immediate)
        buffer_.WaitUntilEmpty();
    if (function == 1) {
        if (++trackClosesOnDisc_ == options_.failingTrackClose)
            return ScsiOutcome::CheckCondition(scsi::kWriteError);
        return disc_->CloseTrack(big_endian::Get16(&cdb[4]));
    }
    if (options_.closeSessionFails)
        return ScsiOutcome::CheckCondition(scsi::kSessionFixationError);
    const ScsiOutcome closed = disc_->CloseSession(pages_.TestWrite());
    if (closed.IsGood())
        notReadyAnswers_ = options_.notReadyPollsAfterClose;
    return closed;
}

ScsiOutcome ImageRecorder::SetSpeed(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    if ((cdb[1] & 0x03) > 1)  // CLV or CAV only
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    if (options_.setSpeedFails)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    int readSpeed = ChooseSpeed(big_endian::Get16(&cdb[2]), options_.maxReadSpeed);
    int writeSpeed = options_.canWrite ? ChooseSpeed(big_endian::Get16(&cdb[4]), options_.maxWriteSpeed) : 0;
    if (options_.forcedReadSpeed > 0)
        readSpeed = options_.forcedReadSpeed;
    if (options_.forcedWriteSpeed > 0 && options_.canWrite)
        writeSpeed = options_.forcedWriteSpeed;
    pages_.SetCurrentSpeeds(readSpeed, writeSpeed);
    if (writeSpeed > 0)
        buffer_.SetDrainRate(static_cast<uint64_t>(writeSpeed) * kBytesPerKilobyte);
    Trace("Image recorder: SET SPEED read %d write %d, now reading at %d and writing at %d kB/s\n",
          big_endian::Get16(&cdb[2]), big_endian::Get16(&cdb[4]), readSpeed, writeSpeed);
    return ScsiOutcome::Good();
}

ScsiOutcome ImageRecorder::SendCueSheet(const ScsiCommand& command)
{
    if (!pages_.SelectsSessionAtOnce())
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    const uint32_t length = uint32_t{command.cdb[6]} << 16 | big_endian::Get16(&command.cdb[7]);
    const ScsiOutcome transfer = CheckDataOut(command, length);
    if (!transfer.IsGood())
        return transfer;
    return disc_->SendCueSheet(command.data, length);
}

// Formats 0 (the table of contents) and 5 (the lead-in's CD-TEXT).
ScsiOutcome ImageRecorder::ReadToc(const ScsiCommand& command)
{
    const uint8_t format = command.cdb[2] & 0x0F;
    if (format == kTocFormat)
        return TableOfContents(command);
    if (format == kCdTextFormat)
        return LeadInCdText(command);
    return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
}

ScsiOutcome ImageRecorder::TableOfContents(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    const bool minutesSecondsFrames = (cdb[1] & 0x02) != 0;
    const int firstWanted = cdb[6];
    const std::vector<RecordableDisc::Track>& tracks = disc_->ClosedTracks();
    // A blank disc has no table of contents, nor one past its last track.
    if (tracks.empty() || (firstWanted > tracks.back().number && firstWanted != kLeadOutTrack))
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);

    std::vector<uint8_t> data(4, 0);
    data[2] = static_cast<uint8_t>(tracks.front().number);
    data[3] = static_cast<uint8_t>(tracks.back().number);
    const auto addDescriptor = [&](int number, int64_t address) {
        uint8_t descriptor[kTocDescriptorLength] = {0, kAudioAdrControl, static_cast<uint8_t>(number)};
        if (minutesSecondsFrames)
            PutMinutesSecondsFrames(&descriptor[4], address);
        else
            big_endian::Put32(&descriptor[4], static_cast<uint32_t>(address));
        data.insert(data.end(), descriptor, descriptor + kTocDescriptorLength);
    };
    for (const RecordableDisc::Track& track : tracks) {
        if (track.number >= firstWanted && firstWanted != kLeadOutTrack)
            addDescriptor(track.number, track.start);
    }
    addDescriptor(kLeadOutTrack, disc_->ReadableEnd());
    big_endian::Put16(&data[0], static_cast<uint32_t>(data.size() - 2));
    return Reply(command, data, big_endian::Get16(&cdb[7]));
}

// The packs as the lead-in holds them, after a 4-byte header; a disc without
// CD-TEXT answers the header alone, a blank one nothing.
ScsiOutcome ImageRecorder::LeadInCdText(const ScsiCommand& command)
{
    if (disc_->ClosedTracks().empty())
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    std::vector<uint8_t> data(4, 0);
    for (const CdTextPack& pack : disc_->CdTextPacks())
        data.insert(data.end(), pack.bytes.begin(), pack.bytes.end());
    big_endian::Put16(&data[0], static_cast<uint32_t>(data.size() - 2));
    return Reply(command, data, big_endian::Get16(&command.cdb[7]));
}

ScsiOutcome ImageRecorder::ReadCd(const ScsiCommand& command)
{
    const uint8_t* cdb = command.cdb;
    const int sectorType = (cdb[1] >> 2) & 0x07;
    if (sectorType > 5 || (cdb[9] & kUserData) == 0)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    // Every track is audio: a data sector type does not match it.
    if (sectorType != kAnySectorType && sectorType != kCdDaSectorType)
        return ScsiOutcome::CheckCondition(scsi::kIllegalModeForThisTrack);
    const int64_t address = static_cast<int32_t>(big_endian::Get32(&cdb[2]));
    const int64_t blocks = int64_t{cdb[6]} << 16 | big_endian::Get16(&cdb[7]);
    if (blocks == 0)
        return ScsiOutcome::Good();
    const size_t bytes = static_cast<size_t>(blocks) * cd::kSectorSize;
    if (command.direction != DataDirection::kIn || command.data == nullptr)
        return ScsiOutcome::AdapterFailure(HASTAT_PHASE_ERR);
    if (bytes > command.dataLength)
        return ScsiOutcome::AdapterFailure(HASTAT_DO_DU);
    const ScsiOutcome readable = disc_->CheckRead(address, blocks);
    if (!readable.IsGood())
        return readable;
    if (options_.unreadableSectors.Overlaps(address, blocks))
        return ScsiOutcome::CheckCondition(scsi::kUncorrectableReadError);
    // A drive's read offset shifts the audio it returns against the sectors asked for.
    const int64_t firstByte = address * cd::kSectorSize + int64_t{options_.readOffsetSamples} * cd::kBytesPerFrame;
    const ScsiOutcome read = disc_->Read(firstByte, command.data, bytes);
    if (read.IsGood())
        CorruptSectors(firstByte, command.data, bytes);
    // The disc turns at the current read speed: the sectors take their time.
    if (options_.throttle) {
        const double speed = static_cast<double>(pages_.CurrentReadSpeed()) * kBytesPerKilobyte;
        std::this_thread::sleep_for(std::chrono::duration<double>(static_cast<double>(bytes) / speed));
    }
    return read;
}

// The bytes of the damaged sectors read back inverted, wherever the read
// offset moved them in the reply.
void ImageRecorder::CorruptSectors(int64_t firstByte, uint8_t* data, size_t bytes) const
{
    const ImageRecorderOptions::SectorRange& corrupt = options_.corruptSectors;
    const int64_t from = std::max(firstByte, corrupt.first * cd::kSectorSize);
    const int64_t to =
        std::min(firstByte + static_cast<int64_t>(bytes), (corrupt.first + corrupt.count) * cd::kSectorSize);
    for (int64_t at = from; at < to; ++at)
        data[at - firstByte] ^= 0xFF;
}

}  // namespace quillstar
