#pragma once

#include "recorder/DiscDataSource.h"

namespace quillstar {

class AudioTrackSource;

// Hands the decoded tracks of a track source to the disc writer through the
// writer's input interface; the source itself knows nothing of the writer.
class TrackSourceFeed : public DiscDataSource {
public:
    explicit TrackSourceFeed(AudioTrackSource& source) : source_(source) {}

    uint8_t GetDataBlockType() override;
    int IsAudioTrack(int track) override;
    bool ReadAudio(uint8_t* buffer, int& length) override;
    bool OpenTrack(int track) override;
    int GetTrackCount() override;
    int GetBlockSize() override;
    void FinishBurn() override;
    void RemoveAllTracks() override;
    void SetWriteMode(int mode) override;
    double GetBytesDone() override;
    double GetTotalBytes() override;
    double GetTotalSeconds() override;
    double GetSecondsDone() override;
    double GetTrackBytes(int track) override;
    bool GetTrackDamage(int track, double& secondsWhereAudioStopped) override;

private:
    AudioTrackSource& source_;
};

}  // namespace quillstar
