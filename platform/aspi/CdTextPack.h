#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillstar {

// One CD-TEXT pack as a disc's lead-in carries it and READ TOC format 5
// returns it: type, track number, sequence number, block and character
// position, 12 bytes of text, and a CRC over the first 16 bytes. Both the
// writer, which builds the packs, and the image recorder, which reads them
// back out of the lead-in, use this one description.
class CdTextPack {
public:
    static constexpr size_t kBytes = 18;
    static constexpr size_t kPayloadBytes = 12;
    static constexpr size_t kPayloadStart = 4;
    // In the lead-in's sub-channel each pack is spread over 24 bytes of six
    // bits, four packs to a 96-byte block.
    static constexpr size_t kSymbols = 24;
    static constexpr size_t kPacksPerBlock = 4;
    static constexpr size_t kBlockBytes = kSymbols * kPacksPerBlock;

    static constexpr uint8_t kTitle = 0x80;
    static constexpr uint8_t kPerformer = 0x81;
    static constexpr uint8_t kSizeInformation = 0x8F;

    std::array<uint8_t, kBytes> bytes{};

    bool operator==(const CdTextPack&) const = default;

    uint8_t Type() const { return bytes[0]; }

    // CRC-16 of the CCITT polynomial over bytes 0 to 15, stored inverted and
    // big-endian in bytes 16 and 17.
    uint16_t Crc() const
    {
        uint16_t crc = 0;
        for (size_t at = 0; at < kBytes - 2; ++at) {
            crc ^= static_cast<uint16_t>(bytes[at] << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        return static_cast<uint16_t>(~crc);
    }

    void Seal()
    {
        const uint16_t crc = Crc();
        bytes[16] = static_cast<uint8_t>(crc >> 8);
        bytes[17] = static_cast<uint8_t>(crc);
    }

    bool HasValidCrc() const { return bytes[16] == static_cast<uint8_t>(Crc() >> 8) && bytes[17] == (Crc() & 0xFF); }

    // The pack's 144 bits, most significant first, six to a symbol.
    void ToSymbols(uint8_t* symbols) const
    {
        for (size_t group = 0; group < kBytes / 3; ++group) {
            const uint8_t* in = &bytes[group * 3];
            uint8_t* out = symbols + group * 4;
            out[0] = in[0] >> 2;
            out[1] = static_cast<uint8_t>((in[0] & 0x03) << 4 | in[1] >> 4);
            out[2] = static_cast<uint8_t>((in[1] & 0x0F) << 2 | in[2] >> 6);
            out[3] = in[2] & 0x3F;
        }
    }

    static CdTextPack FromSymbols(const uint8_t* symbols)
    {
        CdTextPack pack;
        for (size_t group = 0; group < kBytes / 3; ++group) {
            const uint8_t* in = symbols + group * 4;
            uint8_t* out = &pack.bytes[group * 3];
            out[0] = static_cast<uint8_t>((in[0] & 0x3F) << 2 | (in[1] & 0x3F) >> 4);
            out[1] = static_cast<uint8_t>((in[1] & 0x0F) << 4 | (in[2] & 0x3F) >> 2);
            out[2] = static_cast<uint8_t>((in[2] & 0x03) << 6 | (in[3] & 0x3F));
        }
        return pack;
    }

    // The texts of one pack type in block 0, indexed by track number (0 for
    // the disc) up to the last track the size information names, as the
    // bytes the packs hold; none when the packs have no such type.
    static std::vector<std::string> Texts(const std::vector<CdTextPack>& packs, uint8_t type)
    {
        std::vector<std::string> texts;
        size_t lastTrack = 0;
        for (const CdTextPack& pack : packs) {
            if ((pack.bytes[3] & 0x70) != 0)
                continue;
            if (pack.Type() == kSizeInformation && pack.bytes[1] == 0)
                lastTrack = pack.bytes[kPayloadStart + 2];
            if (pack.Type() != type)
                continue;
            if (texts.empty())
                texts.resize(size_t{pack.bytes[1] & 0x7Fu} + 1);
            for (size_t at = kPayloadStart; at < kPayloadStart + kPayloadBytes; ++at) {
                if (pack.bytes[at] == 0)
                    texts.emplace_back();
                else
                    texts.back() += static_cast<char>(pack.bytes[at]);
            }
        }
        // The padding after the last text opens no further track.
        if (!texts.empty())
            texts.resize(lastTrack + 1);
        return texts;
    }
};

}  // namespace quillstar
