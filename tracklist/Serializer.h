#pragma once

#include <string>
#include <vector>

#include "tracklist/Archive.h"
#include "tracklist/TrackInfo.h"

namespace quillstar {

// The track list: a plain copy of the burn list in track order that the
// totals line, the burn, the CD info file and the cover read.
class CSerializer {
public:
    int AddTrackInfo(const std::string& title, int seconds, const std::string& path);
    // False when the index is not below the count.
    bool GetTrackInfo(int index, std::string& title, int& seconds, std::string& path) const;
    int GetCount() const { return static_cast<int>(tracks_.size()); }
    void RemoveAll() { tracks_.clear(); }
    const std::vector<TrackInfo>& Tracks() const { return tracks_; }

    // Writes the count and the records, or reads them. A load that fails
    // leaves the list as it was and the reason in the archive.
    void Serialize(Archive& archive);

    // The CD info file as a whole. Saving writes a temporary file beside the
    // target and renames it over the old file only once it is complete;
    // saving through a link replaces the file it leads to and keeps the link.
    // Both return an empty text on success, else a sentence naming the file
    // and what went wrong.
    std::string LoadFile(const std::string& path);
    std::string SaveFile(const std::string& path) const;

private:
    void Store(Archive& archive) const;
    void Load(Archive& archive);

    std::vector<TrackInfo> tracks_;
};

// The file a save writes for the name the user chose: the name itself when
// it ends exactly in ".tlm" (case counts), else the name with ".tlm" added,
// so song.TLM is saved as song.TLM.tlm.
std::string InfoFilePathFor(const std::string& chosen);

}  // namespace quillstar
