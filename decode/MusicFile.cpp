#include "decode/MusicFile.h"

#include <algorithm>
#include <cctype>

#include "resources/MusicFileTexts.h"

namespace quillstar {

using namespace music;

namespace {

// The text after the file name's last dot, lower-cased; empty without one.
std::string ExtensionOf(const std::string& path)
{
    const size_t nameStart = path.find_last_of('/') + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

const std::vector<MusicFile::Type>& MusicFile::Types()
{
    static const std::vector<Type> types = {
        {"mp3", kMp3TypeText, DecoderKind::Plugin},        {"mp2", kMp2TypeText, DecoderKind::Plugin},
        {"flac", kFlacTypeText, DecoderKind::SndFile},     {"ogg", kVorbisTypeText, DecoderKind::SndFile},
        {"oga", kOggTypeText, DecoderKind::SndFile},       {"opus", kOpusTypeText, DecoderKind::SndFile},
        {"m4a", kMp4TypeText, DecoderKind::Libav},         {"aac", kAacTypeText, DecoderKind::Libav},
        {"wma", kWmaTypeText, DecoderKind::Libav},         {"wav", kWavTypeText, DecoderKind::SndFile},
        {"aif", kAiffTypeText, DecoderKind::SndFile},      {"aiff", kAiffTypeText, DecoderKind::SndFile},
        {"aifc", kAifcTypeText, DecoderKind::SndFile},     {"au", kAuTypeText, DecoderKind::SndFile},
        {"wv", kWavPackTypeText, DecoderKind::MediaGraph}, {"mka", kMatroskaTypeText, DecoderKind::MediaGraph},
    };
    return types;
}

const MusicFile::Type* MusicFile::TypeOf(const std::string& path)
{
    const std::string extension = ExtensionOf(path);
    for (const Type& type : Types()) {
        if (extension == type.extension)
            return &type;
    }
    return nullptr;
}

bool MusicFile::IsMusicFile(const std::string& path)
{
    return TypeOf(path) != nullptr;
}

std::string MusicFile::FilterText()
{
    std::string patterns;
    for (const Type& type : Types())
        patterns += (patterns.empty() ? "" : kPatternSeparator) + std::string(kPatternPrefix) + type.extension;
    return std::string(kMusicFilesItemName) + " {" + patterns + "}";
}

}  // namespace quillstar
