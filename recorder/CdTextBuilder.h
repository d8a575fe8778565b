#pragma once

#include <string>
#include <vector>

#include "platform/aspi/CdTextPack.h"
#include "recorder/DiscText.h"

namespace quillstar {

// Builds the CD-TEXT a disc written at once carries in its lead-in: one
// block in ISO-8859-1, its titles (disc, then each track), its performers
// when any is known, and the three size-information packs, each pack
// numbered in sequence and sealed with its CRC.
class CdTextBuilder {
public:
    // No pack at all when the text holds nothing. A text that is not Latin-1
    // is transliterated ("Dvořák" gives "Dvorák"); one that cannot be is left
    // out, and texts too long for one block are cut: each is named in
    // warnings.
    static std::vector<CdTextPack> Build(const DiscText& text, std::vector<std::string>& warnings);

    // The 96-byte sub-channel block the lead-in holds at this position from
    // its start: the packs repeat in a cycle, four to a block.
    static void LeadInBlock(const std::vector<CdTextPack>& packs, int64_t block, uint8_t* data);
};

}  // namespace quillstar
