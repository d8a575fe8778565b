#include "tracklist/Archive.h"

#include <cstring>

#include "tracklist/TextEncoding.h"

namespace quillstar {
namespace {

constexpr uint8_t kWideLength = 0xFF;
constexpr uint16_t kLongLength = 0xFFFF;
constexpr uint16_t kUtf16Marker = 0xFFFE;
constexpr uint32_t kShortLimit = 255;
constexpr uint32_t kWideLimit = 65534;

}  // namespace

Archive::Archive() : storing_(true) {}

Archive::Archive(std::string bytes) : storing_(false), bytes_(std::move(bytes)) {}

void Archive::WriteRaw(const void* data, size_t length)
{
    bytes_.append(static_cast<const char*>(data), length);
}

void Archive::WriteInt32(int32_t value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t little[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    WriteRaw(little, sizeof little);
}

void Archive::WriteString(const std::string& text)
{
    const uint32_t length = static_cast<uint32_t>(text.size());
    if (length < kShortLimit) {
        bytes_.push_back(static_cast<char>(length));
    } else {
        bytes_.push_back(static_cast<char>(kWideLength));
        const uint16_t wide = length < kWideLimit ? static_cast<uint16_t>(length) : kLongLength;
        const uint8_t little[2] = {uint8_t(wide), uint8_t(wide >> 8)};
        WriteRaw(little, sizeof little);
        if (length >= kWideLimit)
            WriteInt32(static_cast<int32_t>(length));
    }
    WriteRaw(text.data(), text.size());
}

void Archive::Fail(const std::string& reason)
{
    if (error_.empty())
        error_ = reason;
}

bool Archive::ReadRaw(void* data, size_t length)
{
    if (Failed())
        return false;
    if (length > Remaining()) {
        Fail("the file ends too early");
        return false;
    }
    std::memcpy(data, bytes_.data() + position_, length);
    position_ += length;
    return true;
}

int32_t Archive::ReadInt32()
{
    uint8_t little[4] = {};
    if (!ReadRaw(little, sizeof little))
        return 0;
    return static_cast<int32_t>(little[0] | little[1] << 8 | little[2] << 16 | uint32_t(little[3]) << 24);
}

uint32_t Archive::ReadLengthPrefix(bool& utf16)
{
    uint8_t shortLength = 0;
    if (!ReadRaw(&shortLength, 1) || shortLength < kWideLength)
        return shortLength;
    uint8_t little[2] = {};
    if (!ReadRaw(little, sizeof little))
        return 0;
    const uint16_t wide = static_cast<uint16_t>(little[0] | little[1] << 8);
    if (wide == kUtf16Marker && !utf16) {
        // A UTF-16 string: its character count follows in one of the
        // ordinary forms.
        utf16 = true;
        return ReadLengthPrefix(utf16);
    }
    if (wide < kLongLength)
        return wide;
    return static_cast<uint32_t>(ReadInt32());
}

std::string Archive::ReadUtf16Text(uint32_t characters)
{
    if (characters > Remaining() / 2) {
        Fail("a text runs past the end of the file");
        return {};
    }
    std::string wide(size_t(characters) * 2, '\0');
    ReadRaw(wide.data(), wide.size());
    return Utf16LeToUtf8(wide);
}

std::string Archive::ReadString()
{
    bool utf16 = false;
    const uint32_t length = ReadLengthPrefix(utf16);
    if (Failed())
        return {};
    if (utf16)
        return ReadUtf16Text(length);
    if (length > Remaining()) {
        Fail("a text runs past the end of the file");
        return {};
    }
    std::string text(bytes_.data() + position_, length);
    position_ += length;
    return SingleByteToUtf8(text);
}

}  // namespace quillstar
