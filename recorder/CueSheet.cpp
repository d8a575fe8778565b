#include "recorder/CueSheet.h"

#include <algorithm>
#include <cmath>

#include "resources/CdAudio.h"
#include "resources/RecorderConstants.h"

namespace quillstar {

using namespace recorder;

namespace {

// Control 2 (two-channel audio, digital copy permitted, as track-at-once
// writes it) and ADR 1 (the entry gives a position).
constexpr uint8_t kAudioControlAdr = 0x21;
constexpr uint8_t kLeadOutTrack = 0xAA;
// Data forms: audio the host sends, audio the drive makes up (lead-in and
// lead-out), and the lead-in's sub-channel carrying CD-TEXT.
constexpr uint8_t kHostAudio = 0x00;
constexpr uint8_t kDriveAudio = 0x01;
constexpr uint8_t kCdTextInLeadIn = 0x40;

int64_t SectorsHolding(int64_t bytes)
{
    return (bytes + cd::kSectorSize - 1) / cd::kSectorSize;
}

void AddEntry(std::vector<uint8_t>& sheet, uint8_t track, uint8_t index, uint8_t dataForm, int64_t sector)
{
    const int64_t frames = sector + kFirstTrackOffsetFrames;
    sheet.insert(sheet.end(), {kAudioControlAdr, track, index, dataForm, 0,
                               static_cast<uint8_t>(frames / (60 * cd::kSectorsPerSecond)),
                               static_cast<uint8_t>(frames / cd::kSectorsPerSecond % 60),
                               static_cast<uint8_t>(frames % cd::kSectorsPerSecond)});
}

}  // namespace

CueSheet::CueSheet(const std::vector<int64_t>& trackBytes, int pauseFrames, bool cdText) : cdText_(cdText)
{
    // The stream so far, in bytes from sector 0, and the sector the last
    // track started in.
    int64_t end = 0;
    int64_t lastStart = 0;
    for (size_t at = 0; at < trackBytes.size(); ++at) {
        Track track;
        if (at > 0) {
            // A track spans at least 4 seconds up to the next one's start.
            end = std::max(end, (lastStart + cd::kMinimumTrackSectors) * cd::kSectorSize);
            if (pauseFrames > 0)
                end = SectorsHolding(end) * cd::kSectorSize;
            track.pauseStart = end / cd::kSectorSize;
            end += int64_t{pauseFrames} * cd::kSectorSize;
        }
        track.start = end / cd::kSectorSize;
        if (at == 0)
            track.pauseStart = kFirstWrittenSector;
        track.audioStart = end;
        track.audioBytes = trackBytes[at];
        end += trackBytes[at];
        lastStart = track.start;
        tracks_.push_back(track);
    }
    leadOutStart_ = tracks_.empty() ? 0 : std::max(SectorsHolding(end), lastStart + cd::kMinimumTrackSectors);
}

std::vector<uint8_t> CueSheet::Bytes() const
{
    std::vector<uint8_t> sheet;
    AddEntry(sheet, 0, 0, static_cast<uint8_t>(kDriveAudio | (cdText_ ? kCdTextInLeadIn : 0)), kFirstWrittenSector);
    for (size_t at = 0; at < tracks_.size(); ++at) {
        const auto number = static_cast<uint8_t>(at + 1);
        if (tracks_[at].pauseStart < tracks_[at].start)
            AddEntry(sheet, number, 0, kHostAudio, tracks_[at].pauseStart);
        AddEntry(sheet, number, 1, kHostAudio, tracks_[at].start);
    }
    AddEntry(sheet, kLeadOutTrack, 1, kDriveAudio, leadOutStart_);
    return sheet;
}

int CueSheet::PauseFrames(double seconds)
{
    const double frames = seconds * cd::kSectorsPerSecond;
    if (!(frames >= 0.0 && frames <= kMostPauseFrames))
        return -1;
    return static_cast<int>(std::lround(frames));
}

}  // namespace quillstar
