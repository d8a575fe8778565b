// Measures how many times faster than real time the track source delivers a
// one-minute track of each kind the burn takes, read block by block as the
// disc writer reads it, against the same file decoded by its own decoder
// library alone in the same run. The ratio is what the decode engine (its
// threads, hand-off and conversion) costs on top of the decoding itself.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "DecodeFixtures.h"
#include "decode/AudioTrackSource.h"
#include "decode/LibavDecoder.h"
#include "resources/CdAudio.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

constexpr int kSeconds = 60;
constexpr int kRounds = 3;

// The best wall-clock time of a few rounds.
double BestSeconds(const std::function<void()>& work)
{
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void ReadThroughTrackSource(const std::string& path)
{
    AudioTrackSource source;
    source.AddTrack(path);
    source.OpenTrack(0);
    std::vector<uint8_t> buffer(cd::kBlockSize);
    for (int length = cd::kBlockSize; source.ReadAudio(buffer.data(), length); length = cd::kBlockSize) {
    }
    source.FinishBurn();
}

void Report(const char* kind, const std::string& path, const std::function<void()>& decodeAlone)
{
    const double alone = BestSeconds(decodeAlone);
    const double throughSource = BestSeconds([&] { ReadThroughTrackSource(path); });
    std::printf("%-28s decoder alone %6.1fx realtime, track source %6.1fx realtime, ratio %.2f\n", kind,
                kSeconds / alone, kSeconds / throughSource, alone / throughSource);
}

}  // namespace

int main()
{
    ScanPluginsOnce();
    FixtureFolder folder;
    const std::string wav = folder.PathOf("minute.wav");
    const std::string mp3 = folder.PathOf("minute.mp3");
    const std::string wma = folder.PathOf("minute.wma");
    if (!WriteWav(wav, 44100, 2, 16, 44100 * kSeconds)) {
        std::fprintf(stderr, "could not write %s\n", wav.c_str());
        return 1;
    }
    Report("WAV 44100 Hz stereo", wav, [&] { ReadWavSamples(wav); });
    if (EncodeMp3(wav, mp3, {"-b", "192"}))
        Report("MP3 192 kbit/s (plug-in)", mp3, [&] { DecodeWithMpg123(mp3); });
    else
        std::printf("MP3: lame is not installed, skipped\n");
    if (MakeWma(wma, 44100, 2, 44100 * kSeconds / 1024))
        Report("WMA 128 kbit/s (FFmpeg)", wma, [&] { LibavDecoder::DecodedSeconds(wma); });
    else
        std::printf("WMA: GStreamer's WMA encoder is not installed, skipped\n");
    // libsndfile alone reads the whole file, as 16-bit samples in its own
    // rate; the track source reads Opus as floats and resamples it.
    const std::string flac = folder.PathOf("minute.flac");
    const std::string opus = folder.PathOf("minute.opus");
    if (RunProgram({"ffmpeg", "-v", "error", "-i", wav, flac}) &&
        RunProgram({"ffmpeg", "-v", "error", "-i", wav, "-b:a", "160k", opus})) {
        Report("FLAC 44100 Hz stereo", flac, [&] { ReadWavSamples(flac); });
        Report("Opus 160 kbit/s 48000 Hz", opus, [&] { ReadWavSamples(opus); });
    } else {
        std::printf("FLAC, Opus: ffmpeg is not installed, skipped\n");
    }
    return 0;
}
