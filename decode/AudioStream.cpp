#include "decode/AudioStream.h"

namespace quillstar {

bool AudioStream::Open(const std::string&)
{
    return false;
}

int AudioStream::Close()
{
    return 0;
}

int64_t AudioStream::Seek(int64_t, int)
{
    return -1;
}

}  // namespace quillstar
