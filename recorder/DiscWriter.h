#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Event.h"
#include "platform/PostMessage.h"
#include "platform/aspi/CdTextPack.h"
#include "recorder/BurnSettings.h"
#include "recorder/CommandFailure.h"
#include "recorder/CueSheet.h"
#include "recorder/DamagedTrack.h"
#include "recorder/DeviceInfo.h"
#include "recorder/DiscDataSource.h"
#include "recorder/DiscText.h"
#include "recorder/DiscVerification.h"
#include "recorder/MmcCommands.h"
#include "recorder/RecorderTimings.h"
#include "recorder/SCSI.h"
#include "recorder/ScsiTransport.h"
#include "recorder/SkippedDrive.h"
#include "recorder/SkippedTrack.h"
#include "recorder/WrittenAudio.h"

namespace quillstar {

// Burns an audio CD from a track source on a thread of its own: track-at-once,
// or the whole disc at once with chosen pauses (none for a gapless album)
// and CD-TEXT.
// It owns the drive list and reports to the main window by posting
// WM_BURN_PROGRESS, WM_BURN_STOPPED and WM_BURN_FINISHED, after which the
// window reads GetProgress and GetResult.
class CDiscWriter {
public:
    explicit CDiscWriter(WindowHandle mainWindow, AspiLibrary library = AspiLibrary::BesideProgram());
    // Stops a running burn (as AbortWrite does, releasing the source) and
    // waits for its thread.
    virtual ~CDiscWriter();
    CDiscWriter(const CDiscWriter&) = delete;
    CDiscWriter& operator=(const CDiscWriter&) = delete;

    // Call before Initialize and between burns only.
    void SetTimings(const RecorderTimings& timings);
    // The speed, test-write choice, write mode and pause of the next burns;
    // between burns only.
    void SetBurnSettings(const BurnSettings& settings) { settings_ = settings; }
    // The titles and performers of the next burn written at once: the
    // album's, and one entry per track of the source; between burns only.
    void SetDiscText(DiscText text) { discText_ = std::move(text); }

    // Loads the ASPI layer and finds the drives; false when the layer is missing.
    bool Initialize();
    bool IsInitialized() const { return initialized_; }
    int GetDeviceCount() const { return static_cast<int>(devices_.size()); }
    // The empty name of the null device for an index out of range.
    std::string GetDeviceName(int index) const;
    // The drive's whole record (speeds, capabilities); the null device for
    // an index out of range.
    const DeviceInfo& GetDeviceAt(int index) const;
    bool SelectDevice(int index);
    int GetSelectedDeviceIndex() const { return selectedDevice_; }
    // The selected drive, or the null device (whose every command fails with
    // -7) when the writer is not initialised or the selection is out of range.
    const DeviceInfo& GetDevice() const;
    // The drives the ASPI layer found but had to leave out, and why.
    std::vector<SkippedDrive> GetSkippedDrives() const;

    // Starts a burn of the source, which must outlive it (until the finished
    // message, or the writer's destruction). A burn still finishing after a
    // stop is waited for first. False when not initialised.
    bool WriteDisc(DiscDataSource* source);
    // Asks the burn to stop and releases the source. False when not initialised.
    bool AbortWrite();
    void GetProgress(std::string& text, int& percent) const;
    int GetResult() const { return result_; }
    // The tracks of the last burn that did not reach the disc, in order.
    std::vector<SkippedTrack> GetSkippedTracks() const;
    // The tracks of the last burn whose audio stopped short, in order.
    std::vector<DamagedTrack> GetDamagedTracks() const;
    // The drive command that ended the last burn with kResultBurnFailed.
    std::string GetFailureText() const;
    // The speed the drive writes the burn at ("Writing at 24x"), once set.
    std::string GetSpeedText() const;
    // Whether the selected drive holds a blank disc the writer can burn.
    bool HasBlankDisc();
    // The last burn's verification; nothing when it did not verify.
    std::optional<DiscVerification> GetVerification() const;
    // What the last burn had to change in its CD-TEXT (texts left out or cut).
    std::vector<std::string> GetWarnings() const;

private:
    enum class Outcome { Done, Stopped, Failed };
    struct TrackWritten {
        int sectors = 0;
        Outcome outcome = Outcome::Done;
    };

