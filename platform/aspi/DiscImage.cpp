#include "platform/aspi/DiscImage.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <utility>

#include "platform/Trace.h"
#include "resources/CdAudio.h"

namespace quillstar {

namespace {

constexpr int kMostNumberedNames = 100000;
constexpr int kTemporaryNameAttempts = 100;

std::string SystemError(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

// Moves a file to a name that must not exist yet; fails with EEXIST when it does.
bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without that flag: a hard link is just as exclusive.
    if (link(from.c_str(), to.c_str()) != 0)
        return false;
    unlink(from.c_str());
    return true;
}

std::string MinutesSecondsFrames(int64_t sector)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", static_cast<int>(sector / (60 * cd::kSectorsPerSecond)),
                  static_cast<int>(sector / cd::kSectorsPerSecond % 60),
                  static_cast<int>(sector % cd::kSectorsPerSecond));
    return text;
}

std::string Quoted(std::string text)
{
    std::replace(text.begin(), text.end(), '"', '\'');
    return "\"" + text + "\"";
}

std::string TextLines(const std::string& indent, const std::string& title, const std::string& performer)
{
    std::string lines;
    if (!title.empty())
        lines += indent + "TITLE " + Quoted(title) + "\n";
    if (!performer.empty())
        lines += indent + "PERFORMER " + Quoted(performer) + "\n";
    return lines;
}

// Creates a hidden file of a fresh name beside path. Unlike mkstemp it
// creates the file with the permissions the user's umask gives, which the
// finished image keeps.
int MakeTemporaryBeside(const std::string& path, std::string& temporaryPath)
{
    static std::mutex randomMutex;
    static std::mt19937 random{std::random_device{}()};
    const std::filesystem::path target(path);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        unsigned suffix = 0;
        {
            std::lock_guard lock(randomMutex);
            suffix = random();
        }
        char text[16];
        std::snprintf(text, sizeof(text), ".%08x", suffix);
        const std::string candidate = (target.parent_path() / ("." + target.filename().string() + text)).string();
        const int descriptor = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) {
            if (descriptor >= 0)
                temporaryPath = candidate;
            return descriptor;
        }
    }
    errno = EEXIST;
    return -1;
}

// A rename is on disk only once its folder is.
int SyncFolderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    const int result = fsync(descriptor) == 0 ? 0 : errno;
    close(descriptor);
    return result;
}

// Writes a small file under a temporary name beside path, flushed to disk;
// 0 or the errno value.
int WriteTemporaryBeside(const std::string& path, const std::string& text, std::string& temporaryPath)
{
    const int descriptor = MakeTemporaryBeside(path, temporaryPath);
    if (descriptor < 0)
        return errno;
    const bool written =
        write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(descriptor) == 0;
    const int failure = written ? 0 : (errno != 0 ? errno : ENOSPC);
    if (close(descriptor) != 0 || !written) {
        const int error = written ? errno : failure;
        unlink(temporaryPath.c_str());
        return error;
    }
    return 0;
}

}  // namespace

DiscImage::DiscImage(std::string path, bool failToFinish) : path_(std::move(path)), failToFinish_(failToFinish) {}

DiscImage::~DiscImage()
{
    Discard();
}

std::string DiscImage::NumberedPath(const std::string& path, int number)
{
    if (number <= 1)
        return path;
    const std::filesystem::path original(path);
    std::filesystem::path numbered = original.parent_path() / original.stem();
    numbered += "-" + std::to_string(number);
    numbered += original.extension();
    return numbered.string();
}

std::string DiscImage::CuePath(const std::string& imagePath)
{
    return std::filesystem::path(imagePath).replace_extension(".cue").string();
}

std::string DiscImage::CdTextPath(const std::string& imagePath)
{
    return std::filesystem::path(imagePath).replace_extension(".cdt").string();
}

std::string DiscImage::CueSheet(const std::string& imageFileName, const std::vector<Track>& tracks,
                                const CdText& cdText)
{
    std::string text;
    if (!cdText.packs.empty()) {
        text += TextLines("", cdText.title, cdText.performer);
        text += "CDTEXTFILE \"" + std::filesystem::path(CdTextPath(imageFileName)).filename().string() + "\"\n";
    }
    text += "FILE \"" + imageFileName + "\" BINARY\n";
    for (const Track& track : tracks) {
        char number[8];
        std::snprintf(number, sizeof(number), "%02d", track.number);
        text += std::string("  TRACK ") + number + " AUDIO\n";
        text += TextLines("    ", track.title, track.performer);
        if (track.pauseStart < track.start)
            text += "    INDEX 00 " + MinutesSecondsFrames(track.pauseStart) + "\n";
        text += "    INDEX 01 " + MinutesSecondsFrames(track.start) + "\n";
    }
    return text;
}

bool DiscImage::OpenTemporary(std::string& error)
{
    if (descriptor_ >= 0)
        return true;
    descriptor_ = MakeTemporaryBeside(path_, temporaryPath_);
    if (descriptor_ < 0) {
        error = SystemError("cannot create the image beside " + path_, errno);
        return false;
    }
    size_ = 0;
    return true;
}

bool DiscImage::WriteAll(int64_t offset, const uint8_t* data, size_t bytes, std::string& error)
{
    while (bytes > 0) {
        const ssize_t done = pwrite(descriptor_, data, bytes, offset);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            error = SystemError("cannot write " + temporaryPath_, done < 0 ? errno : ENOSPC);
            return false;
        }
        data += done;
        bytes -= static_cast<size_t>(done);
        offset += done;
    }
    return true;
}

