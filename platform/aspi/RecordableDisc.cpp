#include "platform/aspi/RecordableDisc.h"

#include <algorithm>
#include <utility>

#include "platform/Trace.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"
#include "resources/ImageRecorderTexts.h"

namespace quillstar {

namespace {

constexpr int kLeadInSectors = 150;
constexpr int kAudioTrackMode = 0x0;

}  // namespace

RecordableDisc::RecordableDisc(const ImageRecorderOptions& options, const std::string& imagePath)
    : leadOutStart_(static_cast<int64_t>(options.minutes) * 60 * cd::kSectorsPerSecond - 1 - kLeadInSectors),
      atOnce_(aspi::kLeadInStartSector, leadOutStart_),
      image_(imagePath, options.imageWriteFails)
{
    using Disc = ImageRecorderOptions::Disc;
    if (options.disc == Disc::kAppendable || options.disc == Disc::kComplete)
        tracks_.push_back({1, 0, 0, aspi::kEarlierTrackSectors, kAudioTrackMode});
    sessionClosed_ = options.disc == Disc::kComplete;
}

RecordableDisc::Status RecordableDisc::GetStatus() const
{
    if (sessionClosed_)
        return Status::kComplete;
    return tracks_.empty() && incompleteSectors_ == 0 ? Status::kEmpty : Status::kIncomplete;
}

int RecordableDisc::IncompleteTrackNumber() const
{
    return sessionClosed_ ? 0 : static_cast<int>(tracks_.size()) + 1;
}

int64_t RecordableDisc::IncompleteTrackStart() const
{
    return tracks_.empty() ? 0 : tracks_.back().end;
}

int64_t RecordableDisc::IncompleteTrackSectors() const
{
    return incompleteSectors_;
}

int64_t RecordableDisc::NextWritableAddress(int pauseSectors) const
{
    if (incompleteSectors_ > 0)
        return incomplete_.end;
    return tracks_.empty() ? 0 : IncompleteTrackStart() + pauseSectors;
}

ScsiOutcome RecordableDisc::CheckWrite(int64_t address, int64_t blocks, int pauseSectors) const
{
    if (IsWrittenAtOnce())
        return ScsiOutcome::CheckCondition(scsi::kIllegalModeForThisTrack);
    if (sessionClosed_ || address != NextWritableAddress(pauseSectors))
        return ScsiOutcome::CheckCondition(scsi::kInvalidAddressForWrite);
    if (address + blocks > leadOutStart_)
        return ScsiOutcome::CheckCondition(scsi::kLbaOutOfRange);
    return ScsiOutcome::Good();
}

ScsiOutcome RecordableDisc::Write(int64_t address, const uint8_t* data, int64_t blocks, uint8_t trackMode,
                                  bool simulate)
{
    std::string error;
    if (!simulate && !image_.Write(address, data, static_cast<size_t>(blocks) * cd::kSectorSize, error)) {
        Trace("Image recorder: %s\n", error.c_str());
        return ScsiOutcome::CheckCondition(scsi::kWriteError);
    }
    if (incompleteSectors_ == 0) {
        incomplete_ = {IncompleteTrackNumber(), IncompleteTrackStart(), address, address, trackMode};
    }
    incomplete_.end = address + blocks;
    incompleteSectors_ += blocks;
    return ScsiOutcome::Good();
}

ScsiOutcome RecordableDisc::CloseTrack(int number)
{
    if (sessionClosed_ || IsWrittenAtOnce())
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    if (number >= 1 && number < IncompleteTrackNumber())
        return ScsiOutcome::Good();  // already closed
    if (number != IncompleteTrackNumber())
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    // Drives refuse to close an empty track or one shorter than a CD track may be.
    if (incompleteSectors_ < cd::kMinimumTrackSectors)
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    tracks_.push_back(incomplete_);
    incompleteSectors_ = 0;
    return ScsiOutcome::Good();
}

ScsiOutcome RecordableDisc::CloseSession(bool simulate)
{
    if (IsWrittenAtOnce())
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    if (!sessionClosed_ && incompleteSectors_ > 0)
        return ScsiOutcome::CheckCondition(scsi::kIncompleteTrackInSession);
    if (sessionClosed_ || tracks_.empty())
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    if (simulate) {
        tracks_.clear();
        image_.Discard();
        Trace("Image recorder: test write finished, the disc is still blank\n");
        return ScsiOutcome::Good();
    }
    std::vector<DiscImage::Track> cueTracks;
    for (const Track& track : tracks_)
        cueTracks.push_back({track.number, track.pauseStart, track.start, {}, {}});
    std::string imagePath;
    std::string error;
    if (!image_.Finish(tracks_.back().end, cueTracks, imagePath, error)) {
        Trace("Image recorder: the image could not be written: %s\n", error.c_str());
        return ScsiOutcome::CheckCondition(scsi::kSessionFixationError);
    }
    sessionClosed_ = true;
    return ScsiOutcome::Good();
}

int64_t RecordableDisc::ReadableEnd() const
{
    return tracks_.empty() ? 0 : tracks_.back().end;
}

ScsiOutcome RecordableDisc::CheckRead(int64_t address, int64_t blocks) const
{
    const int64_t leadOut = sessionClosed_ ? ReadableEnd() : leadOutStart_;
    if (address < 0 || address + blocks > leadOut)
        return ScsiOutcome::CheckCondition(scsi::kLbaOutOfRange);
    // Blank sectors and those of the open track have no mode to read them in.
    if (address + blocks > ReadableEnd())
        return ScsiOutcome::CheckCondition(scsi::kIllegalModeForThisTrack);
    return ScsiOutcome::Good();
}

ScsiOutcome RecordableDisc::Read(int64_t firstByte, uint8_t* data, size_t bytes) const
{
    const int64_t readableBytes = ReadableEnd() * cd::kSectorSize;
    const int64_t from = std::clamp<int64_t>(firstByte, 0, readableBytes);
    const int64_t to = std::clamp<int64_t>(firstByte + static_cast<int64_t>(bytes), 0, readableBytes);
    std::fill(data, data + bytes, 0);
    std::string error;
    if (to > from && !image_.Read(from, data + (from - firstByte), static_cast<size_t>(to - from), error)) {
        Trace("Image recorder: %s\n", error.c_str());
        return ScsiOutcome::CheckCondition(scsi::kUncorrectableReadError);
    }
    return ScsiOutcome::Good();
}

ScsiOutcome RecordableDisc::SendCueSheet(const uint8_t* sheet, size_t length)
{
    if (GetStatus() != Status::kEmpty)
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    return atOnce_.TakeCueSheet(sheet, length);
}

ScsiOutcome RecordableDisc::CheckWriteAtOnce(int64_t address, int64_t blocks, size_t bytes) const
{
    if (sessionClosed_)
        return ScsiOutcome::CheckCondition(scsi::kInvalidAddressForWrite);
    return atOnce_.CheckWrite(address, blocks, bytes);
}

// The image starts at track 1's INDEX 01: neither the lead-in nor the pause
// before track 1 is in it.
ScsiOutcome RecordableDisc::WriteAtOnce(int64_t address, const uint8_t* data, int64_t blocks, bool simulate)
{
    const int64_t skipped = std::clamp<int64_t>(-address, 0, blocks);
    std::string error;
    if (!simulate && skipped < blocks &&
        !image_.Write(address + skipped, data + skipped * cd::kSectorSize,
                      static_cast<size_t>(blocks - skipped) * cd::kSectorSize, error)) {
        Trace("Image recorder: %s\n", error.c_str());
        return ScsiOutcome::CheckCondition(scsi::kWriteError);
    }
    atOnce_.Wrote(address, data, blocks);
    return ScsiOutcome::Good();
}

ScsiOutcome RecordableDisc::FinishAtOnce(bool simulate)
{
    if (simulate) {
        atOnce_ = SessionAtOnce(aspi::kLeadInStartSector, leadOutStart_);
        image_.Discard();
        Trace("Image recorder: test write finished, the disc is still blank\n");
        return ScsiOutcome::Good();
    }
    const std::vector<CdTextPack>& packs = atOnce_.Packs();
    const std::vector<std::string> titles = CdTextPack::Texts(packs, CdTextPack::kTitle);
    const std::vector<std::string> performers = CdTextPack::Texts(packs, CdTextPack::kPerformer);
    const auto text = [](const std::vector<std::string>& texts, size_t at) {
        return at < texts.size() ? texts[at] : std::string();
    };
    DiscImage::CdText cdText{text(titles, 0), text(performers, 0), {}};
    if (!packs.empty()) {
        cdText.packs.resize(4);
        big_endian::Put16(cdText.packs.data(), static_cast<uint32_t>(packs.size() * CdTextPack::kBytes + 2));
        for (const CdTextPack& pack : packs)
            cdText.packs.insert(cdText.packs.end(), pack.bytes.begin(), pack.bytes.end());
    }
    std::vector<Track> tracks;
    std::vector<DiscImage::Track> cueTracks;
    for (const SessionAtOnce::Track& track : atOnce_.Tracks()) {
        const int64_t pauseStart = std::max<int64_t>(track.pauseStart, 0);
        tracks.push_back({track.number, pauseStart, track.start, track.end, track.control});
        const auto at = static_cast<size_t>(track.number);
        cueTracks.push_back({track.number, pauseStart, track.start, text(titles, at), text(performers, at)});
    }
    image_.SetCdText(std::move(cdText));
    std::string imagePath;
    std::string error;
    if (!image_.Finish(atOnce_.LeadOutStart(), cueTracks, imagePath, error)) {
        Trace("Image recorder: the image could not be written: %s\n", error.c_str());
        return ScsiOutcome::CheckCondition(scsi::kSessionFixationError);
    }
    tracks_ = std::move(tracks);
    sessionClosed_ = true;
    return ScsiOutcome::Good();
}

}  // namespace quillstar
