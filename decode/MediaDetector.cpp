#include "decode/MediaDetector.h"

#include <sndfile.h>

#include <algorithm>
#include <vector>

#include "decode/DecodeEngine.h"
#include "decode/DecodedLengthCache.h"
#include "decode/DecoderChoice.h"
#include "decode/LibavDecoder.h"
#include "decode/MpegLength.h"
#include "resources/CdAudio.h"

namespace quillstar {

namespace {

double MpegSeconds(const std::string& path)
{
    const std::optional<MpegLength> length = MeasureMpegLength(path);
    return length ? length->Seconds() : 0.0;
}

double SndFileSeconds(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return 0.0;
    sf_close(file);
    if (info.frames <= 0 || info.samplerate <= 0)
        return 0.0;
    return static_cast<double>(info.frames) / info.samplerate;
}

// What the graph delivers, in CD audio: the file is played through it whole.
double GraphSeconds(const std::string& path)
{
    DecodeEngine engine;
    engine.SetBlockLength(cd::kBlockSize);
    if (engine.OpenGraph(path) < 0)
        return 0.0;
    std::vector<uint8_t> block(cd::kBlockSize);
    int64_t bytes = 0;
    for (bool more = true; more;) {
        int length = cd::kBlockSize;
        more = engine.Read(block.data(), length) == SyncBuffer::Delivery::Block;
        bytes += std::max(length, 0);
    }
    engine.Stop();
    return static_cast<double>(bytes) / cd::kBytesPerSecond;
}

}  // namespace

double DetectAudioSeconds(const std::string& path)
{
    switch (DecoderChoice::For(path)) {
    case DecoderKind::Plugin:
        return MpegSeconds(path);
    case DecoderKind::SndFile:
        return SndFileSeconds(path);
    case DecoderKind::Libav:
        return DecodedLengthCache::Seconds(path, LibavDecoder::DecodedSeconds);
    case DecoderKind::MediaGraph:
        return DecodedLengthCache::Seconds(path, GraphSeconds);
    default:
        return 0.0;
    }
}

}  // namespace quillstar
