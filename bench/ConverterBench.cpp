// Measures how many times faster than real time the format converter turns
// common source formats into CD audio on one core, against the converter's
// own pass-through of CD-rate audio measured in the same run.
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

#include "decode/AcmConverter.h"

using namespace quillstar;

namespace {

constexpr int kSeconds = 60;
// The size of a typical buffer from the decoding graph.
constexpr size_t kPieceBytes = 16384;

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

std::vector<uint8_t> Music(const WaveFormat& format)
{
    const size_t frames = static_cast<size_t>(format.samplesPerSec) * kSeconds;
    std::vector<uint8_t> bytes(frames * format.blockAlign);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / format.samplesPerSec;
        for (int c = 0; c < format.channels; ++c) {
            const double v = 0.3 * std::sin(2 * std::numbers::pi * 440 * (c + 1) * t) +
                             0.2 * std::sin(2 * std::numbers::pi * 3150 * t);
            const auto s = static_cast<int16_t>(std::lrint(v * 32767));
            std::memcpy(&bytes[(i * format.channels + c) * 2], &s, 2);
        }
    }
    return bytes;
}

// Times realtime of converting the format's music in graph-sized pieces.
double TimesRealtime(const WaveFormat& format)
{
    const auto input = Music(format);
    AcmConverter converter;
    if (converter.Open(format, WaveFormat::Cd()) != 0)
        return 0;
    const uint8_t* out = nullptr;
    int outLength = 0;
    size_t produced = 0;
    const double start = ThreadSeconds();
    for (size_t at = 0; at < input.size(); at += kPieceBytes) {
        const int length = static_cast<int>(std::min(kPieceBytes, input.size() - at));
        converter.Convert(input.data() + at, length, out, outLength);
        produced += outLength;
    }
    converter.Flush(out, outLength);
    produced += outLength;
    const double elapsed = ThreadSeconds() - start;
    std::printf("  %6u Hz %u ch: %zu bytes of CD audio in %.3f s\n", format.samplesPerSec, format.channels, produced,
                elapsed);
    return kSeconds / elapsed;
}

}  // namespace

int main()
{
    std::printf("bench-converter: %d s of 16-bit audio to CD format, one core\n", kSeconds);
    const double baseline = TimesRealtime(WaveFormat::Pcm(44100, 2, 16));
    const double fromDat = TimesRealtime(WaveFormat::Pcm(48000, 2, 16));
    const double fromHalfRateMono = TimesRealtime(WaveFormat::Pcm(22050, 1, 16));
    std::printf("baseline 44100 Hz stereo pass-through: %8.1fx realtime\n", baseline);
    std::printf("48000 Hz stereo -> CD:                 %8.1fx realtime (%.3f of baseline)\n", fromDat,
                fromDat / baseline);
    std::printf("22050 Hz mono -> CD:                   %8.1fx realtime (%.3f of baseline)\n", fromHalfRateMono,
                fromHalfRateMono / baseline);
    return fromDat > 0 && fromHalfRateMono > 0 ? 0 : 1;
}
