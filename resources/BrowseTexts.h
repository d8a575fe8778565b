#pragma once

// Texts, ids and numbers of the folder tree and the file list.
namespace quillstar::browse {

// Controls of the main window.
inline constexpr int kFolderTreeControlId = 1008;
inline constexpr int kFileListControlId = 1009;

// The folder tree's context menu (menu resource 134, its first sub-menu).
inline constexpr int kDirectoryTreeMenuId = 134;
inline constexpr char kDirectoryTreeMenuName[] = "DirectoryTree";
inline constexpr int kCommandRenameFolder = 32771;
inline constexpr int kCommandDeleteFolder = 32772;
inline constexpr int kCommandFolderProperties = 32773;
inline constexpr char kRenameText[] = "&Rename";
inline constexpr char kDeleteText[] = "D&elete";
inline constexpr char kPropertiesText[] = "Proper&ties";
// A menu asked for from the keyboard opens this far right of and below the
// selected item's left and top edges.
inline constexpr int kKeyboardMenuOffset = 5;

// The top item of the folder tree; its path is empty.
inline constexpr char kComputerText[] = "Computer";

// String 102: a new name holds a character that names may not hold.
inline constexpr int kInvalidNameStringId = 102;
inline constexpr char kInvalidNameText[] =
    "Filename can't contain one of the following characters:\n/ \\ : * ? \" < > |";
inline constexpr char kInvalidNameCharacters[] = "/\\:*?\"<>|";
// Label editing accepts at most this many characters.
inline constexpr int kMaxLabelLength = 255;

// The file list's columns: titles (strings 103 to 106), widths, and which one
// is right-aligned.
inline constexpr int kColumnCount = 4;
inline constexpr int kFirstColumnTitleId = 103;
inline constexpr const char* kColumnTitles[kColumnCount] = {"Filename", "Filesize", "Filetype", "Last Modified"};
inline constexpr int kColumnWidths[kColumnCount] = {150, 66, 100, 99};
inline constexpr int kNameColumn = 0;
inline constexpr int kSizeColumn = 1;
inline constexpr int kTypeColumn = 2;
inline constexpr int kModifiedColumn = 3;

// Sort orders of SortBy; 0 switches the order of the current column.
inline constexpr int kSwitchOrder = 0;
inline constexpr int kAscending = 1;
inline constexpr int kDescending = 2;

// The file-type filter (combo 1012): 0 lists MP3 files only, 1 every file,
// 2 every music file the engine burns.
inline constexpr int kFilterMp3 = 0;
inline constexpr int kFilterAll = 1;
inline constexpr int kFilterMusic = 2;
inline constexpr char kMp3Suffix[] = "mp3";    // string 107
inline constexpr char kKilobyteUnit[] = "KB";  // string 109
inline constexpr char kMegabyteUnit[] = "MB";  // string 110
inline constexpr char kParentEntryName[] = "..";
// A file whose type has no name: its extension, upper-cased, with this after
// it ("XYZ-file"), or the plain word when it has no extension.
inline constexpr char kUnnamedTypeSuffix[] = "-file";
inline constexpr char kUnnamedTypeText[] = "File";
// The time of the "Last Modified" column, after the locale's short date.
inline constexpr char kModifiedTimeFormat[] = "HH:mm";

// Our own boxes for what the desktop shell used to report.
inline constexpr char kConfirmDeleteOneText[] =
    "Are you sure you want to delete \"%1\" for good?\nIt will not go to the trash.";
inline constexpr char kConfirmDeleteFolderText[] =
    "Are you sure you want to delete the folder \"%1\" and the %2 it holds for good?\nThey will not go to the trash.";
inline constexpr char kConfirmDeleteManyText[] =
    "Are you sure you want to delete these %1 items for good?\nThey will not go to the trash.";
// The many-item confirmation names the items below its question, at most
// this many, folders with the files they hold.
inline constexpr int kConfirmListedItems = 10;
inline constexpr char kConfirmFolderLine[] = "%1 (folder, %2)";
inline constexpr char kConfirmMoreLine[] = "and %1 more";
inline constexpr char kOneFileText[] = "1 file";
inline constexpr char kFilesText[] = "%1 files";
// A delete that would reach further than the item chosen, or could not
// remove all of it, is refused before anything goes.
inline constexpr char kDeleteProtectedText[] =
    "Cannot delete \"%1\": it is the home folder, a mounted drive or a folder that holds one of them.";
inline constexpr char kDeleteUnchangeableText[] = "Cannot delete \"%1\": the folder \"%2\" cannot be changed.";
inline constexpr char kDeleteUnreadableText[] = "Cannot delete \"%1\": part of it cannot be read (%2).";
inline constexpr char kDeleteFailedText[] = "Cannot delete \"%1\".";
inline constexpr char kTrashFailedText[] = "Cannot move \"%1\" to the trash.";
inline constexpr char kTrashUnusableText[] = "The trash folder \"%1\" cannot be used.";
inline constexpr char kRenameFailedText[] = "Cannot rename \"%1\" to \"%2\".";
inline constexpr char kRenameTargetExistsText[] = "Cannot rename \"%1\": there is already an item named \"%2\".";

// A folder the file list cannot read shows empty, and the user is told why.
inline constexpr char kFolderUnreadableText[] = "Cannot open the folder \"%1\": %2.";

// The properties window.
inline constexpr char kPropertiesTitle[] = "%1 Properties";
inline constexpr char kPropertyName[] = "Name:";
inline constexpr char kPropertyKind[] = "Type:";
inline constexpr char kPropertyLocation[] = "Location:";
inline constexpr char kPropertySize[] = "Size:";
inline constexpr char kPropertyContents[] = "Contents:";
inline constexpr char kPropertyModified[] = "Modified:";
inline constexpr char kPropertyPermissions[] = "Permissions:";
inline constexpr char kPropertyOwner[] = "Owner:";
inline constexpr char kSizeInBytesText[] = "%1 (%2 bytes)";
inline constexpr char kContentsText[] = "%1 items";
inline constexpr char kUnreadableText[] = "cannot be read";
inline constexpr char kCloseText[] = "&Close";

}  // namespace quillstar::browse
