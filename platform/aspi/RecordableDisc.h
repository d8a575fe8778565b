#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/aspi/DiscImage.h"
#include "platform/aspi/ImageRecorderOptions.h"
#include "platform/aspi/ScsiOutcome.h"
#include "platform/aspi/SessionAtOnce.h"

namespace quillstar {

// The CD-R in the image recorder: one session, written track-at-once (the
// incomplete, invisible track after the closed ones) or at once (after a
// cue sheet), and the image its sectors go to.
class RecordableDisc {
public:
    enum class Status { kEmpty = 0, kIncomplete = 1, kComplete = 2 };

    struct Track {
        int number = 0;
        int64_t pauseStart = 0;  // first sector of the pause before the audio
        int64_t start = 0;       // first sector of the audio
        int64_t end = 0;         // one past the last sector
        uint8_t mode = 0;        // track mode of the write parameters page
    };

    RecordableDisc(const ImageRecorderOptions& options, const std::string& imagePath);

    Status GetStatus() const;
    // Address of the last possible start of the lead-out; writes end before it.
    int64_t LeadOutStart() const { return leadOutStart_; }
    const std::vector<Track>& ClosedTracks() const { return tracks_; }

    // The incomplete track after the closed ones; 0 on a complete disc.
    int IncompleteTrackNumber() const;
    // Where the incomplete track begins: the end of the last closed track.
    int64_t IncompleteTrackStart() const;
    int64_t IncompleteTrackSectors() const;
    // The next writable address: the incomplete track's end once it holds
    // sectors, otherwise its start plus the pause before it (none before track 1).
    int64_t NextWritableAddress(int pauseSectors) const;

    // Checks a WRITE of blocks sectors at address without writing.
    ScsiOutcome CheckWrite(int64_t address, int64_t blocks, int pauseSectors) const;
    // A test write (simulate) moves the laser as a write would and records
    // nothing: no sector reaches the image.
    ScsiOutcome Write(int64_t address, const uint8_t* data, int64_t blocks, uint8_t trackMode, bool simulate);
    ScsiOutcome CloseTrack(int number);
    // Writes the image and its CUE sheet under their final names; after a
    // test write the disc is left blank as it was and nothing is written.
    ScsiOutcome CloseSession(bool simulate);

    // One past the last sector a drive can read: the end of the last closed
    // track, the start of the session's lead-out once it is closed.
    int64_t ReadableEnd() const;
    // Checks a READ of blocks sectors at address: refused past the lead-out
    // and in sectors not yet written or in the incomplete track.
    ScsiOutcome CheckRead(int64_t address, int64_t blocks) const;
    // The disc's bytes from firstByte on; silence outside the readable sectors.
    ScsiOutcome Read(int64_t firstByte, uint8_t* data, size_t bytes) const;

    // A session written at once: a blank disc takes a cue sheet before its
    // first WRITE, then only the WRITEs the sheet allows; once every sector
    // up to the lead-out is written, finishing writes the image, its CUE
    // sheet and its CD-TEXT, and the disc is complete.
    ScsiOutcome SendCueSheet(const uint8_t* sheet, size_t length);
    bool IsWrittenAtOnce() const { return atOnce_.HasCueSheet(); }
    ScsiOutcome CheckWriteAtOnce(int64_t address, int64_t blocks, size_t bytes) const;
    ScsiOutcome WriteAtOnce(int64_t address, const uint8_t* data, int64_t blocks, bool simulate);
    bool IsWrittenToLeadOut() const { return !sessionClosed_ && atOnce_.IsComplete(); }
    // After a test write the disc is left blank as it was.
    ScsiOutcome FinishAtOnce(bool simulate);
    // The CD-TEXT packs the lead-in of a complete disc holds.
    const std::vector<CdTextPack>& CdTextPacks() const { return atOnce_.Packs(); }

private:
    int64_t leadOutStart_;
    bool sessionClosed_ = false;
    std::vector<Track> tracks_;
    Track incomplete_;
    int64_t incompleteSectors_ = 0;
    SessionAtOnce atOnce_;
    DiscImage image_;
};

}  // namespace quillstar
