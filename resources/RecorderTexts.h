#pragma once

#include <cstdint>

// The recording engine's texts, result codes and numbers, shared by the
// engine, the windows, the command-line program and the tests.
namespace quillstar::recorder {

// The ASPI layer, loaded from the program's own folder.
inline constexpr const char* kAspiLibraryName = "libwnaspi32.so";
// The drive report file, in the user's home folder.
inline constexpr const char* kDriveReportFileName = "QuillstarDrive.txt";

// Error codes of the engine (0 = success).
inline constexpr int kErrorNotLoaded = -1;
inline constexpr int kErrorNoSupportInfo = -2;
inline constexpr int kErrorNoSendCommand = -3;
inline constexpr int kErrorNoDevice = -5;
inline constexpr int kErrorInvalidCommand = -6;
inline constexpr int kErrorInvalidAdapter = -7;
inline constexpr int kErrorAborted = -8;
inline constexpr int kErrorSelectionTimeout = -9;
inline constexpr int kErrorDataOverrun = -10;
inline constexpr int kErrorBusFree = -11;
inline constexpr int kErrorBusFail = -12;
inline constexpr int kErrorTargetBusy = -13;
inline constexpr int kErrorReservation = -14;
inline constexpr int kErrorNotReady = -15;
inline constexpr int kErrorMedium = -16;
inline constexpr int kErrorHardware = -17;
inline constexpr int kErrorIllegalRequest = -18;
inline constexpr int kErrorUnitAttention = -19;
inline constexpr int kErrorDataProtect = -20;
inline constexpr int kErrorBlankCheck = -21;
inline constexpr int kErrorTargetAbort = -22;
inline constexpr int kErrorVolumeOverflow = -23;
inline constexpr int kErrorOther = -25;
inline constexpr int kErrorEndOfMedium = -37;
inline constexpr int kErrorNoModePage = -38;

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

// Disc status values of READ DISC INFORMATION.
inline constexpr int kDiscEmpty = 6;
inline constexpr int kDiscOpen = 7;
inline constexpr int kDiscClosed = 8;
// The disc kind the writer burns on: a blank write-once disc.
inline constexpr int kDiscKindWriteOnce = 1;

// Result codes of a burn, read by the windows after the finished message.
inline constexpr int kResultSuccess = 0;
inline constexpr int kResultTooManyFiles = 1;
inline constexpr int kResultWrongDisc = 2;
inline constexpr int kResultDiscNotEmpty = 3;
// No track reached the disc: it is left blank and its session open.
inline constexpr int kResultNothingBurned = 4;
// Another program holds the drive or has its disc mounted: nothing was sent
// to the disc.
inline constexpr int kResultDriveInUse = 6;

// Texts the writer shows while it burns.
inline constexpr const char* kTextSuccess = "Congratulations! This Audio CD is burned successfully!";
inline constexpr const char* kTextTooManyFiles = "Too many MP3 files to burn.";
inline constexpr const char* kTextWrongDisc = "The inserted disc is not a right CD-R/RW disc.";
inline constexpr const char* kTextDiscNotEmpty = "The CD-R/RW disc is not empty.";
inline constexpr const char* kTextNothingBurned =
    "Nothing was burned: none of the tracks could be written. The disc is still blank.";
inline constexpr const char* kTextDriveInUse = "The CD-R/RW drive is in use by another program.";
inline constexpr const char* kTextPowerCalibration = "Doing power calibration...";
inline constexpr const char* kTextPreparingTrack = "Preparing Audio CD track %02d...";
inline constexpr const char* kTextWritingTrack = "Writing Audio CD track %02d...";
inline constexpr const char* kTextClosingTrack = "Closing Audio CD track %02d...";
inline constexpr const char* kTextClosingSession = "Closing session, Writing lead-in and lead-out...";
inline constexpr const char* kTextTrackNotPrimed = "Track could not be primed for burn";
inline constexpr const char* kTextSessionNotPrimed = "Session could not be primed for burn";

// Why a track of the list did not reach the disc whole.
enum class SkipReason : int {
    NoDecoder = 1,          // its decoder could not be opened
    NoAudio = 2,            // it has no audio at all
    WriteFailed = 3,        // the drive refused to write (part of) it
    NoWriteParameters = 4,  // the drive refused the write parameters before it
    NoWriteAddress = 5,     // the drive gave no address to write it at
};

inline constexpr const char* SkipReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::NoDecoder:
        return "the file could not be opened for decoding";
    case SkipReason::NoAudio:
        return "the file has no audio";
    case SkipReason::WriteFailed:
        return "the drive refused to write the track, it is missing or incomplete";
    case SkipReason::NoWriteParameters:
        return "not written: the drive refused the write parameters";
    case SkipReason::NoWriteAddress:
        return "not written: the drive gave no address to write the track at";
    }
    return "";
}

// Numbers of a track-at-once burn.
inline constexpr int kWriteRetries = 8;
inline constexpr int kWriteAddressRetries = 10;
inline constexpr int kSessionClosePolls = 300;
inline constexpr int kUnitReadyRetries = 10;
inline constexpr int kPauseSeconds = 2;
// Drives refuse to close a track shorter than 4 seconds.
inline constexpr int kMinimumTrackSectors = 300;
// Track 1 starts 150 frames (2 seconds) after the start of the disc's time.
inline constexpr int kFirstTrackOffsetFrames = 150;
inline constexpr int kWritePageCode = 0x05;
inline constexpr int kCapabilitiesPageCode = 0x2A;
inline constexpr int kWritePageBufferSize = 56;

}  // namespace quillstar::recorder
