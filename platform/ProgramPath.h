#pragma once

#include <string>

namespace quillstar {

// The folder holding the running program, without a trailing "/". Companion
// files (libwnaspi32.so, Decoders/, the help file) are found from here, never
// from the current directory.
std::string ProgramDirectory();

// The running program's full path.
std::string ProgramPath();

}  // namespace quillstar
