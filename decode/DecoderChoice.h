#pragma once

#include <string>

#include "decode/MusicFile.h"

namespace quillstar {

// Chooses the decoder for a file: by what its first bytes hold, as
// GStreamer's type finding names it, when that is a kind of file one of the
// decoders reads (so a FLAC file named .mp3 still decodes as FLAC, and MPEG
// audio under another name goes to FFmpeg, since the plug-in goes by names);
// by the extension when the content names none; by the media graph when
// neither does, which tries whatever GStreamer can decode.
class DecoderChoice {
public:
    static DecoderKind For(const std::string& path);
    // The decoder the content names; None when it names none or the file
    // cannot be read.
    static DecoderKind ByContent(const std::string& path);
};

}  // namespace quillstar
