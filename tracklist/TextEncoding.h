#pragma once

#include <string>

namespace quillstar {

// Text stored by the program is UTF-8. Lists written on Windows hold their
// titles in Windows-1252: a text that is not valid UTF-8 is read as that.
std::string SingleByteToUtf8(const std::string& text);

// UTF-16 little-endian bytes to UTF-8; broken surrogates become U+FFFD.
std::string Utf16LeToUtf8(const std::string& bytes);

}  // namespace quillstar
