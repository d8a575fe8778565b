#pragma once

#include <cstdint>

// The recording engine's error codes, result codes and numbers.
namespace quillstar::recorder {

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
// The command got no answer within its time limit.
inline constexpr int kErrorTimedOut = -39;

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
// The drive refused a write, a close or the session's end past every retry:
// the disc is not completed.
inline constexpr int kResultBurnFailed = 5;
// The disc was burned, but reading it back found it differs from what was
// written, or could not read it.
inline constexpr int kResultVerificationFailed = 6;
// Another program holds the drive or has its disc mounted: nothing was sent
// to the disc.
inline constexpr int kResultDriveInUse = 7;

// Why a track of the list did not reach the disc whole.
enum class SkipReason : int {
    NoDecoder = 1,  // its decoder could not be opened
    NoAudio = 2,    // it has no audio at all
};

// Numbers of a track-at-once burn.
inline constexpr int kWriteRetries = 8;
inline constexpr int kWriteAddressRetries = 10;
inline constexpr int kSessionClosePolls = 300;
inline constexpr int kUnitReadyRetries = 10;
inline constexpr int kPauseSeconds = 2;
// Track 1 starts 150 frames (2 seconds) after the start of the disc's time.
inline constexpr int kFirstTrackOffsetFrames = 150;
inline constexpr int kWritePageCode = 0x05;
inline constexpr int kCapabilitiesPageCode = 0x2A;
inline constexpr int kWritePageBufferSize = 56;

// Numbers of a disc written at once.
// The pause before every track but the first: 0 (gapless) to 10 seconds.
inline constexpr int kMostPauseFrames = 750;
// CD-TEXT: one block of at most 256 packs, in ISO-8859-1, its language English.
inline constexpr int kCdTextMostPacks = 256;
inline constexpr uint8_t kCdTextLatin1 = 0x00;
inline constexpr uint8_t kCdTextEnglish = 0x09;
// Lead-in blocks of CD-TEXT sent in one WRITE.
inline constexpr int kLeadInBlocksPerWrite = 300;

}  // namespace quillstar::recorder
