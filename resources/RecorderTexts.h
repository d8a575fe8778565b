#pragma once

#include "resources/RecorderConstants.h"

// The recording engine's texts, shared by the engine, the windows, the
// command-line program and the tests.
namespace quillstar::recorder {

// The ASPI layer, loaded from the program's own folder.
inline constexpr const char* kAspiLibraryName = "libwnaspi32.so";
// The drive report file, in the user's home folder.
inline constexpr const char* kDriveReportFileName = "QuillstarDrive.txt";

// Trace texts of the transport's error table.
inline constexpr const char* kTraceSelectionTimeout = "IOError: SCSISelTimeout\n";
inline constexpr const char* kTraceDataOverrun = "IOError: SCSIDataOverrun\n";
inline constexpr const char* kTraceBusFree = "IOError: SCSIBusFree\n";
inline constexpr const char* kTraceBusFail = "IOError: SCSIBusFail\n";
inline constexpr const char* kTraceTargetBusy = "IOError: SCSITargetBusy\n";
inline constexpr const char* kTraceReservation = "IOError: SCSIReservation\n";
inline constexpr const char* kTraceNotReady = "IOError: SCSINotReady\n";
inline constexpr const char* kTraceMedium = "IOError: SCSIMedium\n";
inline constexpr const char* kTraceHardware = "IOError: SCSIHardware\n";
inline constexpr const char* kTraceIllegalRequest = "IOError: SCSIIllegalReq\n";
inline constexpr const char* kTraceUnitAttention = "IOError: SCSIUnitAttention\n";
inline constexpr const char* kTraceDataProtect = "IOError: SCSIDataProtect\n";
inline constexpr const char* kTraceBlankCheck = "IOError: SCSIBlankCheck\n";
inline constexpr const char* kTraceTargetAbort = "IOError: SCSITargetAbort\n";
inline constexpr const char* kTraceVolumeOverflow = "IOError: SCSIVolOverflow\n";
inline constexpr const char* kTraceLoadFailed = "\n\nATTENTION! LoadASPI FAILED!\n\n";

// Texts the writer shows while it burns.
inline constexpr const char* kTextSuccess = "Congratulations! This Audio CD is burned successfully!";
inline constexpr const char* kTextTooManyFiles = "Too many MP3 files to burn.";
inline constexpr const char* kTextWrongDisc = "The inserted disc is not a right CD-R/RW disc.";
inline constexpr const char* kTextDiscNotEmpty = "The CD-R/RW disc is not empty.";
inline constexpr const char* kTextNothingBurned =
    "Nothing was burned: none of the tracks could be written. The disc is still blank.";
// Starts the line of a drive the ASPI layer left out.
inline constexpr const char* kTextDriveLeftOut = "left out";
// Added to the reason a drive was left out when the user may not open it.
inline constexpr const char* kTextNoPermissionAdvice = " \u2014 add yourself to the cdrom group and log in again";
// A damaged track: where its audio stopped, minutes and seconds.
inline constexpr const char* kTextDamagedTrack = "damaged: the audio stops at %02d:%02d, silence fills the rest";
inline constexpr const char* kTextBurnFailed = "The burning process failed, the audio CD is not completed.";
inline constexpr const char* kTextWritingAtSpeed = "Writing at %dx";
inline constexpr const char* kTextSpeedRefused =
    "The drive refused the chosen speed; writing at its current speed, %dx";
inline constexpr const char* kTextTestWriteSuccess =
    "Test write finished: the audio CD would have burned successfully.";
inline constexpr const char* kTextDriveInUse = "The CD-R/RW drive is in use by another program.";
inline constexpr const char* kTextPowerCalibration = "Doing power calibration...";
inline constexpr const char* kTextPreparingTrack = "Preparing Audio CD track %02d...";
inline constexpr const char* kTextWritingTrack = "Writing Audio CD track %02d...";
inline constexpr const char* kTextClosingTrack = "Closing Audio CD track %02d...";
inline constexpr const char* kTextClosingSession = "Closing session, Writing lead-in and lead-out...";
inline constexpr const char* kTextTrackNotPrimed = "Track could not be primed for burn";
inline constexpr const char* kTextSessionNotPrimed = "Session could not be primed for burn";
// Warnings of the CD-TEXT a disc written at once carries.
inline constexpr const char* kTextCdTextLeftOut = "CD-TEXT: \"%s\" has no Latin-1 form and is left out.";
inline constexpr const char* kTextCdTextShortened = "CD-TEXT: the texts are cut to %d characters to fit on the disc.";

inline constexpr const char* SkipReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::NoDecoder:
        return "the file could not be opened for decoding";
    case SkipReason::NoAudio:
        return "the file has no audio";
    }
    return "";
}

}  // namespace quillstar::recorder
