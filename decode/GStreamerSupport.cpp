#include "decode/GStreamerSupport.h"

#include <mutex>

#include "platform/Trace.h"

namespace quillstar {

bool InitGStreamer()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        GError* error = nullptr;
        started = gst_init_check(nullptr, nullptr, &error) != FALSE;
        if (!started) {
            Trace("GStreamer could not start: %s\n", error != nullptr ? error->message : "unknown error");
            g_clear_error(&error);
        }
    });
    return started;
}

}  // namespace quillstar
