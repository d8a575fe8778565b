#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recorder/DeviceInfo.h"
#include "recorder/DiscVerification.h"
#include "recorder/MmcCommands.h"
#include "recorder/TableOfContents.h"
#include "recorder/WrittenAudio.h"

namespace quillstar {

// Reads a disc whose session was just closed back and compares every second
// of every track with what the writer sent. Drives read audio shifted by a
// few samples, so the shift is found first, in the first seconds of the
// first track that begins with sound, and every track is compared at it.
// Runs on the caller's thread.
class DiscVerifier {
public:
    // text: "Verifying track 03...", percent: 0 to 100 of the whole disc.
    using Progress = std::function<void(const std::string& text, int percent)>;

    DiscVerifier(MmcCommands& drive, const DeviceInfo& device, const WrittenAudio& written);

    // Stops between two reads once stop is set.
    DiscVerification Verify(const Progress& progress, const std::atomic<bool>& stop);

private:
    // Receives the bytes of consecutive samples; readable is false for those
    // of sectors the drive could not read (the data is then silence).
    using Sink = std::function<void(const uint8_t* data, size_t bytes, bool readable)>;

    bool ReadTableOfContents();
    // The shift at which a whole second of the searched audio is on the disc,
    // the smallest of them; nothing when there is none or the search stopped.
    std::optional<int> FindReadOffset();
    // Nothing when stopped.
    std::optional<DiscVerification::Track> VerifyTrack(size_t index, int offset);
    // The first bytes of a track that a read offset pushed before the disc's
    // first sector: known when the track was searched or began in silence.
    const uint8_t* KnownStart(size_t index, size_t bytes) const;
    // Reads the disc's samples from..to (both on the disc); false when stopped.
    bool ReadSamples(int64_t from, int64_t to, const Sink& sink);
    bool ReadSectorsWithRetries(int32_t address, int blocks, uint8_t* data);
    // Takes the next bytes of the track being compared; data may be null
    // when they are not readable.
    void Compare(const uint8_t* data, size_t bytes, bool readable);
    void EndSecond();
    void ReportProgress();

    MmcCommands& drive_;
    const DeviceInfo& device_;
    const WrittenAudio& written_;
    std::vector<WrittenAudio::Track> tracks_;
    TableOfContents toc_;
    const std::atomic<bool>* stop_ = nullptr;
    Progress progress_;
    std::string progressText_;
    int64_t bytesTotal_ = 0;
    int64_t bytesDone_ = 0;
    int lastPercent_ = -1;
    std::vector<uint8_t> chunk_;
    // The track being compared and where its comparison stands.
    const WrittenAudio::Track* compared_ = nullptr;
    int64_t comparedBytes_ = 0;
    uint32_t secondChecksum_ = 0;
    bool secondReadable_ = true;
    DiscVerification::Track comparison_;
};

}  // namespace quillstar
