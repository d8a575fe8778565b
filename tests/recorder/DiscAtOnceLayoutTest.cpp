// The parts of a disc written at once that the writer lays out before its
// first WRITE: the CD-TEXT packs and the cue sheet.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "recorder/CdTextBuilder.h"
#include "recorder/CueSheet.h"

using namespace quillstar;

namespace {

constexpr int64_t kSector = 2352;

}  // namespace

TEST(CdText, PacksCarryTheCrcAndTheSixBitFormOfTheLeadIn)
{
    // A size-information pack as published with its CRC and lead-in form.
    CdTextPack pack{{0x8F, 0x00, 0x2A, 0x00, 0x01, 0x01, 0x03, 0x00, 0x06, 0x05, 0x04, 0x05, 0x07, 0x06, 0x01, 0x02}};
    pack.Seal();
    EXPECT_EQ(pack.bytes[16], 0x48);
    EXPECT_EQ(pack.bytes[17], 0x65);
    std::array<uint8_t, 24> symbols{};
    pack.ToSymbols(symbols.data());
    EXPECT_EQ(symbols,
              (std::array<uint8_t, 24>{0x23, 0x30, 0x00, 0x2A, 0x00, 0x00, 0x04, 0x01, 0x00, 0x30, 0x00, 0x06,
                                       0x01, 0x10, 0x10, 0x05, 0x01, 0x30, 0x18, 0x01, 0x00, 0x24, 0x21, 0x25}));
    EXPECT_EQ(CdTextPack::FromSymbols(symbols.data()), pack);
}

TEST(CdText, TitlesAndPerformersRunOnFromPackToPackInLatin1)
{
    std::vector<std::string> warnings;
    const DiscText text{{"Alb", "Me"}, {{"One", "Me"}, {"Dvořák – Largo", ""}, {"Чайка", "東京"}}};
    const std::vector<CdTextPack> packs = CdTextBuilder::Build(text, warnings);
    ASSERT_EQ(packs.size(), 6u);
    // Titles in two packs, the second naming track 2 whose fifth character it starts with.
    const std::array<uint8_t, 16> first = {0x80, 0, 0, 0, 'A', 'l', 'b', 0, 'O', 'n', 'e', 0, 'D', 'v', 'o', 'r'};
    EXPECT_TRUE(std::equal(first.begin(), first.end(), packs[0].bytes.begin()));
    EXPECT_EQ(std::vector<uint8_t>(packs[1].bytes.begin(), packs[1].bytes.begin() + 5),
              (std::vector<uint8_t>{0x80, 2, 1, 4, 0xE1}));
    for (size_t at = 0; at < packs.size(); ++at) {
        EXPECT_TRUE(packs[at].HasValidCrc()) << at;
        EXPECT_EQ(packs[at].bytes[2], at);
    }
    EXPECT_EQ(CdTextPack::Texts(packs, CdTextPack::kTitle),
              (std::vector<std::string>{"Alb", "One", "Dvor\xE1k - Largo", ""}));
    EXPECT_EQ(CdTextPack::Texts(packs, CdTextPack::kPerformer), (std::vector<std::string>{"Me", "Me", "", ""}));
    EXPECT_EQ(warnings, (std::vector<std::string>{"CD-TEXT: \"Чайка\" has no Latin-1 form and is left out.",
                                                  "CD-TEXT: \"東京\" has no Latin-1 form and is left out."}));
    // Size information: Latin-1, tracks 1 to 3, 2 title packs, 1 performer
    // pack, 3 of its own, the last sequence number 5, English.
    const std::array<uint8_t, 12> size = {0, 1, 3, 0, 2, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(size.begin(), size.end(), packs[3].bytes.begin() + 4));
    EXPECT_EQ(packs[4].bytes[4 + 19 - 12], 3);
    EXPECT_EQ(packs[4].bytes[4 + 20 - 12], 5);
    EXPECT_EQ(packs[5].bytes[4 + 28 - 24], 9);

    warnings.clear();
    EXPECT_TRUE(CdTextBuilder::Build({{}, {{}, {}}}, warnings).empty()) << "no text, no CD-TEXT";
    const DiscText longTitles{{}, std::vector<DiscText::Entry>(99, {std::string(80, 'x'), ""})};
    EXPECT_LE(CdTextBuilder::Build(longTitles, warnings).size(), 256u);
    EXPECT_EQ(warnings, std::vector<std::string>{"CD-TEXT: the texts are cut to 29 characters to fit on the disc."});
}

TEST(CueSheet, LaysOutPausesOrOneGaplessStreamAndAnnouncesIt)
{
    struct Case {
        const char* name;
        int pauseFrames;
        std::vector<int64_t> bytes;
        // Each track's INDEX 00, INDEX 01 and first byte.
        std::vector<std::array<int64_t, 3>> tracks;
        int64_t leadOut;
    };
    const Case cases[] = {
        {"2-second pauses, a track shorter than 4 seconds padded",
         150,
         {400 * kSector + 1000, 300 * kSector, 10 * kSector},
         {{-150, 0, 0}, {401, 551, 551 * kSector}, {851, 1001, 1001 * kSector}},
         1301},
        {"gapless: each track starts in the sector of its first byte",
         0,
         {400 * kSector + 1000, 300 * kSector + 5, 10 * kSector},
         {{-150, 0, 0}, {400, 400, 400 * kSector + 1000}, {700, 700, 700 * kSector + 1005}},
         1000},
        {"gapless: a track shorter than 4 seconds padded",
         0,
         {400 * kSector + 7, 100 * kSector, 400 * kSector},
         {{-150, 0, 0}, {400, 400, 400 * kSector + 7}, {700, 700, 700 * kSector}},
         1100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CueSheet sheet(c.bytes, c.pauseFrames, false);
        ASSERT_EQ(sheet.Tracks().size(), c.tracks.size());
        for (size_t at = 0; at < c.tracks.size(); ++at) {
            const CueSheet::Track& track = sheet.Tracks()[at];
            EXPECT_EQ((std::array<int64_t, 3>{track.pauseStart, track.start, track.audioStart}), c.tracks[at]) << at;
            EXPECT_EQ(track.audioBytes, c.bytes[at]);
        }
        EXPECT_EQ(sheet.LeadOutStart(), c.leadOut);
    }
    EXPECT_EQ(
        CueSheet({300 * kSector, 300 * kSector}, 75, true).Bytes(),
        (std::vector<uint8_t>{0x21, 0, 0, 0x41, 0, 0, 0, 0, 0x21, 1, 0, 0, 0, 0, 0, 0, 0x21, 1,    1, 0, 0, 0, 2,  0,
                              0x21, 2, 0, 0,    0, 0, 6, 0, 0x21, 2, 1, 0, 0, 0, 7, 0, 0x21, 0xAA, 1, 1, 0, 0, 11, 0}));
    for (const auto& [seconds, frames] : std::vector<std::pair<double, int>>{
             {1.2, 90}, {0, 0}, {10, 750}, {0.006, 0}, {0.007, 1}, {10.01, -1}, {-0.01, -1}, {0.0 / 0.0, -1}})
        EXPECT_EQ(CueSheet::PauseFrames(seconds), frames) << seconds;
}
