#include "recorder/BurnJob.h"

#include "decode/AudioTrackSource.h"
#include "recorder/DiscWriter.h"
#include "recorder/TrackSourceFeed.h"
#include "resources/Messages.h"
#include "tracklist/TrackTags.h"

namespace quillstar {

BurnJob::BurnJob(CDiscWriter& writer)
    : writer_(writer), source_(std::make_unique<AudioTrackSource>()), feed_(std::make_unique<TrackSourceFeed>(*source_))
{
}

BurnJob::~BurnJob() = default;

namespace {

DiscText DiscTextOf(const std::vector<std::string>& paths, const std::vector<std::string>& titles,
                    const BurnSettings& settings)
{
    std::vector<TrackTags> tags;
    for (const std::string& path : paths)
        tags.push_back(TrackTags::Read(path));
    const TrackTags shared = TrackTags::Shared(tags);
    DiscText text;
    text.album.title = settings.albumTitle.empty() ? shared.album : settings.albumTitle;
    text.album.performer = settings.albumPerformer.empty() ? shared.artist : settings.albumPerformer;
    for (size_t at = 0; at < tags.size(); ++at) {
        const bool listed = at < titles.size() && !titles[at].empty();
        text.tracks.push_back({listed ? titles[at] : tags[at].title, tags[at].artist});
    }
    return text;
}

}  // namespace

bool BurnJob::Start(const std::vector<std::string>& paths, const BurnSettings& settings,
                    const std::vector<std::string>& titles)
{
    std::vector<TimedFile> files;
    for (const std::string& path : paths)
        files.push_back({path, AudioTrackSource::TrackSeconds(path)});
    return Start(files, settings, titles);
}

bool BurnJob::Start(const std::vector<TimedFile>& files, const BurnSettings& settings,
                    const std::vector<std::string>& titles)
{
    outcome_ = BurnOutcome{};
    outcome_.copies = settings.copies;
    stopRequested_ = false;
    waitingForDisc_ = false;
    source_->RemoveAllTracks();
    std::vector<std::string> paths;
    for (const TimedFile& file : files) {
        source_->AddTimedTrack(file.path, file.seconds);
        paths.push_back(file.path);
    }
    writer_.SetBurnSettings(settings);
    writer_.SetDiscText(settings.discAtOnce ? DiscTextOf(paths, titles, settings) : DiscText{});
    running_ = writer_.WriteDisc(feed_.get());
    return running_;
}

void BurnJob::Stop()
{
    if (!running_)
        return;
    stopRequested_ = true;
    if (waitingForDisc_) {
        Finish();
        return;
    }
    writer_.AbortWrite();
}

bool BurnJob::ContinueWithNextDisc()
{
    if (!waitingForDisc_ || !writer_.HasBlankDisc())
        return false;
    waitingForDisc_ = false;
    running_ = writer_.WriteDisc(feed_.get());
    if (!running_)
        Finish();
    return running_;
}

BurnJob::Event BurnJob::Handle(uint32_t message)
{
    switch (message) {
    case msg::WM_BURN_PROGRESS:
        return Event::Progress;
    case msg::WM_BURN_STOPPED:
        return Event::Stopped;
    case msg::WM_BURN_FINISHED:
        return CopyFinished();
    default:
        return Event::None;
    }
}

std::string BurnJob::SpeedText() const
{
    return writer_.GetSpeedText();
}

void BurnJob::GetProgress(std::string& text, int& percent) const
{
    writer_.GetProgress(text, percent);
}

// Every copy is a whole burn: the files are decoded again for each disc.
BurnJob::Event BurnJob::CopyFinished()
{
    const bool whole = !stopRequested_ && writer_.GetResult() == recorder::kResultSuccess;
    if (whole)
        ++outcome_.copiesBurned;
    if (whole && outcome_.copiesBurned < outcome_.copies) {
        waitingForDisc_ = true;
        return Event::NeedDisc;
    }
    Finish();
    return Event::Finished;
}

void BurnJob::Finish()
{
    running_ = false;
    waitingForDisc_ = false;
    int percent = 0;
    outcome_.result = writer_.GetResult();
    outcome_.stopped = stopRequested_;
    writer_.GetProgress(outcome_.text, percent);
    outcome_.skipped = writer_.GetSkippedTracks();
    outcome_.damaged = writer_.GetDamagedTracks();
    outcome_.failure = writer_.GetFailureText();
    outcome_.verification = writer_.GetVerification();
    outcome_.speed = writer_.GetSpeedText();
    outcome_.warnings = writer_.GetWarnings();
}

}  // namespace quillstar
