#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/aspi/DriveBuffer.h"
#include "platform/aspi/ImageRecorderOptions.h"
#include "platform/aspi/RecordableDisc.h"
#include "platform/aspi/RecorderModePages.h"
#include "platform/aspi/ScsiTarget.h"

namespace quillstar {

// A CD-R/RW writer that burns to a disc image. It answers the MMC commands
// a burner sends as strictly as a real drive: wrong fields, a WRITE at the
// wrong address or in the wrong mode, closing what cannot be closed all end
// in CHECK CONDITION with the fitting sense. It writes track-at-once or, after
// a cue sheet, the whole session at once with CD-TEXT in its lead-in. Closing
// the session (or, written at once, reaching its lead-out) writes the image
// and its CUE sheet; the tracks it closed read back with READ TOC (the table
// of contents and the CD-TEXT) and READ CD, shifted and damaged as the
// options ask. Ejecting inserts a fresh disc, unless the tray is locked.
class ImageRecorder : public ScsiTarget {
public:
    ImageRecorder(std::string imagePath, const ImageRecorderOptions& options);

    ScsiOutcome Execute(const ScsiCommand& command) override;
    // One holder at a time, as for a real drive.
    int Hold(bool hold) override;

private:
    ScsiOutcome Answer(const ScsiCommand& command);
    ScsiOutcome CheckDiscReady();

    ScsiOutcome Inquiry(const ScsiCommand& command);
    ScsiOutcome StartStopUnit(const ScsiCommand& command);
    ScsiOutcome PreventAllowMediumRemoval(const ScsiCommand& command);
    ScsiOutcome Write(const ScsiCommand& command);
    ScsiOutcome SynchronizeCache(const ScsiCommand& command);
    ScsiOutcome ReadDiscInformation(const ScsiCommand& command);
    ScsiOutcome ReadTrackInformation(const ScsiCommand& command);
    ScsiOutcome SendOpcInformation(const ScsiCommand& command);
    ScsiOutcome ModeSelect(const ScsiCommand& command);
    ScsiOutcome ModeSense(const ScsiCommand& command);
    ScsiOutcome CloseTrackOrSession(const ScsiCommand& command);
    ScsiOutcome SetSpeed(const ScsiCommand& command);
    ScsiOutcome SendCueSheet(const ScsiCommand& command);
    ScsiOutcome ReadToc(const ScsiCommand& command);
    ScsiOutcome TableOfContents(const ScsiCommand& command);
    ScsiOutcome LeadInCdText(const ScsiCommand& command);
    ScsiOutcome ReadCd(const ScsiCommand& command);

    std::vector<uint8_t> TrackInformation(int number) const;
    std::vector<uint8_t> IncompleteTrackInformation() const;
    int TrackContaining(int64_t address) const;
    void CorruptSectors(int64_t firstByte, uint8_t* data, size_t bytes) const;
    void InsertDisc();

    const std::string imagePath_;
    const ImageRecorderOptions options_;
    std::mutex mutex_;
    std::unique_ptr<RecordableDisc> disc_;
    RecorderModePages pages_;
    DriveBuffer buffer_;
    int notReadyAnswers_ = 0;
    int writesOnDisc_ = 0;
    int trackClosesOnDisc_ = 0;
    bool trayLocked_ = false;
    bool held_ = false;
};

}  // namespace quillstar
