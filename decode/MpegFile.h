#pragma once

#include <mpg123.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// How MPEG audio is decoded throughout the program. The MP3 plug-in decodes
// through this class and the duration probe measures through it, so a
// measured length is exactly the number of samples a decode delivers.
// Header-only: the plug-in is built without the decode library.
namespace quillstar {

struct MpegFormat {
    int sampleRate = 0;
    int channels = 0;
};

// An MPEG audio file (MP3, MP2) open for decoding to 16-bit signed samples in
// the stream's own rate and channel count, gapless (the encoder delay and
// padding a LAME or Xing tag names are cut off), printing nothing.
class MpegFile {
public:
    // False when the file cannot be opened.
    bool Open(const std::string& path)
    {
        Close();
        // Only libmpg123 before 1.27 needs it; once per process is enough.
        static const int initialised = mpg123_init();
        int error = MPG123_OK;
        handle_.reset(initialised == MPG123_OK ? mpg123_new(nullptr, &error) : nullptr);
        file_.reset(std::fopen(path.c_str(), "rb"));
        if (!handle_ || !file_)
            return Fail();
        mpg123_param(handle_.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
        mpg123_format_none(handle_.get());
        const long* rates = nullptr;
        size_t rateCount = 0;
        mpg123_rates(&rates, &rateCount);
        for (size_t i = 0; i < rateCount; ++i)
            mpg123_format(handle_.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        // libmpg123's own reader makes a system call or two per frame, which
        // costs more than parsing the frame; a buffered stream reads ahead.
        std::setvbuf(file_.get(), nullptr, _IOFBF, kReadAhead);
        if (mpg123_replace_reader_handle(handle_.get(), ReadFile, SeekFile, nullptr) != MPG123_OK ||
            mpg123_open_handle(handle_.get(), file_.get()) != MPG123_OK)
            return Fail();
        return true;
    }

    void Close()
    {
        handle_.reset();
        file_.reset();
    }

    mpg123_handle* Handle() const { return handle_.get(); }

    // The format of the first decodable frame; false when there is none.
    bool ReadFormat(MpegFormat& format)
    {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (!handle_ || mpg123_getformat(handle_.get(), &rate, &channels, &encoding) != MPG123_OK ||
            encoding != MPG123_ENC_SIGNED_16 || rate <= 0 || channels <= 0)
            return false;
        format.sampleRate = static_cast<int>(rate);
        format.channels = channels;
        return true;
    }

    // The sample frames (per channel) the whole file decodes to, from a scan
    // of every frame header, and the format of its first frame; false when it
    // has no decodable frame. The scan runs on a file of its own: a scan and
    // the seek back to the start change the first frames' samples of some
    // streams (MPEG-2 rates), so a decode after it would not be the plain one.
    static bool MeasureFrames(const std::string& path, int64_t& frames, MpegFormat& format)
    {
        MpegFile file;
        if (!file.Open(path) || !file.ReadFormat(format) || mpg123_scan(file.Handle()) != MPG123_OK)
            return false;
        const off_t length = mpg123_length(file.Handle());
        frames = static_cast<int64_t>(length);
        return length >= 0;
    }

    static int FramesToMilliseconds(int64_t frames, int sampleRate)
    {
        if (frames <= 0 || sampleRate <= 0)
            return 0;
        return static_cast<int>((frames * 1000 + sampleRate / 2) / sampleRate);
    }

private:
    static constexpr size_t kReadAhead = 64 * 1024;

    struct HandleDeleter {
        void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
    };
    struct FileCloser {
        void operator()(FILE* file) const { std::fclose(file); }
    };

    bool Fail()
    {
        Close();
        return false;
    }

    static mpg123_ssize_t ReadFile(void* file, void* buffer, size_t bytes)
    {
        FILE* stream = static_cast<FILE*>(file);
        const size_t done = std::fread(buffer, 1, bytes, stream);
        return done == 0 && std::ferror(stream) ? -1 : static_cast<mpg123_ssize_t>(done);
    }

    static off_t SeekFile(void* file, off_t offset, int whence)
    {
        FILE* stream = static_cast<FILE*>(file);
        return fseeko(stream, offset, whence) == 0 ? ftello(stream) : -1;
    }

    // Declared before the handle, so the handle is gone before its file.
    std::unique_ptr<FILE, FileCloser> file_;
    std::unique_ptr<mpg123_handle, HandleDeleter> handle_;
};

}  // namespace quillstar
