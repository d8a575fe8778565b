#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "decode/DecodeEngine.h"
#include "decode/TrackEntry.h"
#include "resources/DecodeConstants.h"

namespace quillstar {

// The tracks of an audio CD for the disc writer: one decoded file per track,
// each delivering exactly its byte count of CD audio (44100 Hz, 16-bit,
// stereo) in blocks from ReadAudio, cut where a decoder gives more and filled
// with silence where it gives less. A track whose decoder cannot open is not
// opened; one whose audio stops short of its length (the decoder ends early,
// or delivers nothing for the stall limit) is finished with silence and
// reported damaged.
//
// The list is filled and emptied on the user-interface thread between burns;
// during a burn the burn thread opens and reads the tracks, and FinishBurn
// may also come from the user-interface thread to stop it, even while the
// burn thread waits in ReadAudio, which then returns at once.
class AudioTrackSource {
public:
    // Plug-in formats decode through the given plug-ins.
    explicit AudioTrackSource(const PluginRegistry& plugins = PluginRegistry::Process());
    ~AudioTrackSource();
    AudioTrackSource(const AudioTrackSource&) = delete;
    AudioTrackSource& operator=(const AudioTrackSource&) = delete;

    // Raw 2352-byte audio sectors.
    uint8_t GetDataBlockType();
    int IsAudioTrack(int track);
    // On entry length is the number of bytes wanted (the buffer holds at
    // least one hand-off block), on return the number delivered. False with
    // length 0 once the track is complete, or when no track is open.
    bool ReadAudio(uint8_t* buffer, int& length);
    // Starts the track's decoder, as DecoderChoice picks it: a decode thread
    // for the plug-in, libsndfile and FFmpeg, the media graph for other
    // audio. False for a file its decoder cannot open.
    bool OpenTrack(int track);
    int GetTrackCount();
    int GetBlockSize();
    // Stops the decoder and clears the progress; the list stays.
    void FinishBurn();
    void RemoveAllTracks();
    void SetWriteMode(int mode);
    // Bytes the decoders produced in this burn, before tracks were cut or
    // filled.
    double GetBytesDone();
    double GetTotalBytes();
    double GetTotalSeconds();
    double GetSecondsDone();
    double GetTrackBytes(int track);
    // True when the track's audio stopped short and silence finished it,
    // with the time into the track where it stopped; false for a track that
    // came out whole. As of the track's last opening: read it once its
    // reading is over.
    bool GetTrackDamage(int track, double& secondsWhereAudioStopped) const;

    // Appends a track and returns its seconds, as TrackSeconds gives them.
    double AddTrack(const std::string& path);
    // Appends a track whose seconds TrackSeconds gave earlier.
    void AddTimedTrack(const std::string& path, double seconds);
    // The file's exact decoded length, 0.0 when it cannot be read or holds
    // no audio.
    static double TrackSeconds(const std::string& path);
    // How long a read waits for a decoder that delivers nothing.
    void SetStallLimit(uint32_t milliseconds) { stallLimitMs_ = milliseconds; }

private:
    const TrackEntry* EntryAt(int track) const;
    void ReadDecoded(uint8_t* buffer, int& length);
    void AudioStopped(int64_t atByte);
    bool FinishTrack(int& length);

    int32_t currentTrack_ = 0;
    int32_t bytesInTrack_ = 0;
    int32_t writeMode_ = 0;
    std::vector<std::unique_ptr<TrackEntry>> tracks_;
    // Set at the open track's first shortfall, which decides its damage.
    bool audioStopped_ = false;
    uint32_t stallLimitMs_ = decode::kStallLimitMs;
    std::atomic<int64_t> bytesDone_{0};
    // Cleared by FinishBurn, possibly from another thread than the reader's.
    std::atomic<bool> trackOpen_{false};
    DecodeEngine engine_;
};

}  // namespace quillstar