bool DiscImage::FillWithSilence(int64_t endByte, std::string& error)
{
    static const std::array<uint8_t, cd::kBlockSize> silence{};
    while (size_ < endByte) {
        const size_t chunk = static_cast<size_t>(std::min<int64_t>(endByte - size_, silence.size()));
        if (!WriteAll(size_, silence.data(), chunk, error))
            return false;
        size_ += static_cast<int64_t>(chunk);
    }
    return true;
}

bool DiscImage::Write(int64_t sector, const uint8_t* data, size_t bytes, std::string& error)
{
    const int64_t offset = sector * cd::kSectorSize;
    if (!OpenTemporary(error) || !FillWithSilence(offset, error) || !WriteAll(offset, data, bytes, error))
        return false;
    size_ = std::max<int64_t>(size_, offset + static_cast<int64_t>(bytes));
    return true;
}

bool DiscImage::Finish(int64_t sectors, const std::vector<Track>& tracks, std::string& finishedPath, std::string& error)
{
    const int64_t length = sectors * cd::kSectorSize;
    if (!OpenTemporary(error))
        return false;
    if (!FillWithSilence(length, error) || !FlushToDisk(error)) {
        KeepAfterFailure(error);
        return false;
    }
    // A failed write may have left bytes past the last sector written.
    if (ftruncate(descriptor_, length) != 0) {
        error = SystemError("cannot cut " + temporaryPath_, errno);
        KeepAfterFailure(error);
        return false;
    }
    size_ = length;
    if (!PlaceUnderFreeName(tracks, finishedPath, error)) {
        KeepAfterFailure(error);
        return false;
    }
    if (const int failure = SyncFolderOf(finishedPath); failure != 0)
        Trace("Image recorder: %s\n", SystemError("cannot flush the folder of " + finishedPath, failure).c_str());
    finished_ = true;
    temporaryPath_.clear();
    Trace("Image recorder: image written to %s\n", finishedPath.c_str());
    return true;
}

bool DiscImage::FlushToDisk(std::string& error)
{
    if (failToFinish_) {
        error = SystemError("cannot write " + temporaryPath_, ENOSPC);
        return false;
    }
    if (fsync(descriptor_) != 0) {
        error = SystemError("cannot flush " + temporaryPath_, errno);
        return false;
    }
    return true;
}

// The burn's audio is worth more than a tidy folder: it stays where it is.
void DiscImage::KeepAfterFailure(std::string& error)
{
    kept_ = true;
    error += "; the audio written so far is kept in " + temporaryPath_;
}

bool DiscImage::PlaceUnderFreeName(const std::vector<Track>& tracks, std::string& finishedPath, std::string& error)
{
    for (int number = 1; number <= kMostNumberedNames; ++number) {
        const std::string image = NumberedPath(path_, number);
        const std::string cue = CuePath(image);
        const std::string cdText = CdTextPath(image);
        if (access(cue.c_str(), F_OK) == 0 || (!cdText_.packs.empty() && access(cdText.c_str(), F_OK) == 0))
            continue;
        if (!RenameNoReplace(temporaryPath_, image)) {
            if (errno == EEXIST)
                continue;
            error = SystemError("cannot name the image " + image, errno);
            return false;
        }
        // The CUE sheet comes last: it is what makes the image finished.
        int failure = PlaceCdText(cdText);
        std::string failed = cdText;
        if (failure == 0) {
            std::string cueTemporary;
            const std::string text = CueSheet(std::filesystem::path(image).filename().string(), tracks, cdText_);
            failure = WriteTemporaryBeside(cue, text, cueTemporary);
            failed = cue;
            if (failure == 0) {
                if (RenameNoReplace(cueTemporary, cue)) {
                    finishedPath = image;
                    return true;
                }
                failure = errno;
                unlink(cueTemporary.c_str());
            }
            if (!cdText_.packs.empty())
                unlink(cdText.c_str());
        }
        // Give the image its temporary name back so nothing stays half-finished.
        rename(image.c_str(), temporaryPath_.c_str());
        if (failure != EEXIST) {
            error = SystemError("cannot write " + failed, failure);
            return false;
        }
    }
    error = "no free name for " + path_;
    return false;
}

// 0 or the errno value; nothing to place without CD-TEXT.
int DiscImage::PlaceCdText(const std::string& path)
{
    if (cdText_.packs.empty())
        return 0;
    std::string temporary;
    const std::string bytes(cdText_.packs.begin(), cdText_.packs.end());
    if (const int failure = WriteTemporaryBeside(path, bytes, temporary); failure != 0)
        return failure;
    if (RenameNoReplace(temporary, path))
        return 0;
    const int failure = errno;
    unlink(temporary.c_str());
    return failure;
}

bool DiscImage::Read(int64_t offset, uint8_t* data, size_t bytes, std::string& error) const
{
    const int64_t written = std::clamp<int64_t>(size_ - offset, 0, static_cast<int64_t>(bytes));
    std::fill(data + written, data + bytes, 0);
    for (int64_t done = 0; done < written;) {
        const ssize_t got = pread(descriptor_, data + done, static_cast<size_t>(written - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = SystemError("cannot read the image " + path_, got < 0 ? errno : EIO);
            return false;
        }
        done += got;
    }
    return true;
}

void DiscImage::Discard()
{
    if (descriptor_ < 0)
        return;
    close(descriptor_);
    if (!kept_ && !finished_)
        unlink(temporaryPath_.c_str());
    finished_ = false;
    descriptor_ = -1;
    temporaryPath_.clear();
    size_ = 0;
}

}  // namespace quillstar
