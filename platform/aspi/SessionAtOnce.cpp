#include "platform/aspi/SessionAtOnce.h"

#include "resources/CdAudio.h"

namespace quillstar {

namespace {

constexpr size_t kEntryBytes = 8;
constexpr uint8_t kPositionAdr = 1;
constexpr uint8_t kCatalogAdr = 2;
constexpr uint8_t kIsrcAdr = 3;
constexpr uint8_t kDataTrackControl = 0x40;
constexpr uint8_t kLeadOutTrack = 0xAA;
constexpr int kMostTracks = 99;
// Data forms: audio the host sends, audio the drive makes up (lead-in and
// lead-out), and that with CD-TEXT in the lead-in's sub-channel.
constexpr uint8_t kHostAudio = 0x00;
constexpr uint8_t kDriveAudio = 0x01;
constexpr uint8_t kDriveAudioWithCdText = 0x41;
// Lead-in blocks carry only the sub-channel's CD-TEXT.
constexpr size_t kLeadInBlockBytes = CdTextPack::kBlockBytes;
// The most packs eight blocks of CD-TEXT can hold.
constexpr size_t kMostPacks = 8 * 256;

struct Entry {
    uint8_t control = 0;
    uint8_t track = 0;
    uint8_t index = 0;
    uint8_t form = 0;
    int64_t sector = 0;
};

ScsiOutcome Invalid()
{
    return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInParameterList);
}

}  // namespace

SessionAtOnce::SessionAtOnce(int64_t leadInStart, int64_t lastLeadOut)
    : leadInStart_(leadInStart), lastLeadOut_(lastLeadOut)
{
}

ScsiOutcome SessionAtOnce::TakeCueSheet(const uint8_t* sheet, size_t length)
{
    if (HasStarted())
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    tracks_.clear();
    packs_.clear();
    cycleComplete_ = false;
    const ScsiOutcome read = ReadEntries(sheet, length);
    if (!read.IsGood())
        tracks_.clear();
    return read;
}

ScsiOutcome SessionAtOnce::ReadEntries(const uint8_t* sheet, size_t length)
{
    if (length == 0 || length % kEntryBytes != 0)
        return ScsiOutcome::CheckCondition(scsi::kParameterListLengthError);
    std::vector<Entry> entries;
    for (const uint8_t* entry = sheet; entry < sheet + length; entry += kEntryBytes) {
        const uint8_t adr = entry[0] & 0x0F;
        // The catalog number and ISRC entries carry no position.
        if (adr == kCatalogAdr || adr == kIsrcAdr)
            continue;
        if (adr != kPositionAdr || (entry[0] & kDataTrackControl) != 0 || entry[6] >= 60 ||
            entry[7] >= cd::kSectorsPerSecond)
            return Invalid();
        const int64_t frames = (int64_t{entry[5]} * 60 + entry[6]) * cd::kSectorsPerSecond + entry[7];
        entries.push_back(
            {static_cast<uint8_t>(entry[0] >> 4), entry[1], entry[2], entry[3], frames + kFirstAudioSector});
    }
    if (entries.size() < 4)
        return Invalid();
    const Entry& leadIn = entries.front();
    const Entry& leadOut = entries.back();
    if (leadIn.track != 0 || leadIn.index != 0 || leadIn.sector != kFirstAudioSector ||
        (leadIn.form != kDriveAudio && leadIn.form != kDriveAudioWithCdText))
        return Invalid();
    if (leadOut.track != kLeadOutTrack || leadOut.index != 1 || leadOut.form != kDriveAudio)
        return Invalid();

    int64_t previous = kFirstAudioSector;
    int lastIndex = 0;
    for (size_t at = 1; at + 1 < entries.size(); ++at) {
        const Entry& entry = entries[at];
        if (entry.form != kHostAudio || entry.sector < previous)
            return Invalid();
        const bool nextTrack = entry.track == tracks_.size() + 1;
        if (nextTrack) {
            // The track before has its INDEX 01.
            if (entry.index > 1 || entry.track > kMostTracks || (!tracks_.empty() && lastIndex == 0))
                return Invalid();
            tracks_.push_back({entry.track, entry.sector, entry.sector, 0, entry.control});
        } else if (tracks_.empty() || entry.track != tracks_.back().number || entry.index != lastIndex + 1) {
            return Invalid();
        }
        if (entry.index == 1)
            tracks_.back().start = entry.sector;
        lastIndex = entry.index;
        previous = entry.sector;
    }
    if (tracks_.empty() || lastIndex == 0 || tracks_.front().pauseStart != kFirstAudioSector ||
        tracks_.front().start != 0 || leadOut.sector < previous || leadOut.sector > lastLeadOut_)
        return Invalid();
    for (size_t at = 0; at < tracks_.size(); ++at) {
        Track& track = tracks_[at];
        track.end = at + 1 < tracks_.size() ? tracks_[at + 1].pauseStart : leadOut.sector;
        if (track.end - track.start < cd::kMinimumTrackSectors)
            return Invalid();
    }
    leadOutStart_ = leadOut.sector;
    firstAddress_ = leadIn.form == kDriveAudioWithCdText ? leadInStart_ : kFirstAudioSector;
    next_ = firstAddress_;
    return ScsiOutcome::Good();
}

ScsiOutcome SessionAtOnce::CheckWrite(int64_t address, int64_t blocks, size_t bytes) const
{
    if (!HasCueSheet())
        return ScsiOutcome::CheckCondition(scsi::kCommandSequenceError);
    if (address != next_)
        return ScsiOutcome::CheckCondition(scsi::kInvalidAddressForWrite);
    if (address + blocks > leadOutStart_)
        return ScsiOutcome::CheckCondition(scsi::kLbaOutOfRange);
    // The lead-in's blocks and the audio sectors differ in size: one WRITE
    // stays on one side of track 1's pause.
    const bool leadIn = address < kFirstAudioSector;
    if (leadIn && address + blocks > kFirstAudioSector)
        return ScsiOutcome::CheckCondition(scsi::kIllegalModeForThisTrack);
    const size_t blockBytes = leadIn ? kLeadInBlockBytes : cd::kSectorSize;
    if (bytes != static_cast<size_t>(blocks) * blockBytes)
        return ScsiOutcome::CheckCondition(scsi::kInvalidFieldInCdb);
    return ScsiOutcome::Good();
}

void SessionAtOnce::Wrote(int64_t address, const uint8_t* data, int64_t blocks)
{
    next_ = address + blocks;
    if (address >= kFirstAudioSector)
        return;
    // The lead-in repeats the packs over and over: one cycle is kept. A
    // drive reading them back passes over any that fail their CRC.
    for (int64_t symbols = 0; symbols < blocks * static_cast<int64_t>(CdTextPack::kPacksPerBlock); ++symbols) {
        const CdTextPack pack = CdTextPack::FromSymbols(data + symbols * CdTextPack::kSymbols);
        if (cycleComplete_ || packs_.size() >= kMostPacks)
            return;
        if (!pack.HasValidCrc())
            continue;
        if (!packs_.empty() && pack == packs_.front())
            cycleComplete_ = true;
        else
            packs_.push_back(pack);
    }
}

}  // namespace quillstar
