#pragma once

// Colours, numbers and texts of the colour label and the link label.
namespace quillstar::controls {

// Link label colours, 0xRRGGBB.
inline constexpr unsigned kLinkColor = 0x0000EE;     // red 0, green 0, blue 238
inline constexpr unsigned kVisitedColor = 0x551A8B;  // red 85, green 26, blue 139
inline constexpr unsigned kHoverColor = 0xFF0000;    // red 255, green 0, blue 0

// Opening a link answers like the shell did: above kOpenedAbove is success,
// anything else is one of the error codes below.
inline constexpr int kOpenedAbove = 32;
inline constexpr int kOpened = 33;
inline constexpr int kErrorFileNotFound = 2;
inline constexpr int kErrorPathNotFound = 3;
inline constexpr int kErrorNoAssociation = 31;

inline constexpr char kOpenErrorPrefix[] = "Unable to open hyperlink:\n\n";
struct OpenErrorText {
    int code;
    const char* text;
};
inline constexpr OpenErrorText kOpenErrorTexts[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};
inline constexpr char kUnknownOpenErrorFormat[] = "Unknown Error (%d) occurred.";

}  // namespace quillstar::controls
