#include "decode/FileSeconds.h"

#include "decode/AudioTrackSource.h"

namespace quillstar {

int FileSeconds(const std::string& path)
{
    AudioTrackSource source;
    source.AddTrack(path);
    return static_cast<int>(source.GetTotalSeconds());
}

}  // namespace quillstar
