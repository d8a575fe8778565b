#pragma once

#include <mpg123.h>

#include <cstdint>
#include <memory>

// How MPEG audio is decoded throughout the program. The MP3 plug-in decodes
// through these functions and the duration probe measures through them, so
// a measured length is exactly the number of samples a decode delivers.
// Header-only: the plug-in is built without the decode library.
namespace quillstar {

struct MpegHandleDeleter {
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using MpegHandle = std::unique_ptr<mpg123_handle, MpegHandleDeleter>;

// Opens the file for decoding to 16-bit signed samples in the stream's own
// rate and channel count, gapless (the encoder delay and padding a LAME or
// Xing tag names are cut off), without printing anything. Null when the file
// cannot be opened.
inline MpegHandle OpenMpegFile(const char* path)
{
    // Only libmpg123 before 1.27 needs it; once per process is enough.
    static const int initialised = mpg123_init();
    if (initialised != MPG123_OK)
        return nullptr;
    int error = MPG123_OK;
    MpegHandle handle(mpg123_new(nullptr, &error));
    if (!handle)
        return nullptr;
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(handle.get(), path) != MPG123_OK)
        return nullptr;
    return handle;
}

struct MpegFormat {
    int sampleRate = 0;
    int channels = 0;
};

// The format of the first decodable frame; false when there is none.
inline bool ReadMpegFormat(mpg123_handle* handle, MpegFormat& format)
{
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || encoding != MPG123_ENC_SIGNED_16 ||
        rate <= 0 || channels <= 0)
        return false;
    format.sampleRate = static_cast<int>(rate);
    format.channels = channels;
    return true;
}

// The sample frames (per channel) the whole file decodes to, from a scan of
// every frame header, and the format of its first frame; false when it has no
// decodable frame. The scan runs on a handle of its own: a scan and the seek
// back to the start change the first frames' samples of some streams (MPEG-2
// rates), so a decode that followed it would not be the plain decode.
inline bool ScanMpegFile(const char* path, int64_t& frames, MpegFormat& format)
{
    const MpegHandle handle = OpenMpegFile(path);
    if (!handle || !ReadMpegFormat(handle.get(), format) || mpg123_scan(handle.get()) != MPG123_OK)
        return false;
    const off_t length = mpg123_length(handle.get());
    frames = static_cast<int64_t>(length);
    return length >= 0;
}

inline int FramesToMilliseconds(int64_t frames, int sampleRate)
{
    if (frames <= 0 || sampleRate <= 0)
        return 0;
    return static_cast<int>((frames * 1000 + sampleRate / 2) / sampleRate);
}

}  // namespace quillstar
