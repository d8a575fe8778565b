#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quillstar {

// The image of one disc: raw 2352-byte sectors streamed into a temporary file
// beside the final name as they are written, then renamed into place with
// its CUE sheet (and the CD-TEXT file it names, when the disc has CD-TEXT);
// it stays open for reading until the disc goes. A finished image never
// replaces an existing file: the name gets "-2", "-3", ... before its
// extension instead. An image that is never finished leaves nothing under a
// final name.
class DiscImage {
public:
    // One track of the CUE sheet, in sectors from the start of the image.
    struct Track {
        int number = 0;
        int64_t pauseStart = 0;  // index 0; equal to start when there is no pause
        int64_t start = 0;       // index 1
        std::string title;
        std::string performer;
    };

    // The disc's CD-TEXT: its title and performer, and the lead-in's packs
    // as READ TOC format 5 returns them (a 4-byte header, then the packs),
    // which go to a ".cdt" file beside the image.
    struct CdText {
        std::string title;
        std::string performer;
        std::vector<uint8_t> packs;
    };

    // path: the first final name of the image, e.g. "/home/ann/disc.bin".
    // failToFinish: Finish fails as if the disk were full (a test fault).
    explicit DiscImage(std::string path, bool failToFinish = false);
    ~DiscImage();
    DiscImage(const DiscImage&) = delete;
    DiscImage& operator=(const DiscImage&) = delete;

    // Writes whole sectors at a sector address; the gap from the current end
    // up to it is filled with digital silence.
    bool Write(int64_t sector, const uint8_t* data, size_t bytes, std::string& error);
    // Cuts or fills the image to its final length, writes the CUE sheet and
    // renames both into place, each flushed to disk first. On success
    // finishedPath names the image. On failure the audio written so far stays
    // under its temporary name, which the error names, and is never deleted.
    bool Finish(int64_t sectors, const std::vector<Track>& tracks, std::string& finishedPath, std::string& error);
    // The CD-TEXT the next Finish writes beside the image.
    void SetCdText(CdText text) { cdText_ = std::move(text); }
    // Bytes from offset on, before and after Finish; beyond what was written
    // they read as digital silence.
    bool Read(int64_t offset, uint8_t* data, size_t bytes, std::string& error) const;
    // Drops what was written, unless it was finished or a failed Finish kept it.
    void Discard();

    // "disc.bin" for 1, "disc-2.bin" for 2, ...
    static std::string NumberedPath(const std::string& path, int number);
    // The CUE sheet beside an image: its extension replaced by ".cue".
    static std::string CuePath(const std::string& imagePath);
    // The CD-TEXT file beside an image: its extension replaced by ".cdt".
    static std::string CdTextPath(const std::string& imagePath);
    // The sheet's TITLE and PERFORMER lines give the texts with any double
    // quote turned into a single one, which a CUE sheet cannot hold.
    static std::string CueSheet(const std::string& imageFileName, const std::vector<Track>& tracks,
                                const CdText& cdText = {});

private:
    bool OpenTemporary(std::string& error);
    bool FillWithSilence(int64_t endByte, std::string& error);
    bool WriteAll(int64_t offset, const uint8_t* data, size_t bytes, std::string& error);
    bool PlaceUnderFreeName(const std::vector<Track>& tracks, std::string& finishedPath, std::string& error);
    bool FlushToDisk(std::string& error);
    int PlaceCdText(const std::string& path);
    void KeepAfterFailure(std::string& error);

    std::string path_;
    std::string temporaryPath_;
    int descriptor_ = -1;
    int64_t size_ = 0;
    bool failToFinish_ = false;
    bool kept_ = false;
    bool finished_ = false;
    CdText cdText_;
};

}  // namespace quillstar
