#pragma once

// Texts and numbers of the burn list and its totals line.
namespace quillstar::burnlist {

inline constexpr char kTrackNumberFormat[] = "%02d";
inline constexpr char kTimeFormat[] = "%02d:%02d";
inline constexpr char kTotalsOneTrackFormat[] = "%02d:%02d - %d Track";
inline constexpr char kTotalsTracksFormat[] = "%02d:%02d - %d Tracks";
inline constexpr char kTotalsInitialText[] = "00:00 - 0 Track";
// The capacity bar runs from 0 to 100 and is full at 80 minutes.
inline constexpr int kCapacityBarRange = 100;
inline constexpr int kCapacityBarFullSeconds = 4800;

}  // namespace quillstar::burnlist
