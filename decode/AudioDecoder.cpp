#include "decode/AudioDecoder.h"

namespace quillstar {

int AudioDecoder::Read(uint8_t*, int)
{
    return 0;
}

}  // namespace quillstar
