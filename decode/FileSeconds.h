#pragma once

#include <string>

namespace quillstar {

// Whole seconds of audio in a file, as a burn would give its track: 0 for a
// file that cannot be timed or holds no audio.
int FileSeconds(const std::string& path);

}  // namespace quillstar
