#pragma once

#include <cstdint>
#include <string>

namespace quillstar {

// The CD info file's binary encoding: little-endian integers and
// length-prefixed strings. Loading checks every length against what is left
// and turns the first problem into a failure with its reason; later reads
// then do nothing.
class Archive {
public:
    // A storing archive that collects the bytes.
    Archive();
    // A loading archive over the given bytes.
    explicit Archive(std::string bytes);

    bool IsStoring() const { return storing_; }
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::string& Bytes() const { return bytes_; }
    size_t Remaining() const { return bytes_.size() - position_; }

    void WriteInt32(int32_t value);
    void WriteString(const std::string& text);

    int32_t ReadInt32();
    std::string ReadString();
    void Fail(const std::string& reason);

private:
    void WriteRaw(const void* data, size_t length);
    bool ReadRaw(void* data, size_t length);
    uint32_t ReadLengthPrefix(bool& utf16);
    std::string ReadUtf16Text(uint32_t characters);

    bool storing_;
    std::string bytes_;
    size_t position_ = 0;
    std::string error_;
};

}  // namespace quillstar
