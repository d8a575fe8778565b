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

}  // namespace quillstar
