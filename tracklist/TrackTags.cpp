#include "tracklist/TrackTags.h"

#include <fileref.h>
#include <tag.h>

namespace quillstar {

namespace {

std::string Utf8(const TagLib::String& text)
{
    return text.to8Bit(true);
}

std::string SharedText(const std::vector<TrackTags>& tracks, std::string TrackTags::*field)
{
    if (tracks.empty())
        return {};
    for (const TrackTags& track : tracks) {
        if (track.*field != tracks.front().*field)
            return {};
    }
    return tracks.front().*field;
}

}  // namespace

TrackTags TrackTags::Read(const std::string& path)
{
    const TagLib::FileRef file(path.c_str(), false);
    if (file.isNull() || file.tag() == nullptr)
        return {};
    const TagLib::Tag& tag = *file.tag();
    return {Utf8(tag.artist()), Utf8(tag.album()), Utf8(tag.title())};
}

TrackTags TrackTags::Shared(const std::vector<TrackTags>& tracks)
{
    return {SharedText(tracks, &TrackTags::artist), SharedText(tracks, &TrackTags::album), {}};
}

}  // namespace quillstar
