#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/aspi/ImageRecorderOptions.h"
#include "platform/aspi/ScsiOutcome.h"

namespace quillstar {

// The image recorder's mode pages: the write parameters page (0x05), which
// MODE SELECT changes, and the capabilities page (0x2A), which reports the
// drive's features and speeds.
class RecorderModePages {
public:
    enum class Control { kCurrent = 0, kChangeable = 1, kDefault = 2, kSaved = 3 };

    explicit RecorderModePages(const ImageRecorderOptions& options);

    // The MODE SENSE(10) reply (header without block descriptor, then the
    // page or, for 0x3F, every page); nothing for a page the drive lacks.
    std::optional<std::vector<uint8_t>> Sense(uint8_t pageCode, Control control) const;
    // Applies a MODE SELECT(10) parameter list; nothing changes unless every
    // page in it is valid.
    ScsiOutcome Select(const uint8_t* list, size_t length);

    void SetCurrentSpeeds(int readSpeed, int writeSpeed);
    // In kB/s (1000 bytes).
    int CurrentReadSpeed() const { return currentReadSpeed_; }

    // Page 0x05 asks for track-at-once writing of raw 2352-byte audio sectors.
    bool SelectsTrackAtOnceAudio() const;
    // Page 0x05 asks for session-at-once writing, which a cue sheet lays out.
    bool SelectsSessionAtOnce() const;
    int PauseSectors() const;
    bool TestWrite() const;
    uint8_t TrackMode() const;

private:
    static constexpr size_t kWriteParametersLength = 0x32 + 2;
    using WriteParameters = std::array<uint8_t, kWriteParametersLength>;

    static WriteParameters DefaultWriteParameters();
    static WriteParameters ChangeableWriteParameters(bool testWrite);
    static bool IsValidWriteParameters(const uint8_t* page);
    std::vector<uint8_t> CapabilitiesPage(Control control) const;
    std::vector<uint8_t> WriteParametersPage(Control control) const;

    const ImageRecorderOptions& options_;
    WriteParameters writeParameters_;
    int currentReadSpeed_;
    int currentWriteSpeed_;
};

}  // namespace quillstar
