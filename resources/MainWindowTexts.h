#pragma once

// Texts, ids and numbers of the program, its main window, the skin, the
// About window and help.
namespace quillstar::mainwindow {

// The running instance's mark; the local server's name is made from it and
// the user id.
inline constexpr char kInstanceName[] = "QuillstarMusicCDBurner";

// Dialog 102.
inline constexpr int IDD_MAIN = 102;
inline constexpr char kCaption[] = "Quillstar Music CD Burner";
inline constexpr int IDC_FILE_TYPE = 1012;
inline constexpr int IDC_DRIVE = 1013;
inline constexpr int IDC_CAPACITY = 1018;
inline constexpr int IDC_TOTALS = 1019;
inline constexpr int IDC_MARK_74 = 1045;
inline constexpr int IDC_MARK_80 = 1046;
inline constexpr int IDC_SKIN = 1048;
// Icon 128: the program's icon.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr char kProgramIcon[] = ":/skin/quillstar.svg";

// The file-type filter's items, in this order; item 1 is selected at start.
inline constexpr const char* kFileTypeItems[] = {"MP3 Files {*.mp3}", "All Files {*.*}"};
inline constexpr int kInitialFilterIndex = 1;
inline constexpr char kNoDriveText[] = "CD-R/RW drive not found";
// The drive box while the drives are looked for, after the window shows.
inline constexpr char kSearchingDrivesText[] = "Searching for CD-R/RW drives…";
inline constexpr char kMark74Text[] = "74min";
inline constexpr char kMark80Text[] = "80min";
// The capacity bar is full at 80 minutes; the 74-minute mark sits this far along.
inline constexpr int kMark74Minutes = 74;
inline constexpr int kMark80Minutes = 80;
// Labels under the bar: white on dark purple, 0xRRGGBB.
inline constexpr unsigned kLabelTextColor = 0xFFFFFF;
inline constexpr unsigned kLabelBackColor = 0x330033;
inline constexpr char kDriveLabel[] = "CD-R/RW drive:";
inline constexpr char kFileTypeLabel[] = "Show:";

// The title area's menu, standing in for the system menu. String 101 is the
// About item; commands whose id with the low 4 bits cleared is 16 open the
// About window.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr char kAboutMenuText[] = "About Quillstar Music CD Burner (&A)...";
inline constexpr int IDM_ABOUTBOX = 16;
inline constexpr int kSystemCommandMask = 0xFFF0;
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_CLOSE = 0xF060;
inline constexpr char kMinimizeMenuText[] = "Mi&nimize";
inline constexpr char kCloseMenuText[] = "&Close";

// Skin elements: the names the skin reports and the main window acts on
// (compared ignoring case), their captions and tool tips.
inline constexpr char kSkinName[] = "Main";
struct SkinElement {
    const char* name;
    const char* caption;
    const char* toolTip;
    const char* icon;
    int group;  // tool bar buttons of one group sit together
};
inline constexpr SkinElement kTitleElement{"Title", kCaption, "About Quillstar Music CD Burner", kProgramIcon, 0};
inline constexpr SkinElement kMinElement{"Min", "", "Minimize", ":/skin/min.svg", 0};
inline constexpr SkinElement kExitElement{"Exit", "", "Exit", ":/skin/exit.svg", 0};
inline constexpr SkinElement kToolBarElements[] = {
    {"Add", "Add", "Add the selected MP3 files to the burn list", ":/skin/add.svg", 0},
    {"Del", "Delete", "Remove the selected tracks from the burn list", ":/skin/del.svg", 0},
    {"Play", "Play", "Play the selected track", ":/skin/play.svg", 0},
    {"New", "New", "Start a new, empty burn list", ":/skin/new.svg", 1},
    {"Load", "Load", "Load a CD info file", ":/skin/load.svg", 1},
    {"Save", "Save", "Save the burn list as a CD info file", ":/skin/save.svg", 1},
    {"BurnNow", "Burn Now", "Burn the burn list to an audio CD", ":/skin/burn.svg", 2},
    {"CDCover", "CD Cover", "Print a CD cover with the song list", ":/skin/cover.svg", 2},
    {"Help", "Help", "Open the help", ":/skin/help.svg", 3},
    {"Homepage", "Homepage", "Visit the Quillstar homepage", ":/skin/homepage.svg", 3},
    {"MP3Ripper", "MP3 Ripper", "Start the Quillstar CD & MP3 Ripper", ":/skin/ripper.svg", 3},
};

// The skin's colours, 0xRRGGBB.
inline constexpr unsigned kSkinBackColor = 0x330033;
inline constexpr unsigned kSkinTitleTopColor = 0x5c235c;
inline constexpr unsigned kSkinPanelColor = 0x401040;
inline constexpr unsigned kSkinEdgeColor = 0x6e3a6e;
inline constexpr unsigned kSkinHoverColor = 0x6a2c6a;
inline constexpr unsigned kSkinPressedColor = 0x220022;
inline constexpr unsigned kSkinFocusColor = 0xe8c8ff;
inline constexpr unsigned kSkinTextColor = 0xFFFFFF;
inline constexpr unsigned kSkinDisabledTextColor = 0x8a6a8a;

// String 117: the maker's web site, opened by "Homepage".
inline constexpr int IDS_HOMEPAGE = 117;
inline constexpr char kHomepageUrl[] = "https://quillstar.example/";
// "MP3Ripper" opens this program by its bare name.
inline constexpr char kRipperProgram[] = "QuillstarCD&MP3Ripper.exe";

// The About window, dialog 100.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr char kAboutCaption[] = "About Quillstar Music CD Burner";
inline constexpr char kVersionLine[] = "Quillstar Music CD Burner 2.5.0.0";
inline constexpr char kAboutText[] =
    "Burns audio CDs from your music files: MP3, WAV and more,\n"
    "track-at-once, playable in any CD player.";
inline constexpr char kCloseText[] = "&Close";

// Help: the program's path with this extension, opened at the context.
inline constexpr char kHelpExtension[] = ".html";
inline constexpr int kHelpContext = 131174;  // 0x20066
inline constexpr int HELP_CONTEXT = 1;
inline constexpr char kHelpAnchorFormat[] = "context-%1";
inline constexpr char kHelpCaption[] = "Quillstar Music CD Burner Help";

// A drive the ASPI layer left out: shown once at start.
inline constexpr char kSkippedDrivesCaption[] = "CD-R/RW drives left out";
inline constexpr char kSkippedDriveLine[] = "%1: %2";
inline constexpr char kSkippedDrivesIntro[] = "These drives cannot be used:";
inline constexpr char kNoPermissionAdvice[] =
    "You are not allowed to open the drive. Add yourself to the group that owns it "
    "(on Debian and Ubuntu the \"cdrom\" group) and log in again:\n    sudo adduser %1 cdrom";

// Closing the program: a running burn is stopped only when the user says
// so, and a burn list changed since it was last loaded, saved or made new is
// saved, dropped or kept open as the user answers.
inline constexpr char kStopBurnQuestion[] = "An audio CD is being burned. Stop the burn and close the program?";
inline constexpr char kStopBurnObjectName[] = "StopBurnOnClose";
inline constexpr char kSaveChangesQuestion[] = "Save the changes to the burn list?";
inline constexpr char kSaveChangesObjectName[] = "SaveChanges";
inline constexpr char kSaveButton[] = "Save";
inline constexpr char kDontSaveButton[] = "Don't Save";
inline constexpr char kCancelButton[] = "Cancel";

// Command line.
inline constexpr char kImageRecorderOption[] = "image-recorder";
inline constexpr char kImageRecorderValueName[] = "PATH";
inline constexpr char kImageRecorderDescription[] =
    "Offer the image recorder, a CD-R/RW writer that burns to the disc image PATH (raw audio sectors "
    "with a CUE sheet beside it).";
inline constexpr char kProgramDescription[] = "Burns audio CDs from MP3 and other music files.";

}  // namespace quillstar::mainwindow
