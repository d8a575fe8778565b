// GStreamer and GLib are not built with ThreadSanitizer and synchronise with
// futexes it cannot see, so what their threads do through its interceptors
// (malloc, free, memcpy, mutexes) would be reported as races among
// themselves. The sanitizer leaves calls from such libraries alone; races in
// our own code, its callbacks on GStreamer's threads included, are still
// reported. Only a ThreadSanitizer build calls this.
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}
