#include "recorder/DiscWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/Trace.h"
#include "recorder/CdTextBuilder.h"
#include "recorder/DiscVerifier.h"
#include "recorder/DriveHold.h"
#include "resources/CdAudio.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"

namespace quillstar {

using namespace recorder;

namespace {

constexpr int kBlocksPerChunk = cd::kSectorsPerBlock;
constexpr size_t kModeHeaderLength = 8;
// Write types of the write parameters page.
constexpr uint8_t kTrackAtOnce = 0x01;
constexpr uint8_t kSessionAtOnce = 0x02;
constexpr uint8_t kAudioTrackMode = 0x42;
constexpr uint8_t kDataTrackMode = 0x46;
// SET SPEED's "as fast as the drive can".
constexpr int kFastestSpeed = 0xFFFF;

// A drive's speeds are multiples of 176.4 kB/s that it reports rounded; the
// request is rounded up so the drive takes the speed asked for, not the
// one below it.
int KilobytesPerSecond(int factor)
{
    return (factor * cd::kSingleSpeedTenthsKBps + 9) / 10;
}

std::string TrackText(const char* format, int trackNumber)
{
    char text[128];
    std::snprintf(text, sizeof text, format, trackNumber);
    return text;
}

}  // namespace

CDiscWriter::CDiscWriter(WindowHandle mainWindow, AspiLibrary library)
    : transport_(std::move(library)), commands_(transport_), discovery_(commands_), mainWindow_(mainWindow)
{
}

CDiscWriter::~CDiscWriter()
{
    if (!burnThread_.joinable())
        return;
    abortRequested_ = true;
    abortEvent_.Set();
    FinishSource();
    burnThread_.join();
}

void CDiscWriter::SetTimings(const RecorderTimings& timings)
{
    timings_ = timings;
    discovery_.SetTimings(timings);
}

bool CDiscWriter::Initialize()
{
    Trace("CDiscWriter::Initialize\n");
    if (initialized_)
        return true;
    Trace("CDiscWriter::Initialize. Window created. Bout to query InitComm on scsi\n");
    if (discovery_.InitCommunication(devices_) != 0)
        return false;
    initialized_ = true;
    return true;
}

std::string CDiscWriter::GetDeviceName(int index) const
{
    return GetDeviceAt(index).name;
}

const DeviceInfo& CDiscWriter::GetDeviceAt(int index) const
{
    if (index < 0 || index >= GetDeviceCount())
        return nullDevice_;
    return *devices_[static_cast<size_t>(index)];
}

bool CDiscWriter::SelectDevice(int index)
{
    selectedDevice_ = index;
    return true;
}

const DeviceInfo& CDiscWriter::GetDevice() const
{
    return initialized_ ? GetDeviceAt(selectedDevice_) : nullDevice_;
}

std::vector<SkippedDrive> CDiscWriter::GetSkippedDrives() const
{
    return transport_.GetSkippedDrives();
}

bool CDiscWriter::WriteDisc(DiscDataSource* source)
{
    if (!initialized_ || source == nullptr)
        return false;
    Trace("WriteDisc entered. Thread about to be started\n");
    if (burnThread_.joinable())
        burnThread_.join();
    totalBytes_ = 0.0;
    bytesDone_ = 0.0;
    {
        std::lock_guard lock(sourceMutex_);
        source_ = source;
    }
    {
        std::lock_guard lock(progressMutex_);
        skipped_.clear();
        damaged_.clear();
        failureText_.clear();
        warnings_.clear();
        speedText_.clear();
        verification_.reset();
        verifying_ = false;
    }
    written_.Clear();
    abortRequested_ = false;
    abortEvent_.Reset();
    try {
        burnThread_ = std::thread(&CDiscWriter::Burn, this);
    } catch (const std::system_error& error) {
        Trace("WriteDisc: the burn thread could not be started: %s\n", error.what());
        std::lock_guard lock(sourceMutex_);
        source_ = nullptr;
        return false;
    }
    return true;
}

bool CDiscWriter::AbortWrite()
{
    if (!initialized_)
        return false;
    bool verifying = false;
    {
        std::lock_guard lock(progressMutex_);
        abortRequested_ = true;
        verifying = verifying_;
    }
    abortEvent_.Set();
    Trace("Aborting write..\n");
    // A stop while the disc is read back leaves it complete: the burn ends
    // with the verification's own text instead.
    if (!verifying)
        Post(msg::WM_BURN_STOPPED);
    FinishSource();
    return true;
}

void CDiscWriter::GetProgress(std::string& text, int& percent) const
{
    std::lock_guard lock(progressMutex_);
    text = displayText_;
    percent = percent_;
}

std::vector<SkippedTrack> CDiscWriter::GetSkippedTracks() const
{
    std::lock_guard lock(progressMutex_);
    return skipped_;
}

std::vector<DamagedTrack> CDiscWriter::GetDamagedTracks() const
{
    std::lock_guard lock(progressMutex_);
    return damaged_;
}

std::string CDiscWriter::GetFailureText() const
{
    std::lock_guard lock(progressMutex_);
    return failureText_;
}

std::string CDiscWriter::GetSpeedText() const
{
    std::lock_guard lock(progressMutex_);
    return speedText_;
}

bool CDiscWriter::HasBlankDisc()
{
    int kind = 0;
    int status = 0;
    return initialized_ && commands_.ReadDiscInformation(GetDevice(), kind, status) == 0 &&
           kind == kDiscKindWriteOnce && status == kDiscEmpty;
}

std::optional<DiscVerification> CDiscWriter::GetVerification() const
{
    std::lock_guard lock(progressMutex_);
    return verification_;
}

std::vector<std::string> CDiscWriter::GetWarnings() const
{
    std::lock_guard lock(progressMutex_);
    return warnings_;
}

void CDiscWriter::Burn()
{
    result_ = kResultSuccess;
    totalBytes_ = source_->GetTotalBytes();
    source_->SetWriteMode(writeMode_);
    tracksWritten_ = 0;
    anyTrackWritten_ = false;
    if (!CheckDisc())
        return;
    if (abortRequested_) {
        // A stop before anything was written ends like a stop during a track.
        EndBurn(Outcome::Stopped);
        return;
    }
    if (!CheckCapacity())
        return;
    Outcome outcome = Outcome::Done;
    {
        // From the speed and calibration until the session is closed and
        // read back; let go before the eject.
        const DriveHold hold(commands_, GetDevice());
        if (hold.IsInUseElsewhere())
            return EndWith(kResultDriveInUse, kTextDriveInUse);
        SetWriteSpeed();
        ReportStep(kTextPowerCalibration, 0);
        // Drives that calibrate on their own refuse the command; the burn goes on.
        commands_.PowerCalibration(GetDevice());
        std::vector<uint8_t> buffer(static_cast<size_t>(source_->GetBlockSize()) * kBlocksPerChunk, 0);
        outcome = settings_.discAtOnce ? WriteDiscAtOnce(buffer) : WriteTracks(buffer);
        if (StartsVerification(outcome))
            VerifyDisc();
    }
    EndBurn(outcome);
}

bool CDiscWriter::CheckDisc()
{
    int kind = kDiscKindWriteOnce;
    int status = kDiscEmpty;
    if (commands_.ReadDiscInformation(GetDevice(), kind, status) != 0 || kind != kDiscKindWriteOnce) {
        EndWith(kResultWrongDisc, kTextWrongDisc);
        return false;
    }
    if (status != kDiscEmpty) {
        EndWith(kResultDiscNotEmpty, kTextDiscNotEmpty);
        return false;
    }
    return true;
}

bool CDiscWriter::CheckCapacity()
{
    int64_t capacity = 0;
    int minutes = 0;
    int seconds = 0;
    commands_.ReadDiscCapacity(GetDevice(), capacity, minutes, seconds);
    // The capacity counts the frames up to the lead-out at 2048 bytes each;
    // the audio sectors a disc holds are those frames less the 2 seconds
    // before track 1.
    const int64_t discSectors = std::max<int64_t>(0, capacity / 2048 - kFirstTrackOffsetFrames);
    const int64_t needed = SectorsNeeded();
    Trace("Capacity check: %ld sectors needed, %ld on the disc\n", static_cast<long>(needed),
          static_cast<long>(discSectors));
    if (needed > discSectors) {
        EndWith(kResultTooManyFiles, kTextTooManyFiles);
        return false;
    }
    return true;
}

// The drive takes the chosen speed or the nearest it can do, and says which
// in its capabilities page; a drive that refuses the choice keeps its own.
void CDiscWriter::SetWriteSpeed()
{
    const DeviceInfo& device = GetDevice();
    const int request = settings_.writeSpeed > 0 ? KilobytesPerSecond(settings_.writeSpeed) : kFastestSpeed;
    const bool taken = commands_.SetSpeed(device, kCurrentSpeed, request) == 0;
    DeviceInfo current = device;
    discovery_.UpdateDeviceInfo(current, false, false);
    const int factor = DeviceInfo::SpeedFactor(current.CurWrite);
    const std::string text = TrackText(taken ? kTextWritingAtSpeed : kTextSpeedRefused, factor);
    Trace("%s\n", text.c_str());
    std::lock_guard lock(progressMutex_);
    speedText_ = text;
}

int64_t CDiscWriter::SectorsNeeded()
{
    if (settings_.discAtOnce)
        return AtOnceLayout(TracksWithAudio(), false).LeadOutStart();
    const double sectorBytes = source_->GetBlockSize();
    const int trackCount = source_->GetTrackCount();
    int64_t sectors = 0;
    int tracks = 0;
    for (int track = 0; track < trackCount; ++track) {
        const double bytes = source_->GetTrackBytes(track);
        if (bytes <= 0.0)
            continue;
        sectors += std::max<int64_t>(cd::kMinimumTrackSectors, static_cast<int64_t>(std::ceil(bytes / sectorBytes)));
        ++tracks;
    }
    // A source that cannot tell its tracks' lengths is measured by its total.
    if (tracks == 0 && totalBytes_ > 0.0) {
        sectors = static_cast<int64_t>(std::ceil(totalBytes_ / sectorBytes));
        tracks = trackCount;
    }
    const int64_t pauseSectors = cd::kPauseSectors;
    return sectors + pauseSectors * std::max(0, tracks - 1);
}

void CDiscWriter::EndWith(int result, const char* text)
{
    result_ = result;
    Report(text, 0);
    ReleaseSource(false);
    Post(msg::WM_BURN_FINISHED);
}

void CDiscWriter::CollectDamagedTracks()
{
    std::vector<DamagedTrack> damaged;
    for (int track = 0; track < source_->GetTrackCount(); ++track) {
        double seconds = 0.0;
        if (source_->GetTrackDamage(track, seconds))
            damaged.push_back({track, seconds});
    }
    std::lock_guard lock(progressMutex_);
    damaged_ = std::move(damaged);
}

void CDiscWriter::EndBurn(Outcome outcome)
{
    if (ejectAtEnd_)
        commands_.Eject(GetDevice(), true);
    bytesDone_ = totalBytes_;
    const bool aborted = abortRequested_.exchange(false);
    abortEvent_.Reset();
    CollectDamagedTracks();
    ReleaseSource(true);
    const std::optional<DiscVerification> verification = GetVerification();
    if (verification) {
        const bool failed = verification->outcome == DiscVerification::Outcome::kFailed;
        result_ = failed ? kResultVerificationFailed : kResultSuccess;
        Report(verification->text, 100);
    } else if (!aborted) {
        if (outcome == Outcome::Failed) {
            result_ = kResultBurnFailed;
            Report(kTextBurnFailed, lastPercent_);
        } else if (anyTrackWritten_) {
            Report(settings_.testWrite ? kTextTestWriteSuccess : kTextSuccess, 100);
        } else {
            result_ = kResultNothingBurned;
            Report(kTextNothingBurned, 0);
        }
    }
    Post(msg::WM_BURN_FINISHED);
    Trace("Goodbye\n");
}

CDiscWriter::Outcome CDiscWriter::WriteTracks(std::vector<uint8_t>& buffer)
{
    lastPercent_ = 0;
    for (int session = 0; session < source_->GetSessionCount(); ++session) {
        if (abortRequested_ || !source_->OpenSession(session)) {
            Trace("%s\n", kTextSessionNotPrimed);
            continue;
        }
        nextAddress_ = 0;
        trackIndex_ = 0;
        tracksWritten_ = 0;
        const Outcome outcome = WriteSessionTracks(buffer);
        if (outcome != Outcome::Done)
            return outcome;
        if (abortRequested_)
            return Outcome::Stopped;
        if (tracksWritten_ == 0) {
            // Drives cannot close a session without a track; the disc stays blank.
            Trace("No track was written, the session is left as it is\n");
            continue;
        }
        if (!CloseSession())
            return abortRequested_ ? Outcome::Stopped : Outcome::Failed;
    }
    return Outcome::Done;
}

// Neither the session nor anything after the current track is closed after
// a stop or a failure: a drive that refused one step takes no later one.
CDiscWriter::Outcome CDiscWriter::WriteSessionTracks(std::vector<uint8_t>& buffer)
{
    for (; trackIndex_ < source_->GetTrackCount(); ++trackIndex_) {
        const Outcome outcome = WriteOneTrack(buffer);
        if (outcome != Outcome::Done)
            return outcome;
        if (abortRequested_)
            return Outcome::Stopped;
    }
    return Outcome::Done;
}

CDiscWriter::Outcome CDiscWriter::WriteOneTrack(std::vector<uint8_t>& buffer)
{
    ReportStep(TrackText(kTextPreparingTrack, trackIndex_ + 1), lastPercent_);
    if (!source_->OpenTrack(trackIndex_)) {
        SkipTrack(SkipReason::NoDecoder);
        return Outcome::Done;
    }
    if (!SetWriteParameters(kTrackAtOnce))
        return Failed();
    Trace("Getting write address\n");
    if (abortRequested_)
        return Outcome::Stopped;
    const int32_t address = GetWriteAddress();
    if (address < 0)
        return abortRequested_ ? Outcome::Stopped : Failed();
    nextAddress_ = address;
    const TrackWritten written = WriteTrack(buffer);
    if (written.outcome != Outcome::Done)
        return written.outcome;
    if (written.sectors == 0) {
        // Opening a track and closing it empty ruins the disc: a track
        // without audio is left out.
        SkipTrack(SkipReason::NoAudio);
        return Outcome::Done;
    }
    return CloseTrack() ? Outcome::Done : Outcome::Failed;
}

// The drive's last answer names the command, its sense and the burn's end.
CDiscWriter::Outcome CDiscWriter::Failed(const char* command)
{
    if (abortRequested_)
        return Outcome::Stopped;
    const std::string text = transport_.LastFailure().Describe(command);
    Trace("The burn failed: %s\n", text.c_str());
    std::lock_guard lock(progressMutex_);
    failureText_ = text;
    return Outcome::Failed;
}

CDiscWriter::TrackWritten CDiscWriter::WriteTrack(std::vector<uint8_t>& buffer)
{
    const int blockSize = source_->GetBlockSize();
    int blocks = kBlocksPerChunk;
    int length = blockSize * kBlocksPerChunk;
    TrackWritten written;
    written_.BeginTrack();
    for (;;) {
        const int wanted = length;
        if (!source_->ReadAudio(buffer.data(), length))
            break;
        bytesDone_ = source_->GetBytesDone();
        lastPercent_ = CurrentPercent();
        ReportStep(TrackText(kTextWritingTrack, trackIndex_ + 1), lastPercent_);
        if (abortRequested_) {
            written.outcome = Outcome::Stopped;
            return written;
        }
        if (length < 0)
            break;
        if (length == 0) {
            length = wanted;
            continue;
        }
        length = std::min(length, wanted);
        if (length < blockSize * blocks)
            PadChunk(buffer, blocks, length);
        if (!WriteChunk(buffer, blocks, length, written))
            return written;
    }
    PadToMinimumLength(buffer, written);
    return written;
}

// The next ReadAudio asks for this round's length and block count: a short
// chunk only comes at a track's end.
bool CDiscWriter::WriteChunk(const std::vector<uint8_t>& buffer, int blocks, int length, TrackWritten& written)
{
    if (WriteWithRetries(buffer, blocks, length) != 0) {
        Trace("\n\nThe write really could not succeed!\n\n");
        written.outcome = Failed();
        return false;
    }
    Trace("Write went OK. LBA = %d\n", nextAddress_);
    if (settings_.discAtOnce)
        RecordAtOnce(buffer.data(), blocks);
    else
        written_.Add(buffer.data(), static_cast<size_t>(length));
    nextAddress_ += blocks;
    written.sectors += blocks;
    return true;
}

// Only a drive busy writing its buffer is waited for; any other refusal is
// tried again a few times, and NOT READY for another reason (no disc) ends
// the burn at once.
int CDiscWriter::WriteWithRetries(const std::vector<uint8_t>& buffer, int blocks, int length)
{
    int retriesLeft = kWriteRetries;
    bool waiting = false;
    std::chrono::steady_clock::time_point busySince;
    for (;;) {
        const int error = commands_.WriteBlock(GetDevice(), buffer.data(), blocks, length, nextAddress_);
        if (error == 0 || abortRequested_)
            return error;
        if (error == kErrorNotReady) {
            if (!transport_.LastFailure().IsDriveBusy())
                return error;
            if (WaitWhileDriveBusy(waiting, busySince))
                continue;
        }
        if (retriesLeft == 0)
            return error;
        Trace("Write failed. Retrying. iError=%d, iRetry=%d\n", error, retriesLeft);
        --retriesLeft;
    }
}

// A drive whose buffer is full answers NOT READY (long write in progress)
// until it has written some of it: the WRITE is repeated after a short wait,
// for as long as the limit allows, without counting as a failed attempt.
bool CDiscWriter::WaitWhileDriveBusy(bool& waiting, std::chrono::steady_clock::time_point& since)
{
    const auto now = std::chrono::steady_clock::now();
    if (!waiting) {
        waiting = true;
        since = now;
    }
    if (now - since >= std::chrono::milliseconds(timings_.notReadyLimit))
        return false;
    return !abortEvent_.Wait(timings_.notReadyRetryWait);
}

// Drives refuse to close a track shorter than 4 seconds: a shorter one is
// filled up with digital silence.
void CDiscWriter::PadToMinimumLength(std::vector<uint8_t>& buffer, TrackWritten& written)
{
    if (written.sectors == 0 || written.sectors >= cd::kMinimumTrackSectors || abortRequested_)
        return;
    std::fill(buffer.begin(), buffer.end(), 0);
    const int blockSize = source_->GetBlockSize();
    while (written.sectors < cd::kMinimumTrackSectors) {
        const int blocks = std::min(kBlocksPerChunk, cd::kMinimumTrackSectors - written.sectors);
        if (!WriteChunk(buffer, blocks, blocks * blockSize, written))
            return;
    }
}

void CDiscWriter::PadChunk(std::vector<uint8_t>& buffer, int& blocks, int& length)
{
    const int blockSize = source_->GetBlockSize();
    std::fill(buffer.begin() + length, buffer.begin() + static_cast<ptrdiff_t>(blockSize) * blocks, 0);
    blocks = length / blockSize + (length % blockSize != 0 ? 1 : 0);
    length = blocks * blockSize;
}

// A track counts as written only once the drive has it all and closed it.
bool CDiscWriter::CloseTrack()
{
    ReportStep(TrackText(kTextClosingTrack, trackIndex_ + 1), lastPercent_);
    if (commands_.SynchronizeCache(GetDevice()) != 0) {
        Failed();
        return false;
    }
    if (commands_.CloseTrackOrSession(GetDevice(), false, tracksWritten_ + 1) != 0) {
        Failed("CLOSE TRACK");
        return false;
    }
    ++tracksWritten_;
    anyTrackWritten_ = true;
    return true;
}

bool CDiscWriter::CloseSession()
{
    ReportStep(kTextClosingSession, lastPercent_);
    if (commands_.CloseTrackOrSession(GetDevice(), true, 0) != 0) {
        Failed("CLOSE SESSION");
        return false;
    }
    return WaitForSessionClose();
}

// Drives answer NOT READY while they write the lead-in and lead-out; any
// other answer, or a drive still busy after every poll, leaves the disc
// unfinished.
bool CDiscWriter::WaitForSessionClose()
{
    for (int loop = kSessionClosePolls;; --loop) {
        const int error = commands_.TestUnitReady(GetDevice(), true);
        if (error == 0)
            return true;
        if (error != kErrorNotReady || !transport_.LastFailure().IsDriveBusy() || loop == 0) {
            Failed();
            return false;
        }
        Trace("Waiting for session to close. Loop=%lu\n", static_cast<unsigned long>(loop));
        if (abortEvent_.Wait(timings_.sessionClosePollWait))
            return false;
    }
}

// A disc whose every track and session closed is read back before it
// leaves the drive, unless the burn was stopped or only a test.
bool CDiscWriter::StartsVerification(Outcome outcome)
{
    std::lock_guard lock(progressMutex_);
    verifying_ =
        settings_.verify && !settings_.testWrite && outcome == Outcome::Done && anyTrackWritten_ && !abortRequested_;
    return verifying_;
}

void CDiscWriter::VerifyDisc()
{
    DiscVerifier verifier(commands_, GetDevice(), written_);
    const DiscVerification verification =
        verifier.Verify([this](const std::string& text, int percent) { ReportStep(text, percent); }, abortRequested_);
    std::lock_guard lock(progressMutex_);
    verification_ = verification;
}

bool CDiscWriter::SetWriteParameters(uint8_t writeType)
{
    std::array<uint8_t, kWritePageBufferSize> page{};
    std::array<uint8_t, kModeHeaderLength> header{};
    std::array<uint8_t, 8> blockDescriptor{};
    if (commands_.GetModePage(GetDevice(), kWritePageCode, page, header.data(), blockDescriptor.data()) != 0)
        return false;
    Trace("Get mode page went OK! Setting flags\n");
    page[0] &= 0x7F;
    page[2] = static_cast<uint8_t>((page[2] & 0xA0) | (underrunProtection_ ? 0x40 : 0) |
                                   (settings_.testWrite ? 0x10 : 0) | writeType);
    page[3] = source_->IsAudioTrack(trackIndex_) ? kAudioTrackMode : kDataTrackMode;
    page[4] = source_->GetDataBlockType();
    page[14] = static_cast<uint8_t>(cd::kPauseSectors >> 8);
    page[15] = static_cast<uint8_t>(cd::kPauseSectors);
    if (commands_.SendModePage(GetDevice(), page, header.data(), nullptr) != 0)
        return false;
    Trace("Modified mode page with write params was accepted\n");
    return true;
}

// The drive numbers its tracks itself: the track about to be written is the
// one after those already on the disc in this session. A drive that gives no
// valid address for it is not written to at all. -1 when there is none.
int32_t CDiscWriter::GetWriteAddress()
{
    const int trackNumber = tracksWritten_ + 1;
    int32_t address = -1;
    for (int attempt = 0;; ++attempt) {
        if (commands_.ReadTrackInformation(GetDevice(), trackNumber, &address) == 0 && address >= 0)
            return address;
        if (attempt + 1 >= kWriteAddressRetries || abortEvent_.Wait(timings_.writeAddressRetryWait))
            return -1;
    }
}

int CDiscWriter::CurrentPercent() const
{
    if (totalBytes_ <= 0.0)
        return lastPercent_;
    const int percent = static_cast<int>(bytesDone_ * 100.0 / totalBytes_);
    return std::clamp(percent, lastPercent_, 100);
}

void CDiscWriter::SkipTrack(SkipReason reason)
{
    Trace("%s\n", kTextTrackNotPrimed);
    RecordSkip(trackIndex_, reason);
    ReportStep(kTextTrackNotPrimed, lastPercent_);
}

void CDiscWriter::RecordSkip(int trackIndex, SkipReason reason)
{
    std::lock_guard lock(progressMutex_);
    skipped_.push_back(SkippedTrack{trackIndex, reason});
}

void CDiscWriter::Report(const std::string& text, int percent)
{
    {
        std::lock_guard lock(progressMutex_);
        displayText_ = text;
        percent_ = percent;
    }
    Post(msg::WM_BURN_PROGRESS);
}

// After a stop, the steps that still run keep quiet so that the stop text
// stays in the window.
void CDiscWriter::ReportStep(const std::string& text, int percent)
{
    if (!abortRequested_)
        Report(text, percent);
}

void CDiscWriter::FinishSource()
{
    std::lock_guard lock(sourceMutex_);
    if (source_ != nullptr)
        source_->FinishBurn();
}

// Only the burn thread lets go of the source, at its end; a stop merely
// finishes it, so the thread can go on using it.
void CDiscWriter::ReleaseSource(bool finish)
{
    std::lock_guard lock(sourceMutex_);
    if (finish)
        source_->FinishBurn();
    source_ = nullptr;
}

void CDiscWriter::Post(uint32_t message) const
{
    PostMessage(mainWindow_, message, 0, 0);
}

// The tracks of a burn written at once: only those with audio are laid out.
std::vector<int> CDiscWriter::TracksWithAudio()
{
    std::vector<int> tracks;
    for (int track = 0; track < source_->GetTrackCount(); ++track) {
        if (source_->GetTrackBytes(track) >= 1.0)
            tracks.push_back(track);
    }
    return tracks;
}

// Each track is laid out in whole samples: a stray byte at a track's end
// would shift every sample of the stream after it.
CueSheet CDiscWriter::AtOnceLayout(const std::vector<int>& tracks, bool cdText)
{
    std::vector<int64_t> bytes;
    for (const int track : tracks)
        bytes.push_back(static_cast<int64_t>(source_->GetTrackBytes(track)) / cd::kBytesPerFrame * cd::kBytesPerFrame);
    return CueSheet(bytes, settings_.pauseFrames, cdText);
}

// The cue sheet announces the whole session, the lead-in carries the
// CD-TEXT, and one stream of WRITEs runs from track 1's pause to the
// lead-out. Nothing is closed: the drive ends the session once its cache is
// written out.
CDiscWriter::Outcome CDiscWriter::WriteDiscAtOnce(std::vector<uint8_t>& buffer)
{
    lastPercent_ = 0;
    const std::vector<int> tracks = TracksWithAudio();
    if (!source_->OpenSession(0)) {
        Trace("%s\n", kTextSessionNotPrimed);
        return Outcome::Done;
    }
    // Without a track of audio the disc stays blank, as track-at-once leaves it.
    if (tracks.empty()) {
        for (trackIndex_ = 0; trackIndex_ < source_->GetTrackCount(); ++trackIndex_)
            SkipTrackWithoutAudio();
        return Outcome::Done;
    }
    const std::vector<CdTextPack> packs = BuildCdText(tracks);
    const CueSheet sheet = AtOnceLayout(tracks, !packs.empty());
    if (!SetWriteParameters(kSessionAtOnce))
        return Failed();
    if (commands_.SendCueSheet(GetDevice(), sheet.Bytes()) != 0)
        return Failed();
    if (!packs.empty()) {
        const Outcome leadIn = WriteLeadIn(packs);
        if (leadIn != Outcome::Done)
            return leadIn;
    }
    return StreamSession(sheet, tracks, buffer);
}

// The packs of the tracks written: the album's texts and theirs. What had
// to be left out or cut is kept for the burn's report.
std::vector<CdTextPack> CDiscWriter::BuildCdText(const std::vector<int>& tracks)
{
    DiscText text{discText_.album, {}};
    for (const int track : tracks) {
        const auto at = static_cast<size_t>(track);
        text.tracks.push_back(at < discText_.tracks.size() ? discText_.tracks[at] : DiscText::Entry{});
    }
    std::vector<std::string> warnings;
    std::vector<CdTextPack> packs = CdTextBuilder::Build(text, warnings);
    std::lock_guard lock(progressMutex_);
    warnings_ = std::move(warnings);
    return packs;
}

void CDiscWriter::SkipTrackWithoutAudio()
{
    ReportStep(TrackText(kTextPreparingTrack, trackIndex_ + 1), lastPercent_);
    SkipTrack(SkipReason::NoAudio);
}

// Each track's audio exactly as long as the cue sheet announced it, silence
// between. A track without audio has no place in the layout; one whose
// decoder cannot be opened keeps its place as silence.
CDiscWriter::Outcome CDiscWriter::StreamSession(const CueSheet& sheet, const std::vector<int>& tracks,
                                                std::vector<uint8_t>& buffer)
{
    nextAddress_ = static_cast<int32_t>(CueSheet::kFirstWrittenSector);
    streamEnd_ = CueSheet::kFirstWrittenSector * cd::kSectorSize;
    pending_ = 0;
    streamed_ = {};
    trackSpans_.clear();
    recordedTrack_ = 0;
    for (size_t at = 0; at < sheet.Tracks().size(); ++at) {
        const bool last = at + 1 == sheet.Tracks().size();
        trackSpans_.emplace_back(sheet.Tracks()[at].start,
                                 last ? sheet.LeadOutStart() : sheet.Tracks()[at + 1].pauseStart);
    }
    size_t laidOut = 0;
    for (trackIndex_ = 0; trackIndex_ < source_->GetTrackCount(); ++trackIndex_) {
        if (laidOut == tracks.size() || tracks[laidOut] != trackIndex_) {
            SkipTrackWithoutAudio();
            continue;
        }
        const Outcome outcome = StreamTrack(sheet.Tracks()[laidOut++], buffer);
        if (outcome != Outcome::Done)
            return outcome;
    }
    if (!StreamSilenceUpTo(sheet.LeadOutStart() * cd::kSectorSize, buffer))
        return streamed_.outcome;
    tracksWritten_ = static_cast<int>(tracks.size());
    return FinishDiscAtOnce(buffer);
}

// The lead-in's sub-channel from its start up to track 1's pause, the packs
// repeating four to a block.
CDiscWriter::Outcome CDiscWriter::WriteLeadIn(const std::vector<CdTextPack>& packs)
{
    int32_t leadIn = 0;
    if (commands_.ReadLeadInStart(GetDevice(), leadIn) != 0)
        return Failed();
    std::vector<uint8_t> blocks(size_t{kLeadInBlocksPerWrite} * CdTextPack::kBlockBytes);
    for (nextAddress_ = leadIn; nextAddress_ < CueSheet::kFirstWrittenSector;) {
        const int count = std::min<int>(kLeadInBlocksPerWrite, CueSheet::kFirstWrittenSector - nextAddress_);
        for (int block = 0; block < count; ++block)
            CdTextBuilder::LeadInBlock(packs, nextAddress_ - leadIn + block, &blocks[block * CdTextPack::kBlockBytes]);
        if (WriteWithRetries(blocks, count, count * static_cast<int>(CdTextPack::kBlockBytes)) != 0)
            return Failed();
        if (abortRequested_)
            return Outcome::Stopped;
        nextAddress_ += count;
    }
    return Outcome::Done;
}

// Silence up to the track's first byte, then its audio cut or filled with
// silence to the length the cue sheet announced.
CDiscWriter::Outcome CDiscWriter::StreamTrack(const CueSheet::Track& track, std::vector<uint8_t>& buffer)
{
    ReportStep(TrackText(kTextPreparingTrack, trackIndex_ + 1), lastPercent_);
    if (!StreamSilenceUpTo(track.audioStart, buffer))
        return streamed_.outcome;
    if (!source_->OpenTrack(trackIndex_)) {
        SkipTrack(SkipReason::NoDecoder);
        return StreamSilenceUpTo(track.audioStart + track.audioBytes, buffer) ? Outcome::Done : streamed_.outcome;
    }
    std::vector<uint8_t> block(buffer.size());
    int64_t left = track.audioBytes;
    for (;;) {
        int length = static_cast<int>(block.size());
        if (!source_->ReadAudio(block.data(), length) || length < 0)
            break;
        bytesDone_ = source_->GetBytesDone();
        lastPercent_ = CurrentPercent();
        ReportStep(TrackText(kTextWritingTrack, trackIndex_ + 1), lastPercent_);
        if (abortRequested_)
            return Outcome::Stopped;
        const int64_t taken = std::min<int64_t>(length, left);
        if (!Stream(block.data(), taken, buffer))
            return streamed_.outcome;
        left -= taken;
    }
    if (abortRequested_)
        return Outcome::Stopped;
    return StreamSilenceUpTo(track.audioStart + track.audioBytes, buffer) ? Outcome::Done : streamed_.outcome;
}

// Adds bytes (silence for no data) to the stream, writing each chunk the
// buffer fills. False when a WRITE failed or the burn was stopped, which
// streamed_ tells.
bool CDiscWriter::Stream(const uint8_t* data, int64_t bytes, std::vector<uint8_t>& buffer)
{
    const int chunk = static_cast<int>(buffer.size());
    while (bytes > 0) {
        const int taken = static_cast<int>(std::min<int64_t>(bytes, chunk - pending_));
        if (data != nullptr) {
            std::copy_n(data, taken, buffer.begin() + pending_);
            data += taken;
        } else {
            std::fill_n(buffer.begin() + pending_, taken, 0);
        }
        pending_ += taken;
        bytes -= taken;
        streamEnd_ += taken;
        if (pending_ < chunk)
            continue;
        if (!WriteChunk(buffer, kBlocksPerChunk, chunk, streamed_))
            return false;
        pending_ = 0;
        if (abortRequested_) {
            streamed_.outcome = Outcome::Stopped;
            return false;
        }
    }
    return true;
}

// Written at once, a chunk may hold the end of one track, a pause and the
// start of the next: each track keeps the sectors from its INDEX 01 up to
// the next track's pause, as the disc's table of contents gives them.
void CDiscWriter::RecordAtOnce(const uint8_t* data, int blocks)
{
    for (int block = 0; block < blocks; ++block) {
        const int64_t sector = nextAddress_ + block;
        while (recordedTrack_ < trackSpans_.size() && sector >= trackSpans_[recordedTrack_].second)
            ++recordedTrack_;
        if (recordedTrack_ == trackSpans_.size() || sector < trackSpans_[recordedTrack_].first)
            continue;
        if (sector == trackSpans_[recordedTrack_].first)
            written_.BeginTrack();
        written_.Add(data + static_cast<ptrdiff_t>(block) * cd::kSectorSize, cd::kSectorSize);
    }
}

bool CDiscWriter::StreamSilenceUpTo(int64_t end, std::vector<uint8_t>& buffer)
{
    return Stream(nullptr, std::max<int64_t>(0, end - streamEnd_), buffer);
}

// The stream's last chunk ends at the lead-out, on a sector's end; then the
// drive writes what it holds and the lead-out.
CDiscWriter::Outcome CDiscWriter::FinishDiscAtOnce(std::vector<uint8_t>& buffer)
{
    if (pending_ > 0 && !WriteChunk(buffer, pending_ / cd::kSectorSize, pending_, streamed_))
        return streamed_.outcome;
    ReportStep(kTextClosingSession, lastPercent_);
    if (commands_.SynchronizeCache(GetDevice()) != 0)
        return Failed();
    if (!WaitForSessionClose())
        return abortRequested_ ? Outcome::Stopped : Outcome::Failed;
    anyTrackWritten_ = true;
    return Outcome::Done;
}

}  // namespace quillstar
