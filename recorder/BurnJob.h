#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "recorder/BurnSettings.h"
#include "recorder/DamagedTrack.h"
#include "recorder/DiscVerification.h"
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
    // Tracks on the disc whose audio stopped short, silence after it.
    std::vector<DamagedTrack> damaged;
    // For a failed burn: the drive command that failed and its sense.
    std::string failure;
    // The disc read back and compared, when the burn asked for it and
    // completed the disc.
    std::optional<DiscVerification> verification;
    // The speed the drive was set to ("Writing at 24x").
    std::string speed;
    // Discs burned whole, of the copies asked for.
    int copiesBurned = 0;
    int copies = 1;
    // Written at once: what the CD-TEXT had to leave out or cut.
    std::vector<std::string> warnings;
};

// One burn of a list of music files from start to end: fills the track
// source, starts the writer, stops on request and ends with one outcome. The
// windowed program and the command-line program both drive it: each hands
// it every message its window or queue receives and shows what it reports.
class BurnJob {
public:
    // NeedDisc: a copy is done and the next one waits for a blank disc.
    enum class Event { None, Progress, Stopped, NeedDisc, Finished };

    explicit BurnJob(CDiscWriter& writer);
    // The writer must be done with the source: destroy a job only once its
    // burn finished, or after the writer itself is gone.
    ~BurnJob();
    BurnJob(const BurnJob&) = delete;
    BurnJob& operator=(const BurnJob&) = delete;

    // Times every file and starts the burn of the first copy; false when
    // the writer cannot start one. Written at once, the disc's CD-TEXT gives
    // each track its title from the list (from its tags where the list has
    // none) and its performer from its tags, and the album the settings'
    // title and performer or, where they are empty, those all tags agree on.
    bool Start(const std::vector<std::string>& paths, const BurnSettings& settings = {},
               const std::vector<std::string>& titles = {});
    // The same for files timed already (by a window, beside its thread).
    bool Start(const std::vector<TimedFile>& files, const BurnSettings& settings = {},
               const std::vector<std::string>& titles = {});
    // Asks the burn to stop; a finished event still follows, except while
    // the next copy waits for its disc, where the job ends at once.
    void Stop();
    // A burn was started and it has not finished yet.
    bool IsRunning() const { return running_; }
    bool IsWaitingForDisc() const { return waitingForDisc_; }
    // Burns the next copy once the drive holds a blank disc; false while it
    // does not.
    bool ContinueWithNextDisc();
    // The copy being burned, from 1.
    int Copy() const { return outcome_.copiesBurned + 1; }
    int Copies() const { return outcome_.copies; }
    // The speed the drive was set to for the current copy, once set.
    std::string SpeedText() const;

    // Reacts to a message meant for the burn (1042 to 1044) and says
    // what the front end should show; Event::None for any other message.
    Event Handle(uint32_t message);
    void GetProgress(std::string& text, int& percent) const;
    // Complete once Handle reported Event::Finished.
    const BurnOutcome& Outcome() const { return outcome_; }

private:
    Event CopyFinished();
    void Finish();

    CDiscWriter& writer_;
    std::unique_ptr<AudioTrackSource> source_;
    std::unique_ptr<TrackSourceFeed> feed_;
    BurnOutcome outcome_;
    bool running_ = false;
    bool waitingForDisc_ = false;
    bool stopRequested_ = false;
};

}  // namespace quillstar
