#include "cli/BurnCommand.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "cli/ProgressPrinter.h"
#include "decode/AudioTrackSource.h"
#include "decode/FileSeconds.h"
#include "decode/PluginRegistry.h"
#include "recorder/DiscWriter.h"
#include "resources/BurnExitCodes.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tracklist/BurnListModel.h"

namespace quillstar {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int)
{
    stopRequested = 1;
}

constexpr uint32_t kPollMilliseconds = 100;

}  // namespace

BurnCommand::BurnCommand(BurnOptions options) : options_(std::move(options)) {}

bool BurnCommand::Fail(const std::string& message) const
{
    std::fprintf(stderr, "quillstar-burn: %s\n", message.c_str());
    return false;
}

int BurnCommand::Run()
{
    if (options_.help) {
        std::fputs(BurnOptions::HelpText().c_str(), stdout);
        return cli::kExitBurned;
    }
    if (!options_.listDevices && !BuildTrackList())
        return cli::kExitUsage;
    if (options_.show)
        return ShowTrackList();
    if (!options_.listDevices && (!CheckFilesExist() || !CheckImageFolder()))
        return cli::kExitUsage;

    if (!options_.imageRecorder.empty())
        setenv("QUILLSTAR_IMAGE_RECORDER", options_.imageRecorder.c_str(), 1);
    ScanDecoderPlugins();
    CDiscWriter writer(messages_.Handle());
    if (!writer.Initialize() || writer.GetDeviceCount() == 0) {
        Fail("no CD recorder found (try --image-recorder PATH)");
        return cli::kExitNoRecorder;
    }
    if (options_.listDevices)
        return ListDevices(writer);
    if (options_.device >= writer.GetDeviceCount()) {
        Fail("there is no recorder " + std::to_string(options_.device) + "; --devices lists them");
        return cli::kExitUsage;
    }
    writer.SelectDevice(options_.device);
    return Burn(writer);
}

bool BurnCommand::BuildTrackList()
{
    if (!options_.listFile.empty()) {
        const std::string error = trackList_.LoadFile(options_.listFile);
        if (!error.empty())
            return Fail(error);
    }
    for (const std::string& file : options_.files) {
        const std::string name = std::filesystem::path(file).filename().string();
        // Only --show prints the times; a burn times every file again as it
        // fills the track source, so it is not timed twice.
        const int seconds = options_.show ? FileSeconds(file) : 0;
        trackList_.AddTrackInfo(BurnListModel::TitleFromName(name), seconds, file);
    }
    if (trackList_.GetCount() == 0)
        return Fail("the list \"" + options_.listFile + "\" holds no tracks");
    return true;
}

bool BurnCommand::CheckFilesExist() const
{
    for (const TrackInfo& track : trackList_.Tracks()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(track.path, error))
            return Fail("cannot read \"" + track.path +
                        "\": " + (error ? error.message() : std::string("no such file")));
    }
    return true;
}

bool BurnCommand::CheckImageFolder() const
{
    if (options_.imageRecorder.empty())
        return true;
    const std::filesystem::path image = std::filesystem::absolute(options_.imageRecorder);
    const std::string folder = image.parent_path().string();
    if (!std::filesystem::is_directory(folder))
        return Fail("cannot write the image \"" + options_.imageRecorder + "\": the folder " + folder +
                    " does not exist");
    if (access(folder.c_str(), W_OK) != 0)
        return Fail("cannot write the image \"" + options_.imageRecorder + "\": the folder " + folder +
                    " is not writable");
    return true;
}

int BurnCommand::ShowTrackList() const
{
    const std::vector<TrackInfo>& tracks = trackList_.Tracks();
    for (size_t i = 0; i < tracks.size(); ++i) {
        std::printf("%s  %-32s  %7s  %s\n", BurnListModel::TrackText(static_cast<int>(i)).c_str(),
                    tracks[i].title.c_str(), BurnListModel::TimeText(tracks[i].seconds).c_str(),
                    tracks[i].path.c_str());
    }
    std::printf("%s\n", BurnListModel::Totals(trackList_).text.c_str());
    return cli::kExitBurned;
}

int BurnCommand::ListDevices(const CDiscWriter& writer) const
{
    for (int i = 0; i < writer.GetDeviceCount(); ++i) {
        const DeviceInfo& device = writer.GetDeviceAt(i);
        std::string speeds;
        for (int speed : device.writeSpeeds)
            speeds += (speeds.empty() ? "" : ", ") + std::to_string(speed) + "x";
        std::printf("%d  %s  (write speeds: %s)\n", i, writer.GetDeviceName(i).c_str(),
                    speeds.empty() ? "none reported" : speeds.c_str());
    }
    return cli::kExitBurned;
}

int BurnCommand::Burn(CDiscWriter& writer)
{
    AudioTrackSource source;
    source.RemoveAllTracks();
    for (const TrackInfo& track : trackList_.Tracks())
        source.AddTrack(track.path);

    ProgressPrinter progress(stdout, isatty(fileno(stdout)) == 1);
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);
    const bool started = writer.WriteDisc(&source);
    const int exitCode = started ? WaitForBurn(writer, progress) : cli::kExitNoRecorder;
    sigaction(SIGINT, &previous, nullptr);
    return exitCode;
}

int BurnCommand::WaitForBurn(CDiscWriter& writer, ProgressPrinter& progress)
{
    bool stopping = false;
    for (;;) {
        if (stopRequested && !stopping) {
            stopping = true;
            writer.AbortWrite();
        }
        const auto message = messages_.Take(kPollMilliseconds);
        if (!message)
            continue;
        std::string text;
        int percent = 0;
        switch (message->message) {
        case msg::WM_BURN_PROGRESS:
            writer.GetProgress(text, percent);
            progress.Show(text, percent);
            break;
        case msg::WM_BURN_STOPPED:
            writer.GetProgress(text, percent);
            progress.Show("The burning process is stopped, the audio CD is not completed.", percent);
            break;
        case msg::WM_BURN_FINISHED:
            progress.Finish();
            if (stopping)
                return cli::kExitStopped;
            ReportSkippedTracks(writer);
            return ExitCodeFor(writer.GetResult());
        default:
            break;
        }
    }
}

void BurnCommand::ReportSkippedTracks(const CDiscWriter& writer) const
{
    for (const SkippedTrack& skipped : writer.GetSkippedTracks()) {
        std::string title, path;
        int seconds = 0;
        trackList_.GetTrackInfo(skipped.trackIndex, title, seconds, path);
        std::fprintf(stderr, "quillstar-burn: skipped track %02d \"%s\": %s\n", skipped.trackIndex + 1, path.c_str(),
                     recorder::SkipReasonText(skipped.reason));
    }
}

int BurnCommand::ExitCodeFor(int result) const
{
    if (result == recorder::kResultSuccess)
        return cli::kExitBurned;
    return cli::kExitResultBase + result;
}

}  // namespace quillstar
