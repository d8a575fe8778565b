#pragma once

#include <string>

namespace quillstar {

// The decoded length of a file's audio in seconds, as the decoders will
// deliver it: MPEG audio (mp3, mp2) by a scan of every frame with the MP3
// plug-in's settings, WAV through libsndfile, anything else through
// GStreamer's discoverer (the length its container gives, when it holds an
// audio stream). 0.0 when the file cannot be read or holds no audio.
double DetectAudioSeconds(const std::string& path);

}  // namespace quillstar
