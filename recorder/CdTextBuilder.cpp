#include "recorder/CdTextBuilder.h"

#include <iconv.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "resources/RecorderTexts.h"

namespace quillstar {

using namespace recorder;

namespace {

constexpr size_t kSizeInformationBytes = 36;
constexpr size_t kPackTypes = 16;

// The text in ISO-8859-1, letters outside it transliterated as glibc does in
// a UTF-8 locale; false when a character has no such form (glibc writes "?"
// for it) or the text is not UTF-8.
bool ToLatin1(const std::string& utf8, std::string& latin1)
{
    latin1.clear();
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        latin1 = utf8;
        return true;
    }
    // The locale is this thread's only, for this conversion only.
    const locale_t utf8Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8Locale == static_cast<locale_t>(nullptr))
        return false;
    const locale_t previous = uselocale(utf8Locale);
    bool converted = false;
    const iconv_t converter = iconv_open("ISO-8859-1//TRANSLIT", "UTF-8");
    if (converter != reinterpret_cast<iconv_t>(-1)) {
        std::string output(utf8.size() * 4 + 4, '\0');
        char* in = const_cast<char*>(utf8.data());
        size_t inLeft = utf8.size();
        char* out = output.data();
        size_t outLeft = output.size();
        converted = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
        output.resize(output.size() - outLeft);
        iconv_close(converter);
        converted =
            converted && std::count(output.begin(), output.end(), '?') == std::count(utf8.begin(), utf8.end(), '?');
        if (converted)
            latin1 = output;
    }
    uselocale(previous);
    freelocale(utf8Locale);
    return converted;
}

template <typename Value>
std::string Formatted(const char* format, Value value)
{
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Control characters would end a text early (0) or repeat the last track's
// (a tab): they become spaces.
std::string WithoutControlCharacters(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    return text;
}

// Each text of the list in ISO-8859-1; a text that has no such form is
// left empty and named once in the warnings.
std::vector<std::string> Latin1Texts(const std::vector<std::string>& texts, std::vector<std::string>& warnings)
{
    std::vector<std::string> converted;
    for (const std::string& text : texts) {
        std::string latin1;
        const std::string warning = Formatted(kTextCdTextLeftOut, text.c_str());
        if (!ToLatin1(text, latin1) && std::find(warnings.begin(), warnings.end(), warning) == warnings.end())
            warnings.push_back(warning);
        converted.push_back(WithoutControlCharacters(latin1));
    }
    return converted;
}

// The packs of one type: the texts of the disc and every track, each ended
// by a zero byte, run on from pack to pack. Each pack names the track its
// first byte belongs to and how many characters of that text came before.
void AppendTextPacks(uint8_t type, const std::vector<std::string>& texts, size_t longest,
                     std::vector<CdTextPack>& packs)
{
    std::string stream;
    std::vector<size_t> owner;
    std::vector<size_t> textStart;
    for (size_t track = 0; track < texts.size(); ++track) {
        textStart.push_back(stream.size());
        stream += texts[track].substr(0, longest);
        stream += '\0';
        owner.resize(stream.size(), track);
    }
    for (size_t offset = 0; offset < stream.size(); offset += CdTextPack::kPayloadBytes) {
        CdTextPack pack;
        const size_t track = owner[offset];
        pack.bytes[0] = type;
        pack.bytes[1] = static_cast<uint8_t>(track);
        pack.bytes[2] = static_cast<uint8_t>(packs.size());
        pack.bytes[3] = static_cast<uint8_t>(std::min<size_t>(offset - textStart[track], 15));
        const size_t length = std::min(CdTextPack::kPayloadBytes, stream.size() - offset);
        std::copy_n(stream.begin() + static_cast<ptrdiff_t>(offset), length,
                    pack.bytes.begin() + CdTextPack::kPayloadStart);
        packs.push_back(pack);
    }
}

// The three packs that close the block: character code, first and last
// track, the count of packs of each type, the last sequence number and the
// language.
void AppendSizeInformation(size_t lastTrack, std::vector<CdTextPack>& packs)
{
    std::array<uint8_t, kSizeInformationBytes> info{};
    info[0] = kCdTextLatin1;
    info[1] = 1;
    info[2] = static_cast<uint8_t>(lastTrack);
    for (const CdTextPack& pack : packs)
        ++info[4 + (pack.Type() & 0x0F)];
    info[4 + (CdTextPack::kSizeInformation & 0x0F)] = 3;
    info[20] = static_cast<uint8_t>(packs.size() + 2);
    info[28] = kCdTextEnglish;
    for (uint8_t part = 0; part < 3; ++part) {
        CdTextPack pack;
        pack.bytes[0] = CdTextPack::kSizeInformation;
        pack.bytes[1] = part;
        pack.bytes[2] = static_cast<uint8_t>(packs.size());
        std::copy_n(info.begin() + part * CdTextPack::kPayloadBytes, CdTextPack::kPayloadBytes,
                    pack.bytes.begin() + CdTextPack::kPayloadStart);
        packs.push_back(pack);
    }
}

std::vector<CdTextPack> Layout(const std::vector<std::string>& titles, const std::vector<std::string>& performers,
                               size_t longest)
{
    std::vector<CdTextPack> packs;
    AppendTextPacks(CdTextPack::kTitle, titles, longest, packs);
    if (std::any_of(performers.begin(), performers.end(), [](const std::string& text) { return !text.empty(); }))
        AppendTextPacks(CdTextPack::kPerformer, performers, longest, packs);
    AppendSizeInformation(titles.size() - 1, packs);
    for (CdTextPack& pack : packs)
        pack.Seal();
    return packs;
}

}  // namespace

std::vector<CdTextPack> CdTextBuilder::Build(const DiscText& text, std::vector<std::string>& warnings)
{
    std::vector<std::string> titles = {text.album.title};
    std::vector<std::string> performers = {text.album.performer};
    for (const DiscText::Entry& track : text.tracks) {
        titles.push_back(track.title);
        performers.push_back(track.performer);
    }
    titles = Latin1Texts(titles, warnings);
    performers = Latin1Texts(performers, warnings);
    const auto isEmpty = [](const std::string& text) { return text.empty(); };
    if (text.tracks.empty() || (std::all_of(titles.begin(), titles.end(), isEmpty) &&
                                std::all_of(performers.begin(), performers.end(), isEmpty)))
        return {};
    size_t longest = 0;
    for (const auto* list : {&titles, &performers}) {
        for (const std::string& one : *list)
            longest = std::max(longest, one.size());
    }
    std::vector<CdTextPack> packs = Layout(titles, performers, longest);
    size_t cut = longest;
    while (packs.size() > static_cast<size_t>(kCdTextMostPacks) && cut > 0)
        packs = Layout(titles, performers, --cut);
    if (cut < longest)
        warnings.push_back(Formatted(kTextCdTextShortened, static_cast<int>(cut)));
    return packs;
}

void CdTextBuilder::LeadInBlock(const std::vector<CdTextPack>& packs, int64_t block, uint8_t* data)
{
    for (size_t at = 0; at < CdTextPack::kPacksPerBlock; ++at) {
        const auto index = static_cast<size_t>(block) * CdTextPack::kPacksPerBlock + at;
        packs[index % packs.size()].ToSymbols(data + at * CdTextPack::kSymbols);
    }
}

}  // namespace quillstar
