#include "decode/AudioDecoder.h"

namespace quillstar {

int AudioDecoder::Read(uint8_t*, int)
{
    return 0;
}

int AudioDecoder::GetLength()
{
    return 0;
}

int AudioDecoder::GetPosition()
{
    return 0;
}

void AudioDecoder::Flush() {}

void AudioDecoder::Pause() {}

void AudioDecoder::ShowInfo(WindowHandle) {}

int AudioDecoder::GetBitrate()
{
    return bitRate_;
}

void AudioDecoder::SetBitrate(int bitsPerSecond)
{
    bitRate_ = bitsPerSecond;
}

}  // namespace quillstar
