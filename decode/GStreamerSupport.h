#pragma once

#include <gst/gst.h>

#include <memory>

namespace quillstar {

// Starts GStreamer for the process on first use; false when it cannot start.
bool InitGStreamer();

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstMiniObjectUnref {
    void operator()(gpointer object) const { gst_mini_object_unref(GST_MINI_OBJECT_CAST(object)); }
};
struct GFreeDeleter {
    void operator()(gpointer memory) const { g_free(memory); }
};

// One reference to a GLib or GStreamer object, a caps or message, or a GLib
// string.
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
template <typename T>
using GstObjectPtr = std::unique_ptr<T, GstObjectUnref>;
template <typename T>
using GstMiniObjectPtr = std::unique_ptr<T, GstMiniObjectUnref>;
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

}  // namespace quillstar
