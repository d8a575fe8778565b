// Sanitizer settings for the programs that run GStreamer, GLib and FFmpeg's
// codecs: libraries built without the sanitizers. Linked into sanitizer
// builds of quillstar-burn and of the tests that decode through them.

// Their threads synchronise with futexes ThreadSanitizer cannot see, so what
// they do through its interceptors would be reported as races among
// themselves; races in our own code, its callbacks on their threads
// included, are still reported.
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}

// Their frames carry no frame pointers: only the slow unwinder follows an
// allocation back to whoever asked for it, so that a leak is pinned on the
// right code. The tests preload their test drive ahead of the sanitizer's
// runtime.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0:verify_asan_link_order=0";
}

// What GLib allocates in its library constructor for the whole run, and the
// WMA codec's own leaks inside GStreamer's libav plug-in.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_dl_init\nleak:libgstlibav.so\n";
}
