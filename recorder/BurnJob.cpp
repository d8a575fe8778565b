#include "recorder/BurnJob.h"

#include "decode/AudioTrackSource.h"
#include "recorder/DiscWriter.h"
#include "recorder/TrackSourceFeed.h"
#include "resources/Messages.h"

namespace quillstar {

BurnJob::BurnJob(CDiscWriter& writer)
    : writer_(writer), source_(std::make_unique<AudioTrackSource>()), feed_(std::make_unique<TrackSourceFeed>(*source_))
{
}

BurnJob::~BurnJob() = default;

bool BurnJob::Start(const std::vector<std::string>& paths, const BurnSettings& settings)
{
    outcome_ = BurnOutcome{};
    outcome_.copies = settings.copies;
    stopRequested_ = false;
    waitingForDisc_ = false;
    source_->RemoveAllTracks();
    for (const std::string& path : paths)
        source_->AddTrack(path);
    writer_.SetBurnSettings(settings);
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
    outcome_.failure = writer_.GetFailureText();
    outcome_.verification = writer_.GetVerification();
    outcome_.speed = writer_.GetSpeedText();
}

}  // namespace quillstar
