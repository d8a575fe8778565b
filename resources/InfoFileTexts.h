#pragma once

// The CD info file: its extension, the file dialogs' filter and flags, and
// the texts the "Save" and "Load" commands show.
namespace quillstar::infofile {

inline constexpr char kExtension[] = ".tlm";
// One description and pattern pair, each part ended by a bar.
inline constexpr char kFilter[] = "Quillstar CD Info File {*.tlm}|*.tlm|";

// File dialog flags and results, numbered as the callers know them.
inline constexpr unsigned OFN_OVERWRITEPROMPT = 0x2;
inline constexpr unsigned OFN_HIDEREADONLY = 0x4;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr char kDialogObjectName[] = "CFileDialogEx";

inline constexpr char kLoadCaption[] = "Load";
inline constexpr char kSaveCaption[] = "Save";
inline constexpr char kErrorObjectName[] = "InfoFileError";
// The dialog asked about the name the user typed; the file written has the
// extension added, and replacing that one is asked about here.
inline constexpr char kReplaceQuestion[] = "%1 already exists.\nDo you want to replace it?";
inline constexpr char kReplaceObjectName[] = "InfoFileReplace";

}  // namespace quillstar::infofile
