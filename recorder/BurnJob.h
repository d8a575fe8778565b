#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recorder/SkippedTrack.h"

namespace quillstar {

class AudioTrackSource;
class CDiscWriter;
class TrackSourceFeed;

// A file of the burn with its seconds, as the track source's TrackSeconds
// gives them.
struct TimedFile {
    std::string path;
    double seconds = 0.0;
};

// How one burn ended, for the window and the command line alike.
struct BurnOutcome {
    // One of the writer's results (recorder::kResult...).
    int result = 0;
    bool stopped = false;
    // The writer's last text.
    std::string text;
    // Tracks of the list that are not on the disc, in the list's order.
    std::vector<SkippedTrack> skipped;
    // For a failed burn: the drive command that failed and its sense.
    std::string failure;
};

// One burn of a list of music files from start to end: fills the track
// source, starts the writer, stops the decoders at the plug-in's
// end-of-file notice, stops on request and ends with one outcome. The
// windowed program and the command-line program both drive it: each hands
// it every message its window or queue receives and shows what it reports.
class BurnJob {
public:
    enum class Event { None, Progress, Stopped, Finished };

    explicit BurnJob(CDiscWriter& writer);
    // The writer must be done with the source: destroy a job only once its
    // burn finished, or after the writer itself is gone.
    ~BurnJob();
    BurnJob(const BurnJob&) = delete;
    BurnJob& operator=(const BurnJob&) = delete;

    // Times every file and starts the burn; false when the writer cannot
    // start one.
    bool Start(const std::vector<std::string>& paths);
    // The same for files timed already (by a window, beside its thread).
    bool Start(const std::vector<TimedFile>& files);
    // Asks the burn to stop; a finished event still follows.
    void Stop();
    // A burn was started and its finished event has not come yet.
    bool IsRunning() const { return running_; }

    // Reacts to a message meant for the burn (1026, 1042 to 1044) and says
    // what the front end should show; Event::None for any other message.
    Event Handle(uint32_t message);
    void GetProgress(std::string& text, int& percent) const;
    // Complete once Handle reported Event::Finished.
    const BurnOutcome& Outcome() const { return outcome_; }

private:
    void Finish();

    CDiscWriter& writer_;
    std::unique_ptr<AudioTrackSource> source_;
    std::unique_ptr<TrackSourceFeed> feed_;
    BurnOutcome outcome_;
    bool running_ = false;
    bool stopRequested_ = false;
};

}  // namespace quillstar