    void Burn();
    bool CheckDisc();
    bool CheckCapacity();
    void SetWriteSpeed();
    int64_t SectorsNeeded();
    void EndWith(int result, const char* text);
    void EndBurn(Outcome outcome);
    void CollectDamagedTracks();
    Outcome WriteTracks(std::vector<uint8_t>& buffer);
    Outcome WriteSessionTracks(std::vector<uint8_t>& buffer);
    Outcome WriteOneTrack(std::vector<uint8_t>& buffer);
    TrackWritten WriteTrack(std::vector<uint8_t>& buffer);
    bool WriteChunk(const std::vector<uint8_t>& buffer, int blocks, int length, TrackWritten& written);
    int WriteWithRetries(const std::vector<uint8_t>& buffer, int blocks, int length);
    bool WaitWhileDriveBusy(bool& waiting, std::chrono::steady_clock::time_point& since);
    void PadToMinimumLength(std::vector<uint8_t>& buffer, TrackWritten& written);
    void PadChunk(std::vector<uint8_t>& buffer, int& blocks, int& length);
    bool CloseTrack();
    bool CloseSession();
    bool WaitForSessionClose();
    bool StartsVerification(Outcome outcome);
    void VerifyDisc();
    bool SetWriteParameters(uint8_t writeType);
    int32_t GetWriteAddress();
    // command: a name for steps that share an operation code (CLOSE TRACK
    // and CLOSE SESSION); others are named by the command that failed.
    Outcome Failed(const char* command = nullptr);
    std::vector<int> TracksWithAudio();
    CueSheet AtOnceLayout(const std::vector<int>& tracks, bool cdText);
    Outcome WriteDiscAtOnce(std::vector<uint8_t>& buffer);
    std::vector<CdTextPack> BuildCdText(const std::vector<int>& tracks);
    void SkipTrackWithoutAudio();
    Outcome StreamSession(const CueSheet& sheet, const std::vector<int>& tracks, std::vector<uint8_t>& buffer);
    Outcome WriteLeadIn(const std::vector<CdTextPack>& packs);
    Outcome StreamTrack(const CueSheet::Track& track, std::vector<uint8_t>& buffer);
    bool Stream(const uint8_t* data, int64_t bytes, std::vector<uint8_t>& buffer);
    bool StreamSilenceUpTo(int64_t end, std::vector<uint8_t>& buffer);
    void RecordAtOnce(const uint8_t* data, int blocks);
    Outcome FinishDiscAtOnce(std::vector<uint8_t>& buffer);
    int CurrentPercent() const;
    void SkipTrack(recorder::SkipReason reason);
    void RecordSkip(int trackIndex, recorder::SkipReason reason);
    void Report(const std::string& text, int percent);
    void ReportStep(const std::string& text, int percent);
    void FinishSource();
    void ReleaseSource(bool finish);
    void Post(uint32_t message) const;

    // Read by the user-interface thread while the burn thread replaces them.
    mutable std::mutex progressMutex_;
    int percent_ = 0;
    std::string displayText_;
    std::vector<SkippedTrack> skipped_;
    std::vector<DamagedTrack> damaged_;
    std::string failureText_;
    std::string speedText_;
    std::vector<std::string> warnings_;
    std::optional<DiscVerification> verification_;
    // From the start of the read-back to the next burn: a stop no longer
    // means an unfinished disc.
    bool verifying_ = false;
    std::atomic<int> result_{0};
    // Guards the source against the stop releasing it while the burn ends.
    std::mutex sourceMutex_;
    DiscDataSource* source_ = nullptr;
    ScsiTransport transport_;
    MmcCommands commands_;
    CSCSI discovery_;
    DeviceInfo nullDevice_;
    std::vector<std::unique_ptr<DeviceInfo>> devices_;
    int writeMode_ = 0;
    int trackIndex_ = 0;
    int32_t nextAddress_ = 0;
    BurnSettings settings_;
    DiscText discText_;
    // Written at once, the tracks run on as one stream of bytes: where it
    // has got to, from sector 0, and how much of it waits in the buffer.
    int64_t streamEnd_ = 0;
    int pending_ = 0;
    TrackWritten streamed_;
    // Each track's sectors on a disc written at once, from its INDEX 01, and
    // the one the stream has reached.
    std::vector<std::pair<int64_t, int64_t>> trackSpans_;
    size_t recordedTrack_ = 0;
    std::atomic<int> selectedDevice_{0};
    std::atomic<bool> initialized_{false};
    double totalBytes_ = 0.0;
    double bytesDone_ = 0.0;
    std::atomic<bool> abortRequested_{false};
    bool ejectAtEnd_ = true;
    bool underrunProtection_ = true;

    WindowHandle mainWindow_;
    RecorderTimings timings_;
    // Set with abortRequested_, so that no wait of the burn outlasts a stop.
    Event abortEvent_;
    // Tracks on the disc in the current session: the drive numbers the next
    // one after them, whatever the source skipped.
    int tracksWritten_ = 0;
    bool anyTrackWritten_ = false;
    // What the drive accepted, to verify the disc against.
    WrittenAudio written_;
    int lastPercent_ = 0;
    std::thread burnThread_;
};

}  // namespace quillstar
