#pragma once

// Texts, ids and numbers of the file list's commands (list control 1009).
namespace quillstar::filelist {

// The context menu (menu resource 136, its first sub-menu), in menu order
// with a separator after the first command. "&Rename", "D&elete" and
// "Proper&ties" read as the folder tree's.
inline constexpr int kFilesListMenuId = 136;
inline constexpr char kFilesListMenuName[] = "FilesList";
inline constexpr int kCommandAddToList = 32774;
inline constexpr int kCommandOpen = 32775;
inline constexpr int kCommandRename = 32776;
inline constexpr int kCommandDelete = 32777;
inline constexpr int kCommandProperties = 32778;
inline constexpr char kAddToListText[] = "&Add To List";
inline constexpr char kOpenText[] = "&Open";
// A menu asked for from the keyboard opens at this point of the list's
// client area, both across and down.
inline constexpr int kKeyboardMenuPoint = 5;

}  // namespace quillstar::filelist
