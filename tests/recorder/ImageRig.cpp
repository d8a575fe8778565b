#include "tests/recorder/ImageRig.h"

#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace

ImageRig::ImageRig(const DriveSetup& setup, const std::string& moreOptions)
    : layer_(ImagePath(), Options(setup) + " " + moreOptions)
{
}

std::vector<uint8_t> ImageRig::Image() const
{
    return ReadWholeFile(ImagePath());
}

std::vector<std::string> ImageRig::Files() const
{
    // The test drive's lock file is the drive's, not the burn's.
    std::vector<std::string> names = folder_.Names();
    std::erase_if(names, [](const std::string& name) { return name.ends_with(".lock"); });
    return names;
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
        return {};
    return ReadBurnedDisc(image, cue);
}

std::unique_ptr<BurnRig> MakeBurnRig(const DriveSetup& setup)
{
    return std::make_unique<ImageRig>(setup);
}

}  // namespace quillstar::test
