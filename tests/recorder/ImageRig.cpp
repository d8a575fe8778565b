#include "tests/recorder/ImageRig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/ProgramPath.h"
#include "platform/aspi/Aspi.h"
#include "resources/CdAudio.h"
#include "resources/ImageRecorderTexts.h"
#include "resources/RecorderTexts.h"
#include "tests/platform/aspi/SgTestDrive.h"

namespace quillstar::test {

namespace {

struct CueTrack {
    int number = 0;
    int pauseStart = -1;
    int start = -1;
};

std::vector<CueTrack> ReadCueSheet(const std::string& path)
{
    std::vector<CueTrack> tracks;
    std::istringstream lines(ReadText(path));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "TRACK") {
            tracks.emplace_back();
            words >> tracks.back().number;
        } else if (keyword == "INDEX" && !tracks.empty()) {
            int index = 0, minutes = 0, seconds = 0, frames = 0;
            std::string time;
            words >> index >> time;
            std::sscanf(time.c_str(), "%d:%d:%d", &minutes, &seconds, &frames);
            (index == 0 ? tracks.back().pauseStart : tracks.back().start) = (minutes * 60 + seconds) * 75 + frames;
        }
    }
    return tracks;
}

}  // namespace

BurnedDisc ReadBurnedDisc(const std::string& imagePath, const std::string& cuePath)
{
    BurnedDisc disc;
    disc.sessionClosed = true;
    const std::vector<uint8_t> bytes = ReadFileBytes(imagePath);
    const int imageSectors = static_cast<int>(bytes.size() / cd::kSectorSize);
    const std::vector<CueTrack> tracks = ReadCueSheet(cuePath);
    for (size_t at = 0; at < tracks.size(); ++at) {
        const CueTrack& track = tracks[at];
        int end = imageSectors;
        if (at + 1 < tracks.size())
            end = tracks[at + 1].pauseStart >= 0 ? tracks[at + 1].pauseStart : tracks[at + 1].start;
        BurnedDisc::Track& read = disc.tracks.emplace_back();
        read.number = track.number;
        read.pauseSectors = track.pauseStart >= 0 ? track.start - track.pauseStart : 0;
        if (track.start >= 0 && track.start <= end && end <= imageSectors) {
            read.audio.assign(bytes.begin() + static_cast<ptrdiff_t>(track.start) * cd::kSectorSize,
                              bytes.begin() + static_cast<ptrdiff_t>(end) * cd::kSectorSize);
        }
    }
    return disc;
}

ImageRig::ImageRig(const std::string& options, bool withRecorder)
{
    // The layer reads these when it starts, which the calls below make it do.
#ifdef QUILLSTAR_THROUGH_TEST_DRIVE
    // The recorder answers as the preloaded test drive, through SG_IO. The
    // programs the tests start (a shell, cdrdao) run without it.
    unsetenv("LD_PRELOAD");
    setenv(aspi::kDrivesVariable, withRecorder ? kTestDrivePath : "", 1);
    setenv(kTestDriveImageVariable, ImagePath().c_str(), 1);
    setenv(kTestDriveOptionsVariable, options.c_str(), 1);
    const std::string recorderPath;
#else
    setenv(aspi::kDrivesVariable, "", 1);
    setenv(aspi::kImageRecorderOptionsVariable, options.c_str(), 1);
    const std::string recorderPath = withRecorder ? ImagePath() : "";
#endif
    if (!library_.Open(ProgramDirectory() + "/" + recorder::kAspiLibraryName)) {
        ADD_FAILURE() << library_.Error();
        return;
    }
    const auto setRecorder = library_.Resolve<QuillstarASPISetImageRecorderFunction>("QuillstarASPISetImageRecorder");
    const auto skippedDevices =
        library_.Resolve<QuillstarASPIGetSkippedDevicesFunction>("QuillstarASPIGetSkippedDevices");
    if (setRecorder == nullptr || skippedDevices == nullptr) {
        ADD_FAILURE() << library_.Error();
        return;
    }
    // Refused only when a layer started earlier in this process is still loaded.
    EXPECT_EQ(setRecorder(recorderPath.c_str()), 1) << "libwnaspi32.so was not unloaded after the last test";
    QUILLSTAR_SKIPPED_DEVICE skipped[4] = {};
    const uint32_t count = skippedDevices(skipped, 4);
    for (uint32_t at = 0; at < std::min(count, 4u); ++at)
        ADD_FAILURE() << "left out: " << skipped[at].Device << ": " << skipped[at].Reason;
}

ImageRig::~ImageRig()
{
    library_.Close();
    unsetenv(aspi::kDrivesVariable);
    unsetenv(aspi::kImageRecorderOptionsVariable);
    unsetenv(kTestDriveImageVariable);
    unsetenv(kTestDriveOptionsVariable);
}

std::vector<std::string> ImageRig::Files() const
{
    // The test drive's lock file is the drive's, not the burn's.
    std::vector<std::string> names = folder_.Names();
    std::erase_if(names, [](const std::string& name) { return name.ends_with(".lock"); });
    return names;
}

BurnedDisc ImageRig::Disc() const
{
    // The last of disc.bin, disc-2.bin, ... that has its CUE sheet.
    std::string stem;
    for (int number = 1;; ++number) {
        const std::string next = number == 1 ? "disc" : "disc-" + std::to_string(number);
        if (!std::filesystem::exists(folder_.File(next + ".cue")))
            break;
        stem = next;
    }
    return stem.empty() ? BurnedDisc{} : ReadBurnedDisc(folder_.File(stem + ".bin"), folder_.File(stem + ".cue"));
}

}  // namespace quillstar::test
