// Sanitizer settings for programs that run GStreamer and GLib:
// libraries built without the sanitizers. Only a sanitizer build calls these.

// They synchronise with futexes ThreadSanitizer cannot see, so what their
// threads do through its interceptors (malloc, free, memcpy, mutexes) would be
// reported as races among themselves. The sanitizer leaves calls from such
// libraries alone; races in our own code, its callbacks on GStreamer's
// threads included, are still reported.
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}

// Their frames carry no frame pointers: only the slow unwinder follows an
// allocation back to whoever asked for it, so that a leak is pinned on the
// right code. The test drive is preloaded ahead of the sanitizer's runtime.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0:verify_asan_link_order=0";
}

// What GLib allocates in its library constructor for the whole run, and the
// WMA codec's own leaks inside GStreamer's libav plug-in (the tests make
// their WMA files with its encoder).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_dl_init\nleak:libgstlibav.so\n";
}
