#include "recorder/BurnJob.h"

#include "decode/AudioTrackSource.h"
#include "decode/WavOutputEmulator.h"
#include "recorder/DiscWriter.h"
#include "recorder/TrackSourceFeed.h"
#include "resources/Messages.h"

namespace quillstar {

BurnJob::BurnJob(CDiscWriter& writer)
    : writer_(writer), source_(std::make_unique<AudioTrackSource>()), feed_(std::make_unique<TrackSourceFeed>(*source_))
{
}

BurnJob::~BurnJob() = default;

bool BurnJob::Start(const std::vector<std::string>& paths)
{
    std::vector<TimedFile> files;
    for (const std::string& path : paths)
        files.push_back({path, AudioTrackSource::TrackSeconds(path)});
    return Start(files);
}

bool BurnJob::Start(const std::vector<TimedFile>& files)
{
    outcome_ = BurnOutcome{};
    stopRequested_ = false;
    source_->RemoveAllTracks();
    for (const TimedFile& file : files)
        source_->AddTimedTrack(file.path, file.seconds);
    running_ = writer_.WriteDisc(feed_.get());
    return running_;
}

void BurnJob::Stop()
{
    if (!running_)
        return;
    stopRequested_ = true;
    writer_.AbortWrite();
}

BurnJob::Event BurnJob::Handle(uint32_t message)
{
    switch (message) {
    case msg::WM_PLUGIN_EOF:
        StopAllPlugins();
        return Event::None;
    case msg::WM_BURN_PROGRESS:
        return Event::Progress;
    case msg::WM_BURN_STOPPED:
        return Event::Stopped;
    case msg::WM_BURN_FINISHED:
        Finish();
        return Event::Finished;
    default:
        return Event::None;
    }
}

void BurnJob::GetProgress(std::string& text, int& percent) const
{
    writer_.GetProgress(text, percent);
}

void BurnJob::Finish()
{
    running_ = false;
    int percent = 0;
    outcome_.result = writer_.GetResult();
    outcome_.stopped = stopRequested_;
    writer_.GetProgress(outcome_.text, percent);
    outcome_.skipped = writer_.GetSkippedTracks();
    outcome_.failure = writer_.GetFailureText();
}

}  // namespace quillstar
