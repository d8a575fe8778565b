#include "decode/DecoderChoice.h"

#include <gst/base/gsttypefindhelper.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "decode/GStreamerSupport.h"
#include "platform/RegularFile.h"
#include "resources/DecodeEngineTexts.h"

namespace quillstar {

using namespace engine;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// An ID3v2 tag in front of the audio is skipped: its pictures can be far
// larger than what type finding reads. Its size is a 28-bit number in four
// 7-bit bytes, not counting the header and the footer.
long AudioStart(std::FILE* file)
{
    unsigned char header[kId3HeaderSize];
    if (std::fread(header, 1, sizeof header, file) != sizeof header || std::memcmp(header, "ID3", 3) != 0)
        return 0;
    const long size = long{header[6] & 0x7F} << 21 | long{header[7] & 0x7F} << 14 | long{header[8] & 0x7F} << 7 |
                      long{header[9] & 0x7F};
    const bool hasFooter = (header[5] & kId3FooterFlag) != 0;
    return kId3HeaderSize + size + (hasFooter ? kId3HeaderSize : 0);
}

// A pipe or a device is never opened: reading it could wait forever.
std::vector<unsigned char> ReadHead(const std::string& path)
{
    if (!IsRegularFile(path))
        return {};
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), AudioStart(file.get()), SEEK_SET) != 0)
        return {};
    std::vector<unsigned char> head(kTypeFindBytes);
    head.resize(std::fread(head.data(), 1, head.size(), file.get()));
    return head;
}

DecoderKind KindOfCaps(GstCaps* caps)
{
    const GstStructure* structure = gst_caps_get_structure(caps, 0);
    const std::string name = gst_structure_get_name(structure);
    if (name == "audio/mpeg") {
        int version = 0;
        gst_structure_get_int(structure, "mpegversion", &version);
        return version == 1 ? DecoderKind::Plugin : DecoderKind::Libav;
    }
    for (const char* type : kSndFileMediaTypes) {
        if (name == type)
            return DecoderKind::SndFile;
    }
    for (const char* type : kLibavMediaTypes) {
        if (name == type)
            return DecoderKind::Libav;
    }
    return DecoderKind::None;
}

}  // namespace

DecoderKind DecoderChoice::ByContent(const std::string& path)
{
    const std::vector<unsigned char> head = ReadHead(path);
    if (head.empty() || !InitGStreamer())
        return DecoderKind::None;
    GstTypeFindProbability probability = GST_TYPE_FIND_NONE;
    const GstMiniObjectPtr<GstCaps> caps(
        gst_type_find_helper_for_data(nullptr, head.data(), head.size(), &probability));
    if (!caps || gst_caps_get_size(caps.get()) == 0 || probability < GST_TYPE_FIND_LIKELY)
        return DecoderKind::None;
    return KindOfCaps(caps.get());
}

DecoderKind DecoderChoice::For(const std::string& path)
{
    const MusicFile::Type* type = MusicFile::TypeOf(path);
    const DecoderKind byName = type != nullptr ? type->decoder : DecoderKind::MediaGraph;
    const DecoderKind content = ByContent(path);
    // The plug-in picks up its files by their names: MPEG audio under
    // another name goes to FFmpeg, which reads it as well.
    if (content == DecoderKind::Plugin && byName != DecoderKind::Plugin)
        return DecoderKind::Libav;
    return content != DecoderKind::None ? content : byName;
}

}  // namespace quillstar
