#include "tracklist/Serializer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "resources/InfoFileTexts.h"

namespace quillstar {
namespace {

// The smallest record: two empty strings (one byte each) and the seconds.
constexpr size_t kMinimumRecordSize = 1 + 4 + 1;
// A list of ten thousand long paths stays far below this; anything larger
// is not a CD info file.
constexpr std::uintmax_t kLargestListFile = 64u * 1024 * 1024;
// A burn list never holds more tracks than this; a longer list would only
// build rows for minutes.
constexpr int32_t kMostTracks = 10000;
// As many links in a row as the system follows.
constexpr int kMostLinkHops = 40;

std::string TooManyTracks(int32_t count)
{
    return "lists " + std::to_string(count) + " tracks, more than the " + std::to_string(kMostTracks) +
           " a burn list holds";
}

std::string Describe(const std::string& path, const std::string& reason)
{
    return "The CD info file \"" + path + "\" " + reason + ".";
}

// Writes the whole file and flushes it to the disc; 0 or the errno of the
// first failure.
int WriteDurably(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return errno;
    int error = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0 ||
        fsync(fileno(file)) != 0)
        error = errno;
    if (std::fclose(file) != 0 && error == 0)
        error = errno;
    return error;
}

// A file that replaces an older one keeps who may read it.
int KeepPermissionsOf(const std::string& old, const std::string& replacement)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(old, error);
    if (error || !std::filesystem::exists(status))
        return 0;
    std::filesystem::permissions(replacement, status.permissions(), error);
    return error.value();
}

// A link stays in place: the file it leads to, through any further links,
// is the one replaced, beside itself so that the rename stays atomic. A
// link that leads nowhere gets its file made where it points.
std::string LinkTargetOf(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path target = path;
    std::error_code error;
    for (int hop = 0; hop < kMostLinkHops && fs::is_symlink(target, error); ++hop) {
        const fs::path next = fs::read_symlink(target, error);
        if (error)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.string();
}

}  // namespace

int CSerializer::AddTrackInfo(const std::string& title, int seconds, const std::string& path)
{
    tracks_.push_back(TrackInfo{seconds, title, path});
    return GetCount() - 1;
}

bool CSerializer::GetTrackInfo(int index, std::string& title, int& seconds, std::string& path) const
{
    if (index < 0 || index >= GetCount())
        return false;
    const TrackInfo& track = tracks_[static_cast<size_t>(index)];
    title = track.title;
    seconds = track.seconds;
    path = track.path;
    return true;
}

void CSerializer::Serialize(Archive& archive)
{
    if (archive.IsStoring())
        Store(archive);
    else
        Load(archive);
}

void CSerializer::Store(Archive& archive) const
{
    archive.WriteInt32(GetCount());
    for (const TrackInfo& track : tracks_) {
        archive.WriteString(track.title);
        archive.WriteInt32(track.seconds);
        archive.WriteString(track.path);
    }
}

void CSerializer::Load(Archive& archive)
{
    const int32_t count = archive.ReadInt32();
    if (count > kMostTracks)
        archive.Fail(TooManyTracks(count));
    if (count > 0 && static_cast<size_t>(count) > archive.Remaining() / kMinimumRecordSize)
        archive.Fail("names " + std::to_string(count) + " tracks but is too short to hold them");
    std::vector<TrackInfo> loaded;
    for (int32_t i = 0; i < count && !archive.Failed(); ++i) {
        TrackInfo track;
        track.title = archive.ReadString();
        track.seconds = archive.ReadInt32();
        track.path = archive.ReadString();
        loaded.push_back(std::move(track));
    }
    if (!archive.Failed())
        tracks_ = std::move(loaded);
}

std::string CSerializer::LoadFile(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return Describe(path, "cannot be read: " + error.message());
    if (size > kLargestListFile)
        return Describe(path, "is too large to be a list of tracks");
    std::ifstream file(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!file || !file.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return Describe(path, "cannot be read: " + std::string(std::strerror(errno)));
    // Refused before anything is read, and not as damage: the file may be
    // whole, only too long for a burn list.
    if (const int32_t count = Archive(bytes.substr(0, 4)).ReadInt32(); count > kMostTracks)
        return Describe(path, TooManyTracks(count));
    Archive archive(std::move(bytes));
    Serialize(archive);
    if (archive.Failed())
        return Describe(path, "is damaged: " + archive.Error());
    return {};
}

std::string CSerializer::SaveFile(const std::string& path) const
{
    Archive archive;
    Store(archive);
    const std::string target = LinkTargetOf(path);
    const std::string temporary = target + ".saving";
    int error = WriteDurably(temporary, archive.Bytes());
    if (error == 0)
        error = KeepPermissionsOf(target, temporary);
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) == 0)
        return {};
    const int reason = error != 0 ? error : errno;
    std::remove(temporary.c_str());
    return Describe(path, "cannot be written: " + std::string(std::strerror(reason)));
}

std::string InfoFilePathFor(const std::string& chosen)
{
    const std::string_view extension = infofile::kExtension;
    return chosen.ends_with(extension) ? chosen : chosen + std::string(extension);
}

}  // namespace quillstar
