#include "decode/FileSeconds.h"

#include "decode/AudioTrackSource.h"

namespace quillstar {

int FileSeconds(const std::string& path)
{
    return static_cast<int>(AudioTrackSource::TrackSeconds(path));
}

}  // namespace quillstar
