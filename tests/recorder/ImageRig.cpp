#include "tests/recorder/ImageRig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace quillstar::test {

namespace {

constexpr int kSectorBytes = 2352;
constexpr int kFramesPerMinute = 60 * 75;

std::string DiscOption(DriveSetup::Disc disc)
{
    switch (disc) {
    case DriveSetup::Disc::Blank:
        return "disc=blank";
    case DriveSetup::Disc::Appendable:
        return "disc=appendable";
    case DriveSetup::Disc::Closed:
        return "disc=complete";
    case DriveSetup::Disc::Missing:
        return "disc=none";
    }
    return {};
}

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

// Read in one go: the images run to megabytes.
std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::error_code error;
    std::vector<uint8_t> bytes(std::filesystem::file_size(path, error));
    std::ifstream file(path, std::ios::binary);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::vector<CueTrack> ReadCueSheet(const std::string& text)
{
    std::vector<CueTrack> tracks;
    std::istringstream lines(text);
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

ImageRig::ImageRig(const DriveSetup& setup, const std::string& moreOptions)
    : layer_(ImagePath(), Options(setup) + " " + moreOptions)
{
}

std::vector<uint8_t> ImageRig::Image() const
{
    return ReadBytes(ImagePath());
}

std::string ImageRig::Options(const DriveSetup& setup)
{
    std::ostringstream options;
    options << DiscOption(setup.disc) << " media=" << (setup.rewritable ? "cdrw" : "cdr");
    // The lead-out of an N-minute disc starts at (N-1):59:74.
    if ((setup.leadOutFrames + 1) % kFramesPerMinute != 0)
        ADD_FAILURE() << "the image recorder holds discs of whole minutes only";
    options << " minutes=" << (setup.leadOutFrames + 1) / kFramesPerMinute;
    options << " max-read-speed=" << setup.maxReadSpeed << " max-write-speed=" << setup.maxWriteSpeed;
    if (setup.forcedWriteSpeed > 0)
        options << " current-write-speed=" << setup.forcedWriteSpeed;
    if (setup.capacityUnknown)
        options << " unknown-capacity";
    if (setup.inquiryFails)
        options << " inquiry-fails";
    if (!setup.capabilitiesPage)
        options << " no-capabilities-page";
    if (setup.writesCdR != setup.writesCdRw)
        ADD_FAILURE() << "the image recorder writes both CD-R and CD-RW, or neither";
    if (!setup.writesCdR)
        options << " reader-only";
    if (setup.writeFailures > 0) {
        options << " write-fails=" << setup.writeFailures << " write-fails-at=" << setup.failFromWrite
                << " write-fail-sense=" << std::hex << int{setup.writeFailureSenseKey} << "/0C/00" << std::dec;
    }
    if (setup.notReadyPollsAfterClose > 0)
        options << " not-ready-after-close=" << setup.notReadyPollsAfterClose;
    if (setup.busyAnswersPerWrite > 0)
        ADD_FAILURE() << "the image recorder is busy only as its throttle makes it";
    return options.str();
}

void ImageRig::ExpectImageOf(const std::vector<std::vector<uint8_t>>& tracks) const
{
    std::vector<uint8_t> expected;
    for (size_t at = 0; at < tracks.size(); ++at) {
        if (at > 0)
            expected.resize(expected.size() + size_t{150} * kSectorBytes, 0);
        expected.insert(expected.end(), tracks[at].begin(), tracks[at].end());
    }
    EXPECT_TRUE(Image() == expected) << "the image differs from its tracks and their pauses";
}

BurnedDisc ImageRig::Disc()
{
    BurnedDisc disc;
    std::string image;
    std::string cue;
    // The last of disc.bin, disc-2.bin, ... that has its CUE sheet.
    for (int number = 1;; ++number) {
        const std::string stem = number == 1 ? "disc" : "disc-" + std::to_string(number);
        if (!std::filesystem::exists(folder_.File(stem + ".cue")))
            break;
        image = folder_.File(stem + ".bin");
        cue = folder_.File(stem + ".cue");
    }
    if (cue.empty())
        return disc;
    disc.sessionClosed = true;
    const std::vector<uint8_t> bytes = ReadBytes(image);
    const int imageSectors = static_cast<int>(bytes.size() / kSectorBytes);
    const std::vector<CueTrack> tracks = ReadCueSheet(ReadText(cue));
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

std::unique_ptr<BurnRig> MakeBurnRig(const DriveSetup& setup)
{
    return std::make_unique<ImageRig>(setup);
}

}  // namespace quillstar::test
