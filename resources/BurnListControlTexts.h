#pragma once

// Texts, ids and numbers of the burn list control (list control 1010).
namespace quillstar::burnlist {

inline constexpr int kBurnListControlId = 1010;

// The columns: titles (strings 111, 112, 113 and 115), widths, and which one
// is right-aligned.
inline constexpr int kColumnCount = 4;
inline constexpr int kTitleColumn = 0;
inline constexpr int kTrackColumn = 1;
inline constexpr int kTimeColumn = 2;
inline constexpr int kFromColumn = 3;
inline constexpr int kColumnTitleIds[kColumnCount] = {111, 112, 113, 115};
inline constexpr const char* kColumnTitles[kColumnCount] = {"Title", "Track", "Time", "From"};
inline constexpr int kColumnWidths[kColumnCount] = {100, 40, 80, 100};

// Every row shows image 0 of the small image list (bitmap 171, 16x16).
inline constexpr int kTrackBitmapId = 171;
inline constexpr char kTrackImage[] = ":/burnlist/track.svg";
inline constexpr int kTrackImageSize = 16;
// The header's image list: icons 140, 141 and 139 in this order, 8x8.
inline constexpr int kHeaderImageCount = 3;
inline constexpr int kHeaderIconIds[kHeaderImageCount] = {140, 141, 139};
inline constexpr const char* kHeaderImages[kHeaderImageCount] = {
    ":/burnlist/header-up.svg", ":/burnlist/header-down.svg", ":/burnlist/header-mark.svg"};
inline constexpr int kHeaderImageSize = 8;

// The context menu (menu resource 138, its first sub-menu); the item texts
// are the folder tree's ("&Rename", "D&elete").
inline constexpr int kAudioFilesListMenuId = 138;
inline constexpr char kAudioFilesListMenuName[] = "AudioFilesList";
inline constexpr int kCommandRenameTrack = 32779;
inline constexpr int kCommandDeleteTracks = 32780;
// A menu asked for from the keyboard opens at this point of the list's
// client area, both across and down.
inline constexpr int kKeyboardMenuPoint = 5;

// Timing many files: after this long a window counts the files.
inline constexpr int kProbeProgressDelayMs = 500;
inline constexpr char kProbeProgressText[] = "Reading the length of file %1 of %2...";
// Timing for a burn and the wait for the drives can be stopped.
inline constexpr char kProbeStopText[] = "Stop";

}  // namespace quillstar::burnlist
