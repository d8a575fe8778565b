#include "cli/BurnCommand.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "cli/ProgressPrinter.h"
#include "decode/FileSeconds.h"
#include "decode/PluginRegistry.h"
#include "recorder/BurnJob.h"
#include "recorder/DiscWriter.h"
#include "resources/BurnExitCodes.h"
#include "resources/BurnSessionTexts.h"
#include "resources/RecorderTexts.h"
#include "resources/VerificationTexts.h"
#include "tracklist/BurnListModel.h"

namespace quillstar {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int)
{
    stopRequested = 1;
}

constexpr uint32_t kPollMilliseconds = 100;
constexpr uint32_t kDiscPollMilliseconds = 1000;

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
    if (!options_.listDevices && trackList_.GetCount() == 0) {
        Fail("the list \"" + options_.listFile + "\" holds no tracks");
        return cli::kExitUsage;
    }
    if (!options_.listDevices && (!CheckFilesExist() || !CheckImageFolder()))
        return cli::kExitUsage;

    if (!options_.imageRecorder.empty())
        setenv("QUILLSTAR_IMAGE_RECORDER", options_.imageRecorder.c_str(), 1);
    ScanDecoderPlugins();
    CDiscWriter writer(messages_.Handle());
    if (!writer.Initialize() || writer.GetDeviceCount() == 0) {
        Fail("no CD recorder found (try --image-recorder PATH)");
        ReportSkippedDrives(writer, stderr);
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
    ReportSkippedDrives(writer, stdout);
    return cli::kExitBurned;
}

// A drive the user may not open is the usual reason for an empty list; the
// user learns which drives were left out and what to do about them.
void BurnCommand::ReportSkippedDrives(const CDiscWriter& writer, FILE* out)
{
    for (const SkippedDrive& drive : writer.GetSkippedDrives()) {
        const bool notAllowed = drive.error == EACCES || drive.error == EPERM;
        std::fprintf(out, "%s %s: %s%s\n", recorder::kTextDriveLeftOut, drive.device.c_str(), drive.reason.c_str(),
                     notAllowed ? recorder::kTextNoPermissionAdvice : "");
    }
}

// The nearest speed the recorder accepted that is not above the one asked
// for, or its slowest; a test write only where the recorder offers it.
bool BurnCommand::ChooseSettings(const CDiscWriter& writer, BurnSettings& settings) const
{
    const DeviceInfo& device = writer.GetDevice();
    if (options_.simulate && !device.canTestWrite)
        return Fail("recorder " + std::to_string(options_.device) + " (" + device.name +
                    ") cannot do a test write; burn without --simulate");
    settings.testWrite = options_.simulate;
    settings.copies = options_.copies;
    settings.verify = options_.verify;
    settings.discAtOnce = options_.discAtOnce;
    settings.pauseFrames = options_.pauseFrames;
    settings.albumTitle = options_.albumTitle;
    settings.albumPerformer = options_.albumPerformer;
    settings.writeSpeed = options_.speed;
    const std::vector<int>& speeds = device.writeSpeeds;
    if (options_.speed > 0 && !speeds.empty()) {
        settings.writeSpeed = speeds.front();
        for (int speed : speeds) {
            if (speed <= options_.speed)
                settings.writeSpeed = speed;
        }
    }
    return true;
}

int BurnCommand::Burn(CDiscWriter& writer)
{
    BurnSettings settings;
    if (!ChooseSettings(writer, settings))
        return cli::kExitUsage;
    std::vector<std::string> paths;
    std::vector<std::string> titles;
    for (const TrackInfo& track : trackList_.Tracks()) {
        paths.push_back(track.path);
        titles.push_back(track.title);
    }

    ProgressPrinter progress(stdout, isatty(fileno(stdout)) == 1);
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);
    BurnJob job(writer);
    const int exitCode = job.Start(paths, settings, titles) ? WaitForBurn(job, progress) : cli::kExitNoRecorder;
    sigaction(SIGINT, &previous, nullptr);
    return exitCode;
}

