// Feeds arbitrary bytes to the CD info file loader. Besides crashes, hangs
// and sanitizer reports it stops on two broken promises: a load that fails
// must leave the list as it was, and a list that loaded must store and load
// back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tracklist/Archive.h"
#include "tracklist/Serializer.h"

namespace {

void Require(bool promise)
{
    if (!promise)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using quillstar::Archive;
    using quillstar::CSerializer;

    CSerializer list;
    list.AddTrackInfo("kept", 1, "/kept.mp3");
    const auto before = list.Tracks();
    Archive loading(std::string(reinterpret_cast<const char*>(data), size));
    list.Serialize(loading);
    if (loading.Failed()) {
        Require(list.Tracks() == before);
        return 0;
    }
    Archive storing;
    list.Serialize(storing);
    CSerializer again;
    Archive reloading(storing.Bytes());
    again.Serialize(reloading);
    Require(!reloading.Failed() && again.Tracks() == list.Tracks());
    return 0;
}
