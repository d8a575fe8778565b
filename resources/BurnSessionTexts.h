#pragma once

// Texts, ids and numbers of the Burn Now window and the five tip windows.
namespace quillstar::burnsession {

// Dialog 133.
inline constexpr int IDD_BURN_NOW = 133;
inline constexpr char kCaption[] = "Quillstar Burn Now";
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_STATUS = 1004;
inline constexpr int IDC_PERCENT = 1005;
inline constexpr int IDC_STOP_BURNING = 1013;
inline constexpr int IDC_BURN_NOW = 1014;
inline constexpr int IDCANCEL = 2;
inline constexpr char kBurnNowButton[] = "&Burn Now";
inline constexpr char kStopBurningButton[] = "&Stop Burning";
inline constexpr char kCloseButton[] = "&Close";
// On until the user turns it off: the disc is read back before it is ejected.
inline constexpr char kVerifyCheckBox[] = "Verify after burning";
inline constexpr int kProgressRange = 100;
// Bitmap 179: the window's picture.
inline constexpr int IDB_BURN = 179;
inline constexpr char kBurnPicture[] = ":/pictures/burn.svg";

// Shown only for a percent above 0.
inline constexpr char kPercentFormat[] = "%1%";
inline constexpr char kStoppedText[] = "The burning process is stopped, the audio CD is not completed.";
// Tracks the writer left out, listed after the burn.
inline constexpr char kSkippedHeading[] = "These tracks are not on the disc:";
inline constexpr char kSkippedLine[] = "Track %1  \"%2\": %3";

// Burn options, under the progress bar.
inline constexpr char kWriteSpeedLabel[] = "Write speed";
inline constexpr char kMaximumSpeed[] = "Maximum";
inline constexpr char kSpeedItem[] = "%1x";
inline constexpr char kTestWriteBox[] = "Test write (nothing is burned)";
inline constexpr char kCopiesLabel[] = "Copies";
inline constexpr int kMostCopies = 99;
// Disc-at-once: the pause (in seconds, to hundredths) and the album's CD-TEXT.
inline constexpr char kDiscAtOnceBox[] = "Disc-at-once (no gaps, CD-TEXT)";
inline constexpr char kPauseLabel[] = "Pause (seconds)";
inline constexpr int kPauseDecimals = 2;
inline constexpr double kPauseStep = 0.5;
inline constexpr double kMostPauseSeconds = 10.0;
inline constexpr char kAlbumTitleLabel[] = "Album title";
inline constexpr char kAlbumPerformerLabel[] = "Album performer";
// Several copies: the copy being burned, the next blank disc, the tally.
inline constexpr char kCopyOf[] = "Copy %1 of %2";
inline constexpr char kInsertNextDisc[] = "Insert a blank CD-R for copy %1 of %2, then press Continue.";
inline constexpr char kContinueButton[] = "Continue";
inline constexpr char kStopButton[] = "Stop";
inline constexpr char kCopiesBurned[] = "%1 of %2 copies burned.";
inline constexpr char kCliInsertNextDisc[] =
    "quillstar-burn: insert a blank CD-R for copy %d of %d; waiting for it (Ctrl+C stops)\n";
inline constexpr char kCliCopiesBurned[] = "quillstar-burn: %d of %d copies burned\n";

// The tip windows: modal, a picture, a fixed text and a "&Close" button.
inline constexpr int IDD_TIP_NO_DRIVES = 151;
inline constexpr int IDD_TIP_NO_FILES = 152;
inline constexpr int IDD_TIP_TOO_MANY_FILES = 153;
inline constexpr int IDD_TIP_WRONG_DISC = 154;
inline constexpr int IDD_TIP_DISC_NOT_EMPTY = 155;

struct Tip {
    int id;
    const char* caption;
    const char* text;
    const char* picture;
};

// Each text's first line begins with a nine-space paragraph indent.
inline constexpr Tip kTips[] = {
    {IDD_TIP_NO_DRIVES, "Tip - No CD-R/RW Drives",
     "         Sorry, no CD-R/RW drives can be found on your computer, maybe your CD-R/RW drive is not "
     "currently",
     ":/pictures/tip-no-drive.svg"},
    {IDD_TIP_NO_FILES, "Tip - No MP3 Files",
     "         Ah......it looks like you don't select any MP3 files but want to burn an audio CD, please "
     "select some MP3 files and click \"Burn Now\" again.",
     ":/pictures/tip-no-files.svg"},
    {IDD_TIP_TOO_MANY_FILES, "Tip - Too Many MP3 Files",
     "         Ah......it looks like you select too many MP3 files that an audio CD can't hold, please "
     "reduce some MP3 files and try again.",
     ":/pictures/tip-too-many.svg"},
    {IDD_TIP_WRONG_DISC, "Tip - No Right CD-R/RW Disc",
     "         Ah......it looks like there is not a right CD-R/RW disc in your CD-R/RW drive, please "
     "insert a brand-new empty CD-R/RW disc and try again.",
     ":/pictures/tip-wrong-disc.svg"},
    {IDD_TIP_DISC_NOT_EMPTY, "Tip - CD-R/RW Disc Not Empty",
     "         Ah......it looks like the CD-R/RW disc inserted into the CD-R/RW drive is not empty, please "
     "replace it with a brand-new empty CD-R/RW disc and try again.",
     ":/pictures/tip-not-empty.svg"},
};

// Tip 151 goes on around its link (control 1036) to the support address
// (string 119); %1 is the drive report file.
inline constexpr char kNoDrivesBeforeLink[] = "supported by this software, please";
inline constexpr int IDC_EMAIL_US = 1036;
inline constexpr char kEmailUsText[] = "email us";
inline constexpr int IDS_SUPPORT_MAIL = 119;
inline constexpr char kSupportMailUrl[] = "mailto:support@quillstar.example";
inline constexpr char kNoDrivesAfterLink[] = "with";
inline constexpr char kNoDrivesLastLine[] =
    "%1 so that we can support your CD-R/RW drive and improve our software, thanks a lot for your help "
    "to Quillstar Music CD Burner.";

}  // namespace quillstar::burnsession
