// Built into sanitizer builds only. The program runs GStreamer, GLib and
// FFmpeg's codecs: libraries built without the sanitizers. Their threads
// synchronise in ways ThreadSanitizer cannot see, their frames carry no frame
// pointers, and GLib and the WMA codec keep allocations for the whole run;
// none of that is the program's own. The tests preload their test drive
// ahead of the sanitizer's runtime.

extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}

extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0:verify_asan_link_order=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_dl_init\nleak:libgstlibav.so\n";
}
