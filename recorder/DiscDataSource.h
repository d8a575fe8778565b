#pragma once

#include <cstdint>

namespace quillstar {

// What the disc writer reads a burn from. The defaults describe a data disc
// of 2048-byte blocks; the order of the virtual operations is part of the
// interface.
class DiscDataSource {
public:
    virtual int GetCueSheetLength();
    virtual ~DiscDataSource() = default;
    virtual uint8_t GetDataBlockType();
    virtual int IsAudioTrack(int track);
    // Fills the buffer with the open track's next data; length is the size
    // asked for on entry and the size delivered on return. False when the
    // track has no more data.
    virtual bool ReadAudio(uint8_t* buffer, int& length);
    virtual bool OpenSession(int session);
    virtual bool OpenTrack(int track);
    virtual int GetTrackCount();
    virtual int GetSessionCount();
    virtual int GetBlockSize();
    virtual void FinishBurn();
    virtual void RemoveAllTracks();
    virtual void SetWriteMode(int mode);
    virtual double GetBytesDone();
    virtual double GetTotalBytes();
    virtual void GetBufferStatus(int& used, int& size);
    virtual const uint8_t* BuildCueSheet(int pregap);
    virtual double GetTotalSeconds();
    virtual double GetSecondsDone();
    // Bytes of audio the track delivers, so the writer can count the sectors
    // a burn needs before it writes; 0.0 when not known.
    virtual double GetTrackBytes(int track);
    // True when the track's audio stopped short and silence finished it,
    // with the time into the track where it stopped; false for a track that
    // came out whole.
    virtual bool GetTrackDamage(int track, double& secondsWhereAudioStopped);
};

}  // namespace quillstar
