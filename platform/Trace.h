#pragma once

#include <functional>
#include <string>

namespace quillstar {

// Receives every trace text, each with its own trailing "\n".
using TraceSink = std::function<void(const std::string& text)>;

// Formats printf-style into a 1024-byte buffer (longer texts are cut) and
// hands the text to the process-wide sink. The default sink is silent unless
// QUILLSTAR_TRACE is set: "1" writes to standard error, any other value is a
// file the texts are appended to.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs a sink and returns the one it replaced; an empty sink restores the
// default one.
TraceSink SetTraceSink(TraceSink sink);

}  // namespace quillstar
