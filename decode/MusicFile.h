#pragma once

#include <string>
#include <vector>

namespace quillstar {

// Which of the engine's decoders reads a file.
enum class DecoderKind {
    None,
    // The input plug-in: MPEG audio (mp3, mp2).
    Plugin,
    // libsndfile, which knows the exact length from the header: WAV, AIFF,
    // FLAC, Ogg Vorbis, Opus, Sun audio.
    SndFile,
    // FFmpeg's libraries: MP4 (AAC, ALAC) and ASF (WMA), whose encoder delay
    // and padding they remove.
    Libav,
    // The media graph (GStreamer), for any other audio.
    MediaGraph,
};

// The music files the engine burns, told apart by the extension of their
// name: the one answer the window, the command line and the engine share.
class MusicFile {
public:
    struct Type {
        const char* extension;  // lower case, without the dot
        const char* typeText;
        DecoderKind decoder;
    };

    // Every extension, in the order the Show box lists them.
    static const std::vector<Type>& Types();
    // The type of a path by its extension (any case); null when it is none
    // of them.
    static const Type* TypeOf(const std::string& path);
    // True when the name ends in a music file's extension; the content is
    // not looked at, so a listing never opens a file.
    static bool IsMusicFile(const std::string& path);
    // "Music Files {*.mp3;*.mp2;...}"
    static std::string FilterText();
};

}  // namespace quillstar
