#pragma once

// The music files the program burns: the type text the file list shows for
// each extension, and the Show box's item that lists them all.
namespace quillstar::music {

inline constexpr char kMp3TypeText[] = "MP3 audio";
inline constexpr char kMp2TypeText[] = "MP2 audio";
inline constexpr char kWavTypeText[] = "WAV audio";
inline constexpr char kAiffTypeText[] = "AIFF audio";
inline constexpr char kAifcTypeText[] = "AIFF-C audio";
inline constexpr char kFlacTypeText[] = "FLAC audio";
inline constexpr char kVorbisTypeText[] = "Ogg Vorbis audio";
inline constexpr char kOggTypeText[] = "Ogg audio";
inline constexpr char kOpusTypeText[] = "Opus audio";
inline constexpr char kMp4TypeText[] = "MPEG-4 audio";
inline constexpr char kAacTypeText[] = "AAC audio";
inline constexpr char kWmaTypeText[] = "Windows Media audio";
inline constexpr char kWavPackTypeText[] = "WavPack audio";
inline constexpr char kMatroskaTypeText[] = "Matroska audio";
inline constexpr char kAuTypeText[] = "Sun audio";

// "Music Files {*.mp3;*.flac;...}": the patterns follow the name, each
// "*." and an extension, joined by semicolons.
inline constexpr char kMusicFilesItemName[] = "Music Files";
inline constexpr char kPatternPrefix[] = "*.";
inline constexpr char kPatternSeparator[] = ";";

}  // namespace quillstar::music
