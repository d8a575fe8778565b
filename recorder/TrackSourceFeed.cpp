#include "recorder/TrackSourceFeed.h"

#include "decode/AudioTrackSource.h"

namespace quillstar {

uint8_t TrackSourceFeed::GetDataBlockType()
{
    return source_.GetDataBlockType();
}

int TrackSourceFeed::IsAudioTrack(int track)
{
    return source_.IsAudioTrack(track);
}

bool TrackSourceFeed::ReadAudio(uint8_t* buffer, int& length)
{
    return source_.ReadAudio(buffer, length);
}

bool TrackSourceFeed::OpenTrack(int track)
{
    return source_.OpenTrack(track);
}

int TrackSourceFeed::GetTrackCount()
{
    return source_.GetTrackCount();
}

int TrackSourceFeed::GetBlockSize()
{
    return source_.GetBlockSize();
}

void TrackSourceFeed::FinishBurn()
{
    source_.FinishBurn();
}

void TrackSourceFeed::RemoveAllTracks()
{
    source_.RemoveAllTracks();
}

void TrackSourceFeed::SetWriteMode(int mode)
{
    source_.SetWriteMode(mode);
}

double TrackSourceFeed::GetBytesDone()
{
    return source_.GetBytesDone();
}

double TrackSourceFeed::GetTotalBytes()
{
    return source_.GetTotalBytes();
}

double TrackSourceFeed::GetTotalSeconds()
{
    return source_.GetTotalSeconds();
}

double TrackSourceFeed::GetSecondsDone()
{
    return source_.GetSecondsDone();
}

double TrackSourceFeed::GetTrackBytes(int track)
{
    return source_.GetTrackBytes(track);
}

bool TrackSourceFeed::GetTrackDamage(int track, double& secondsWhereAudioStopped)
{
    return source_.GetTrackDamage(track, secondsWhereAudioStopped);
}

}  // namespace quillstar