int BurnCommand::WaitForBurn(BurnJob& job, ProgressPrinter& progress)
{
    bool speedShown = false;
    for (;;) {
        if (stopRequested && !job.Outcome().stopped)
            job.Stop();
        if (!job.IsRunning())
            break;
        const auto message = messages_.Take(kPollMilliseconds);
        if (!message)
            continue;
        std::string text;
        int percent = 0;
        switch (job.Handle(message->message)) {
        case BurnJob::Event::Progress:
            if (!speedShown && !job.SpeedText().empty()) {
                speedShown = true;
                progress.Finish();
                std::fprintf(stderr, "quillstar-burn: %s\n", job.SpeedText().c_str());
            }
            job.GetProgress(text, percent);
            progress.Show(text, percent);
            break;
        case BurnJob::Event::NeedDisc:
            progress.Finish();
            WaitForNextDisc(job);
            speedShown = false;
            break;
        case BurnJob::Event::Stopped:
            job.GetProgress(text, percent);
            progress.Show(burnsession::kStoppedText, percent);
            break;
        case BurnJob::Event::Finished:
        case BurnJob::Event::None:
            break;
        }
    }
    progress.Finish();
    ReportOutcome(job.Outcome());
    return ExitCodeFor(job.Outcome());
}

// The drive is asked for a blank disc until it holds one or the user stops.
void BurnCommand::WaitForNextDisc(BurnJob& job)
{
    std::fprintf(stderr, burnsession::kCliInsertNextDisc, job.Copy(), job.Copies());
    while (!stopRequested && !job.ContinueWithNextDisc() && job.IsWaitingForDisc())
        messages_.Take(kDiscPollMilliseconds);
}

void BurnCommand::ReportOutcome(const BurnOutcome& outcome) const
{
    if (outcome.stopped)
        return;
    for (const SkippedTrack& skipped : outcome.skipped) {
        std::string title, path;
        int seconds = 0;
        trackList_.GetTrackInfo(skipped.trackIndex, title, seconds, path);
        std::fprintf(stderr, "quillstar-burn: skipped track %02d \"%s\": %s\n", skipped.trackIndex + 1, path.c_str(),
                     recorder::SkipReasonText(skipped.reason));
    }
    for (const DamagedTrack& damaged : outcome.damaged) {
        std::string title, path;
        int seconds = 0;
        trackList_.GetTrackInfo(damaged.trackIndex, title, seconds, path);
        const int stoppedAt = static_cast<int>(damaged.seconds);
        std::fprintf(stderr, "quillstar-burn: track %02d \"%s\": ", damaged.trackIndex + 1, path.c_str());
        std::fprintf(stderr, recorder::kTextDamagedTrack, stoppedAt / 60, stoppedAt % 60);
        std::fprintf(stderr, "\n");
    }
    if (!outcome.failure.empty())
        std::fprintf(stderr, "quillstar-burn: %s\n", outcome.failure.c_str());
    for (const std::string& warning : outcome.warnings)
        std::fprintf(stderr, "quillstar-burn: %s\n", warning.c_str());
    if (outcome.copies > 1)
        std::fprintf(stderr, burnsession::kCliCopiesBurned, outcome.copiesBurned, outcome.copies);
    if (outcome.verification)
        ReportVerification(*outcome.verification);
}

void BurnCommand::ReportVerification(const DiscVerification& verification)
{
    if (verification.readOffset) {
        std::printf(verification::kTextReadOffset, *verification.readOffset);
        std::printf("\n");
    }
    for (const std::string& line : verification.TrackLines())
        std::printf("%s\n", line.c_str());
}

int BurnCommand::ExitCodeFor(const BurnOutcome& outcome)
{
    if (outcome.stopped)
        return cli::kExitStopped;
    if (outcome.result == recorder::kResultDriveInUse)
        return cli::kExitNotCompleted;
    if (outcome.result != recorder::kResultSuccess)
        return cli::kExitResultBase + outcome.result;
    return outcome.skipped.empty() && outcome.damaged.empty() ? cli::kExitBurned : cli::kExitIncomplete;
}

}  // namespace quillstar
