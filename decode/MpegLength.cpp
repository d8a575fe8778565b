#include "decode/MpegLength.h"

#include "decode/MpegFile.h"

namespace quillstar {

std::optional<MpegLength> MeasureMpegLength(const std::string& path)
{
    int64_t frames = 0;
    MpegFormat format;
    if (!MpegFile::MeasureFrames(path, frames, format))
        return std::nullopt;
    return MpegLength{frames, format.sampleRate, format.channels};
}

}  // namespace quillstar
