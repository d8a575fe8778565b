#include "recorder/DiscVerifier.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Trace.h"
#include "resources/VerificationConstants.h"
#include "resources/VerificationTexts.h"

namespace quillstar {

using namespace verification;

namespace {

constexpr int64_t kBytesPerSample = cd::kBytesPerFrame;

template <typename... Values>
std::string Format(const char* format, Values... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// Whether the written samples sit on the disc shifted by shift (a written
// sample's index plus shift is its index in the read samples): every sample
// that was read matches, and at least one of them is sound.
bool IsAt(const std::vector<uint32_t>& written, size_t first, size_t end, const std::vector<uint32_t>& read,
          const std::vector<uint8_t>& readable, int64_t shift)
{
    bool heard = false;
    for (size_t index = first; index < end; ++index) {
        const int64_t at = static_cast<int64_t>(index) + shift;
        if (at < 0 || at >= static_cast<int64_t>(read.size()) || !readable[static_cast<size_t>(at)])
            continue;
        if (read[static_cast<size_t>(at)] != written[index])
            return false;
        heard = heard || written[index] != 0;
    }
    return heard;
}

}  // namespace

DiscVerifier::DiscVerifier(MmcCommands& drive, const DeviceInfo& device, const WrittenAudio& written)
    : drive_(drive), device_(device), written_(written)
{
}

DiscVerification DiscVerifier::Verify(const Progress& progress, const std::atomic<bool>& stop)
{
    stop_ = &stop;
    progress_ = progress;
    tracks_ = written_.Tracks();
    bytesTotal_ = 0;
    for (const WrittenAudio::Track& track : tracks_)
        bytesTotal_ += track.bytes;
    DiscVerification result;
    const auto stopped = [&] {
        result.outcome = DiscVerification::Outcome::kStopped;
        result.text = kTextStopped;
        return result;
    };

    if (!ReadTableOfContents()) {
        result.text = kTextFailedNoToc;
        return stop ? stopped() : result;
    }
    if (toc_.tracks.size() != tracks_.size()) {
        result.text =
            Format(kTextFailedTrackCount, static_cast<int>(toc_.tracks.size()), static_cast<int>(tracks_.size()));
        return result;
    }
    // Without a track that begins with sound the shift cannot be found; the
    // tracks are compared as the drive returns them.
    int offset = 0;
    if (written_.SearchTrack() >= 0) {
        result.readOffset = FindReadOffset();
        if (!result.readOffset) {
            result.text = kTextFailedNotFound;
            return stop ? stopped() : result;
        }
        offset = *result.readOffset;
        Trace("Verification: the drive reads %+d samples late\n", offset);
    }
    for (size_t index = 0; index < tracks_.size(); ++index) {
        progressText_ = Format(kTextVerifyingTrack, static_cast<int>(index + 1));
        lastPercent_ = -1;
        ReportProgress();
        const auto track = VerifyTrack(index, offset);
        if (!track)
            return stopped();
        result.tracks.push_back(*track);
    }
    result.Conclude();
    return result;
}

bool DiscVerifier::ReadTableOfContents()
{
    for (int attempt = 0; attempt < kReadAttempts && !*stop_; ++attempt) {
        if (drive_.ReadToc(device_, toc_) == 0)
            return true;
    }
    return false;
}

std::optional<int> DiscVerifier::FindReadOffset()
{
    const auto index = static_cast<size_t>(written_.SearchTrack());
    const std::vector<uint8_t>& audio = written_.SearchAudio();
    std::vector<uint32_t> written(audio.size() / kBytesPerSample);
    std::memcpy(written.data(), audio.data(), written.size() * kBytesPerSample);

    const int64_t start = int64_t{toc_.tracks[index].start} * kSamplesPerSector;
    const int64_t from = std::max<int64_t>(0, start - kMaximumReadOffset);
    const int64_t to = std::min(int64_t{toc_.leadOut} * kSamplesPerSector,
                                start + static_cast<int64_t>(written.size()) + kMaximumReadOffset);
    std::vector<uint32_t> read(static_cast<size_t>(std::max<int64_t>(0, to - from)));
    std::vector<uint8_t> readable(read.size());
    size_t filled = 0;
    const bool complete = to > from && ReadSamples(from, to, [&](const uint8_t* data, size_t bytes, bool ok) {
                              std::memcpy(&read[filled], data, bytes);
                              std::fill_n(&readable[filled], bytes / kBytesPerSample, ok);
                              filled += bytes / kBytesPerSample;
                          });
    if (!complete)
        return std::nullopt;
    // The smallest shift first: 0, 1, -1, 2, -2, ...
    for (int step = 0; step <= 2 * kMaximumReadOffset; ++step) {
        const int offset = (step + 1) / 2 * (step % 2 == 1 ? 1 : -1);
        for (size_t second = 0; second < written.size(); second += cd::kSampleRate) {
            const size_t end = std::min(written.size(), second + cd::kSampleRate);
            if (IsAt(written, second, end, read, readable, start - offset - from))
                return offset;
        }
    }
    return std::nullopt;
}

const uint8_t* DiscVerifier::KnownStart(size_t index, size_t bytes) const
{
    static const std::vector<uint8_t> silence(size_t{kMaximumReadOffset} * kBytesPerSample, 0);
    const int searched = written_.SearchTrack();
    if (searched == static_cast<int>(index) && bytes <= written_.SearchAudio().size())
        return written_.SearchAudio().data();
    // The tracks before the searched one began with silence.
    const bool silent = searched < 0 || static_cast<int>(index) < searched;
    return silent && bytes <= silence.size() ? silence.data() : nullptr;
}

std::optional<DiscVerification::Track> DiscVerifier::VerifyTrack(size_t index, int offset)
{
    const WrittenAudio::Track& track = tracks_[index];
    compared_ = &track;
    comparedBytes_ = 0;
    secondChecksum_ = crc32(0, nullptr, 0);
    secondReadable_ = true;
    comparison_ = {};

    // Where the track's first written sample is read from, and the samples
    // the shift pushed before the first sector or past the last.
    const int64_t samples = track.bytes / kBytesPerSample;
    const int64_t base = int64_t{toc_.tracks[index].start} * kSamplesPerSector - offset;
    const int64_t discEnd = int64_t{toc_.leadOut} * kSamplesPerSector;
    const int64_t before = std::clamp<int64_t>(-base, 0, samples);
    const int64_t readEnd = std::clamp<int64_t>(discEnd - base, before, samples);
    if (before > 0) {
        const size_t bytes = static_cast<size_t>(before * kBytesPerSample);
        const uint8_t* known = KnownStart(index, bytes);
        Compare(known, bytes, known != nullptr);
    }
    const auto compare = [this](const uint8_t* data, size_t bytes, bool readable) { Compare(data, bytes, readable); };
    if (readEnd > before && !ReadSamples(base + before, base + readEnd, compare))
        return std::nullopt;
    if (readEnd < samples) {
        const auto bytes = static_cast<size_t>((samples - readEnd) * kBytesPerSample);
        const std::vector<uint8_t>& tail = written_.Tail();
        const bool known = index + 1 == tracks_.size() && bytes <= tail.size();
        Compare(known ? tail.data() + tail.size() - bytes : nullptr, bytes, known);
    }
    return comparison_;
}

bool DiscVerifier::ReadSamples(int64_t from, int64_t to, const Sink& sink)
{
    const int64_t firstSector = from / kSamplesPerSector;
    const int64_t endSector = (to + kSamplesPerSector - 1) / kSamplesPerSector;
    for (int64_t sector = firstSector; sector < endSector; sector += kSectorsPerRead) {
        if (*stop_)
            return false;
        const auto blocks = static_cast<int>(std::min<int64_t>(kSectorsPerRead, endSector - sector));
        chunk_.resize(static_cast<size_t>(blocks) * cd::kSectorSize);
        const int64_t chunkStart = sector * kSamplesPerSector;
        const auto pass = [&](int64_t start, int64_t end, bool readable) {
            const int64_t first = std::max(start, from);
            const int64_t last = std::min(end, to);
            if (last > first) {
                sink(chunk_.data() + (first - chunkStart) * kBytesPerSample,
                     static_cast<size_t>((last - first) * kBytesPerSample), readable);
            }
        };
        if (ReadSectorsWithRetries(static_cast<int32_t>(sector), blocks, chunk_.data())) {
            pass(chunkStart, chunkStart + int64_t{blocks} * kSamplesPerSector, true);
            continue;
        }
        // One sector by one, to tell the unreadable ones from the rest.
        for (int block = 0; block < blocks; ++block) {
            uint8_t* data = chunk_.data() + static_cast<size_t>(block) * cd::kSectorSize;
            const bool readable = ReadSectorsWithRetries(static_cast<int32_t>(sector + block), 1, data);
            if (!readable)
                std::fill_n(data, cd::kSectorSize, 0);
            const int64_t start = chunkStart + int64_t{block} * kSamplesPerSector;
            pass(start, start + kSamplesPerSector, readable);
        }
    }
    return !*stop_;
}

bool DiscVerifier::ReadSectorsWithRetries(int32_t address, int blocks, uint8_t* data)
{
    for (int attempt = 0; attempt < kReadAttempts && !*stop_; ++attempt) {
        if (drive_.ReadCd(device_, address, blocks, data) == 0)
            return true;
    }
    return false;
}

void DiscVerifier::Compare(const uint8_t* data, size_t bytes, bool readable)
{
    while (bytes > 0) {
        const auto inSecond = static_cast<size_t>(comparedBytes_ % kBytesPerChecksum);
        const size_t part =
            std::min({bytes, kBytesPerChecksum - inSecond, static_cast<size_t>(compared_->bytes - comparedBytes_)});
        if (part == 0)
            return;
        if (readable)
            secondChecksum_ = crc32(secondChecksum_, data, static_cast<uInt>(part));
        secondReadable_ = secondReadable_ && readable;
        comparedBytes_ += static_cast<int64_t>(part);
        bytesDone_ += static_cast<int64_t>(part);
        if (comparedBytes_ % kBytesPerChecksum == 0 || comparedBytes_ == compared_->bytes)
            EndSecond();
        if (data != nullptr)
            data += part;
        bytes -= part;
    }
    ReportProgress();
}

void DiscVerifier::EndSecond()
{
    using State = DiscVerification::Track::State;
    const auto second = static_cast<int>((comparedBytes_ - 1) / kBytesPerChecksum);
    const bool differs = secondChecksum_ != compared_->secondChecksums[static_cast<size_t>(second)];
    if (!secondReadable_ && comparison_.state != State::kUnreadable) {
        comparison_.state = State::kUnreadable;
        comparison_.second = second;
    } else if (secondReadable_ && differs) {
        if (comparison_.state == State::kVerified) {
            comparison_.state = State::kDiffers;
            comparison_.second = second;
        }
        ++comparison_.differingSeconds;
    }
    secondChecksum_ = crc32(0, nullptr, 0);
    secondReadable_ = true;
}

void DiscVerifier::ReportProgress()
{
    const int percent = bytesTotal_ > 0 ? static_cast<int>(bytesDone_ * 100 / bytesTotal_) : 100;
    if (percent == lastPercent_ || !progress_)
        return;
    lastPercent_ = percent;
    progress_(progressText_, percent);
}

}  // namespace quillstar
