#include "tests/recorder/BurnedDisc.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/platform/aspi/TemporaryFolder.h"

namespace quillstar::test {

namespace {

constexpr int kSectorBytes = 2352;

int Sectors(const std::string& minutesSecondsFrames)
{
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    std::sscanf(minutesSecondsFrames.c_str(), "%d:%d:%d", &minutes, &seconds, &frames);
    return (minutes * 60 + seconds) * 75 + frames;
}

struct CueTrack {
    int number = 0;
    int pauseStart = -1;
    int start = -1;
};

std::vector<CueTrack> ReadCueSheet(const std::string& path)
{
    std::vector<CueTrack> tracks;
    std::ifstream file(path);
    std::stringstream lines;
    lines << file.rdbuf();
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "TRACK") {
            CueTrack track;
            words >> track.number;
            tracks.push_back(track);
        } else if (keyword == "INDEX" && !tracks.empty()) {
            int index = 0;
            std::string time;
            words >> index >> time;
            (index == 0 ? tracks.back().pauseStart : tracks.back().start) = Sectors(time);
        }
    }
    return tracks;
}

}  // namespace

BurnedDisc ReadBurnedDisc(const std::string& imagePath, const std::string& cuePath)
{
    BurnedDisc disc;
    disc.sessionClosed = true;
    const std::vector<uint8_t> bytes = ReadWholeFile(imagePath);
    const int imageSectors = static_cast<int>(bytes.size() / kSectorBytes);
    const std::vector<CueTrack> tracks = ReadCueSheet(cuePath);
    for (size_t at = 0; at < tracks.size(); ++at) {
        const CueTrack& track = tracks[at];
        int end = imageSectors;
        if (at + 1 < tracks.size())
            end = tracks[at + 1].pauseStart >= 0 ? tracks[at + 1].pauseStart : tracks[at + 1].start;
        BurnedDisc::Track read;
        read.number = track.number;
        read.pauseSectors = track.pauseStart >= 0 ? track.start - track.pauseStart : 0;
        if (track.start >= 0 && track.start <= end && end <= imageSectors) {
            read.audio.assign(bytes.begin() + static_cast<ptrdiff_t>(track.start) * kSectorBytes,
                              bytes.begin() + static_cast<ptrdiff_t>(end) * kSectorBytes);
        }
        disc.tracks.push_back(std::move(read));
    }
    return disc;
}

}  // namespace quillstar::test
