#include "tracklist/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace quillstar {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Converts with iconv; an input unit iconv cannot convert becomes U+FFFD and
// the conversion goes on after it. Returns false when the converter cannot
// be opened or when strict is set and the input is not valid.
bool Convert(const char* from, const std::string& input, size_t unitSize, bool strict, std::string& output)
{
    iconv_t converter = iconv_open("UTF-8", from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    output.clear();
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    bool valid = true;
    while (inLeft > 0 && valid) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        if (strict) {
            valid = false;
        } else {
            output += kReplacement;
            const size_t skip = std::min(unitSize, inLeft);
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(converter);
    return valid;
}

}  // namespace

std::string SingleByteToUtf8(const std::string& text)
{
    std::string converted;
    if (Convert("UTF-8", text, 1, true, converted))
        return text;
    if (Convert("WINDOWS-1252", text, 1, false, converted))
        return converted;
    return text;
}

std::string Utf16LeToUtf8(const std::string& bytes)
{
    std::string converted;
    Convert("UTF-16LE", bytes, 2, false, converted);
    return converted;
}

}  // namespace quillstar
