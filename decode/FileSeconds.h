#pragma once

#include <string>

namespace quillstar {

// Whole seconds of audio in a file, as a burn would give its track: 0 for a
// file that cannot be timed or whose extension burns no audio.
int FileSeconds(const std::string& path);

}  // namespace quillstar
