#pragma once

// Texts, ids and numbers of the Print Now window and its printed cover.
namespace quillstar::print {

// Dialog 147 and its controls.
inline constexpr int IDD_PRINT_NOW = 147;
inline constexpr int IDC_ALBUM_TITLE = 1020;
inline constexpr int IDC_PREVIEW = 1021;
inline constexpr int IDC_TITLE_FONT = 1022;
inline constexpr int IDC_LIST_FONT = 1023;
inline constexpr int IDC_BACKGROUND = 1024;
inline constexpr int IDC_BACK_COLOR = 1025;
inline constexpr int IDC_CLEAR = 1026;
inline constexpr int IDC_PRINT_NOW = 1027;
inline constexpr int IDCANCEL = 2;

// Sizes in dialog units.
inline constexpr int kDialogWidthUnits = 287;
inline constexpr int kDialogHeightUnits = 221;
inline constexpr int kPreviewWidthUnits = 200;
inline constexpr int kPreviewHeightUnits = 180;

inline constexpr char kCaption[] = "Quillstar Print Now";
inline constexpr char kAlbumTitleLabel[] = "Album Title:";
inline constexpr char kTitleFontButton[] = "&Title Font";
inline constexpr char kListFontButton[] = "&List Font";
inline constexpr char kBackgroundButton[] = "&Background";
inline constexpr char kBackColorButton[] = "Bac&k Color";
inline constexpr char kClearButton[] = "C&lear";
inline constexpr char kPrintNowButton[] = "&Print Now";
inline constexpr char kCloseButton[] = "&Close";

// What a new window starts with.
inline constexpr char kDefaultAlbumTitle[] = "Quillstar Music CD Burner Song List";
inline constexpr char kTitleFontFace[] = "Verdana";
inline constexpr int kTitleFontPoints = 9;
inline constexpr char kListFontFace[] = "Microsoft Sans Serif";
inline constexpr int kListFontPoints = 8;
inline constexpr unsigned kDefaultTextColor = 0x000000;  // 0xRRGGBB
inline constexpr unsigned kDefaultBackColor = 0xFFFFFF;

// Every change is drawn this long after it; changes within it are drawn once.
inline constexpr int kRedrawDelayMs = 10;

// The cover's layout in preview pixels. Lines are a quarter taller than
// their font; the time column is five font heights wide and is left out
// with list fonts of kNoTimesFontHeight pixels or more.
inline constexpr int kTextMargin = 5;
inline constexpr int kLineHeightNumerator = 5;
inline constexpr int kLineHeightDenominator = 4;
inline constexpr int kTimeColumnFontHeights = 5;
inline constexpr int kNoTimesFontHeight = 24;
inline constexpr char kTrackLineFormat[] = "%02d %s";

// The background picture: only paths whose last three characters are
// "bmp" in any case are loaded.
inline constexpr char kBitmapExtension[] = "bmp";
inline constexpr char kBitmapFormat[] = "BMP";
inline constexpr char kAllPicturesFilter[] = "All supported graphic formats";
inline constexpr char kBitmapFilesFilter[] = "BMP Files {*.BMP}";
inline constexpr char kBitmapPatterns[] = "*.BMP *.bmp";

// The printed cover: half as large again as the preview's physical size,
// which makes a CD-sized cover of it.
inline constexpr double kInchesPerMillimetre = 0.03937007874015748;
inline constexpr double kCoverScale = 1.5;

inline constexpr char kNotEnoughResourceMessage[] =
    "Not enough resource for printing. Either reduce the CD Cover dimension or\n"
    "switch to lower screen setting (e.g. 256-color mode), and try again.";
inline constexpr char kCannotFindPrinterMessage[] = "Can not find printer. Please check installed printers.";
inline constexpr char kPrintingErrorMessage[] = "Printing error occured. Unable to find printer.";

// The font dialog's colour choice: the sixteen standard colours.
inline constexpr char kFontDialogCaption[] = "Font";
inline constexpr char kFontColorLabel[] = "&Color:";
struct NamedColor {
    const char* name;
    unsigned rgb;  // 0xRRGGBB
};
inline constexpr NamedColor kFontColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
};
inline constexpr char kCustomColorName[] = "Custom";

}  // namespace quillstar::print
