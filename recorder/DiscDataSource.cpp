#include "recorder/DiscDataSource.h"

namespace quillstar {

int DiscDataSource::GetCueSheetLength()
{
    return 0;
}
uint8_t DiscDataSource::GetDataBlockType()
{
    return 8;
}
int DiscDataSource::IsAudioTrack(int)
{
    return 0;
}
bool DiscDataSource::ReadAudio(uint8_t*, int&)
{
    return false;
}
bool DiscDataSource::OpenSession(int)
{
    return true;
}
bool DiscDataSource::OpenTrack(int)
{
    return false;
}
int DiscDataSource::GetTrackCount()
{
    return 1;
}
int DiscDataSource::GetSessionCount()
{
    return 1;
}
int DiscDataSource::GetBlockSize()
{
    return 2048;
}
void DiscDataSource::FinishBurn() {}
void DiscDataSource::RemoveAllTracks() {}
void DiscDataSource::SetWriteMode(int) {}
double DiscDataSource::GetBytesDone()
{
    return 0.0;
}
double DiscDataSource::GetTotalBytes()
{
    return 0.0;
}
void DiscDataSource::GetBufferStatus(int&, int&) {}
const uint8_t* DiscDataSource::BuildCueSheet(int)
{
    return nullptr;
}
double DiscDataSource::GetTotalSeconds()
{
    return 0.0;
}
double DiscDataSource::GetSecondsDone()
{
    return 0.0;
}
double DiscDataSource::GetTrackBytes(int)
{
    return 0.0;
}
bool DiscDataSource::GetTrackDamage(int, double&)
{
    return false;
}

}  // namespace quillstar
