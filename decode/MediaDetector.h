#pragma once

#include <string>

namespace quillstar {

// The decoded length of a file's audio in seconds, exactly as the decoder
// DecoderChoice picks will deliver it: MPEG audio by a scan of every frame
// with the MP3 plug-in's settings, libsndfile's formats from their header,
// FFmpeg's and the media graph's by decoding the whole file, which is done
// once while the file stays the same (DecodedLengthCache). 0.0 when the file
// cannot be read or holds no audio.
double DetectAudioSeconds(const std::string& path);

}  // namespace quillstar
