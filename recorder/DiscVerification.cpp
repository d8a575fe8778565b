#include "recorder/DiscVerification.h"

#include <algorithm>
#include <cstdio>

#include "resources/VerificationTexts.h"

namespace quillstar {

using namespace verification;

namespace {

template <typename... Values>
std::string Format(const char* format, Values... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

}  // namespace

std::string DiscVerification::Track::Text() const
{
    const int minutes = second / 60;
    const int seconds = second % 60;
    switch (state) {
    case State::kVerified:
        return kTextTrackVerified;
    case State::kDiffers:
        return differingSeconds == 1 ? Format(kTextTrackDiffersOneSecond, minutes, seconds)
                                     : Format(kTextTrackDiffersSeconds, minutes, seconds, differingSeconds);
    case State::kUnreadable:
        return Format(kTextTrackUnreadable, minutes, seconds);
    }
    return {};
}

std::vector<std::string> DiscVerification::TrackLines() const
{
    std::vector<std::string> lines;
    for (size_t index = 0; index < tracks.size(); ++index)
        lines.push_back(Format(kTextTrackLine, static_cast<int>(index + 1), tracks[index].Text().c_str()));
    return lines;
}

void DiscVerification::Conclude()
{
    const auto failed = [](const Track& track) { return track.state != Track::State::kVerified; };
    const auto count = static_cast<int>(std::count_if(tracks.begin(), tracks.end(), failed));
    outcome = count == 0 ? Outcome::kVerified : Outcome::kFailed;
    if (count == 0) {
        text = Format(kTextVerified, static_cast<int>(tracks.size()));
    } else if (count == 1) {
        const auto track = std::find_if(tracks.begin(), tracks.end(), failed);
        text = Format(kTextFailedTrack, static_cast<int>(track - tracks.begin() + 1), track->Text().c_str());
    } else {
        text = Format(kTextFailedTracks, count, static_cast<int>(tracks.size()));
    }
}

}  // namespace quillstar
