#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillstar {

// What a burn sent to the drive, kept small enough to prove the disc with:
// for each track a CRC-32 of every second (75 sectors) of the exact bytes
// the drive accepted, the first seconds of the first track that holds any
// sound, to find the drive's read offset in, and the last samples of the
// disc, which a read offset may push past its last sector.
class WrittenAudio {
public:
    struct Track {
        int64_t bytes = 0;
        // The last one covers the track's last, shorter second.
        std::vector<uint32_t> secondChecksums;
    };

    void Clear();
    // The next track on the disc; a track that got no sector is dropped.
    void BeginTrack();
    // Whole sectors of the current track, in the order the drive took them.
    void Add(const uint8_t* data, size_t bytes);

    // The tracks that got sectors, in disc order.
    std::vector<Track> Tracks() const;
    // Index among Tracks() of the track whose first seconds SearchAudio
    // holds; -1 when every track begins with seconds of digital silence.
    int SearchTrack() const;
    const std::vector<uint8_t>& SearchAudio() const { return searchAudio_; }
    // The last bytes of the last track, at most a read offset's worth.
    const std::vector<uint8_t>& Tail() const { return tail_; }

private:
    void AddToSearch(const uint8_t* data, size_t bytes);
    void AddToTail(const uint8_t* data, size_t bytes);

    std::vector<Track> tracks_;
    uint32_t secondChecksum_ = 0;
    int searchTrack_ = -1;
    bool searchAudible_ = false;
    std::vector<uint8_t> searchAudio_;
    std::vector<uint8_t> tail_;
};

}  // namespace quillstar
