// quillstar-burn run as the user runs it, burning to the image recorder and,
// through SG_IO, to the test drive.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <fileref.h>
#include <sndfile.h>
#include <sys/file.h>
#include <tag.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "AudioFixtures.h"
#include "BurnProcess.h"
#include "decode/AudioTrackSource.h"
#include "platform/ProgramPath.h"
#include "platform/aspi/CdTextPack.h"
#include "resources/BurnExitCodes.h"
#include "resources/ImageRecorderTexts.h"
#include "tests/platform/aspi/SgTestDrive.h"
#include "tests/recorder/ImageRig.h"
#include "tracklist/Serializer.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr size_t kSectorSize = 2352;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// quillstar-burn's only drive is the test drive, reached through SG_IO and
// burning into the image with the image recorder's test options.
std::map<std::string, std::string> TestDrive(const std::string& image, const std::string& options = "")
{
    return {{"LD_PRELOAD", ProgramDirectory() + "/libquillstar-test-drive.so"},
            {aspi::kDrivesVariable, kTestDrivePath},
            {kTestDriveImageVariable, image},
            {kTestDriveOptionsVariable, options}};
}

class QuillstarBurn : public ::testing::Test {
protected:
    // `options` are the image recorder's test options; `environment` more variables.
    std::unique_ptr<BurnProcess> Start(const std::vector<std::string>& arguments, const std::string& options = "",
                                       std::map<std::string, std::string> environment = {})
    {
        if (!options.empty())
            environment["QUILLSTAR_IMAGE_RECORDER_OPTIONS"] = options;
        return std::make_unique<BurnProcess>(arguments, environment, folder_.File("out.txt"), folder_.File("err.txt"));
    }

    // Waits up to a minute until the program's output ("out.txt" or
    // "err.txt") holds the text.
    bool WaitForOutput(const char* file, const std::string& text) const
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (ReadText(folder_.File(file)).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    Outcome Finish(BurnProcess& process, std::chrono::milliseconds limit = 120s)
    {
        return {process.Wait(limit).exitCode, ReadText(folder_.File("out.txt")), ReadText(folder_.File("err.txt"))};
    }

    Outcome Run(const std::vector<std::string>& arguments, const std::string& options = "",
                const std::map<std::string, std::string>& environment = {})
    {
        return Finish(*Start(arguments, options, environment));
    }

    std::string Wav(const std::string& name, int rate, int channels, int bits, double seconds)
    {
        const std::string path = folder_.File(name);
        EXPECT_TRUE(WriteWav(path, rate, channels, bits, static_cast<int64_t>(seconds * rate)));
        return path;
    }

    std::string Mp3(const std::string& name, int rate, int channels, double seconds,
                    const std::vector<std::string>& options)
    {
        const std::string wav = Wav(name + ".wav", rate, channels, 16, seconds);
        return HaveProgram("lame") && EncodeMp3(wav, folder_.File(name), options) ? folder_.File(name) : "";
    }

    std::string Image() const { return folder_.File("disc.bin"); }

    TemporaryFolder folder_;
};

}  // namespace

TEST_F(QuillstarBurn, BadUsageAndNoRecorderExitWithTheirCodesAndNameTheProblem)
{
    const std::string wav = Wav("a.wav", 44100, 2, 16, 1.0);
    ASSERT_TRUE(WriteFileBytes(folder_.File("truncated.tlm"), {2, 0, 0, 0, 1, 'a'}));
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string error;
    };
    for (const Case& c :
         {Case{{}, cli::kExitUsage, ""}, Case{{"--frobnicate", "a.wav"}, cli::kExitUsage, ""},
          Case{{"--device", "x", "a.wav"}, cli::kExitUsage, ""},
          Case{
              {"--image-recorder", Image(), folder_.File("missing.wav")}, cli::kExitUsage, folder_.File("missing.wav")},
          Case{{"--image-recorder", folder_.File("no/such/disc.bin"), wav}, cli::kExitUsage, "does not exist"},
          Case{{"--show", "--list", folder_.File("truncated.tlm")}, cli::kExitUsage, folder_.File("truncated.tlm")},
          Case{{wav}, cli::kExitNoRecorder, "no CD recorder"}}) {
        const Outcome outcome = Run(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.error;
        EXPECT_NE(outcome.err.find(c.error), std::string::npos) << outcome.err;
    }
    // A damaged list is one line.
    const Outcome damaged = Run({"--show", "--list", folder_.File("truncated.tlm")});
    EXPECT_EQ(damaged.err.find('\n'), damaged.err.size() - 1) << damaged.err;
    // A recorder the layer had to leave out is named with its reason.
    const Outcome leftOut = Run({"--devices"}, "", {{"QUILLSTAR_IMAGE_RECORDER", "/no/such/folder/disc.bin"}});
    EXPECT_EQ(leftOut.exitCode, cli::kExitNoRecorder);
    EXPECT_NE(leftOut.err.find("left out /no/such/folder/disc.bin: cannot write into"), std::string::npos)
        << leftOut.err;
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--image-recorder"), std::string::npos);
}

TEST_F(QuillstarBurn, ShowPrintsTheRowsAndTheTotalsLineAndDevicesTheImageRecorder)
{
    CSerializer list;
    list.AddTrackInfo("Stored Title", 225, "/gone/away.mp3");
    ASSERT_EQ(list.SaveFile(folder_.File("list.tlm")), "");
    const Outcome shown = Run({"--show", "--list", folder_.File("list.tlm"), Wav("Second Song.wav", 44100, 2, 16, 3)});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    for (const char* text : {"01  Stored Title", "03:45", "02  Second Song", "00:03", "03:50 - 2 Tracks"})
        EXPECT_NE(shown.out.find(text), std::string::npos) << text << " in " << shown.out;

    // A list without tracks shows its empty totals, and is no list to burn.
    ASSERT_EQ(CSerializer().SaveFile(folder_.File("list.tlm")), "");
    const Outcome empty = Run({"--show", "--list", folder_.File("list.tlm")});
    EXPECT_EQ(empty.exitCode, 0) << empty.err;
    EXPECT_EQ(empty.out, "00:00 - 0 Track\n");
    EXPECT_EQ(Run({"--list", folder_.File("list.tlm"), "--image-recorder", Image()}).exitCode, cli::kExitUsage);

    const Outcome devices = Run({"--devices", "--image-recorder", Image()});
    EXPECT_EQ(devices.exitCode, 0) << devices.err;
    EXPECT_NE(devices.out.find("QUILLSTR IMAGE RECORDER"), std::string::npos) << devices.out;
    EXPECT_NE(devices.out.find("48x"), std::string::npos);
}

// One file of every kind a burn takes, made with FFmpeg from tones of a
// different pitch on each channel, burned in one run. Each track holds
// exactly the length the file was timed at, rounded up to whole sectors,
// and from its first sample on either the source's samples (lossless files
// at CD rate) or FFmpeg's own decode of the file (mixed down to stereo and
// resampled to 44100 Hz with libsoxr, cut at the encoded length): the same
// length to a sample and at least 60 dB above the difference.
TEST_F(QuillstarBurn, BurnsEveryKindOfMusicFileWithItsExactLength)
{
    if (!HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is not installed (scripts/install-deps installs it)";
    struct Kind {
        std::string name;
        int rate;
        int channels;
        std::vector<std::string> encoding;
        bool lossless;  // at CD rate, 16 bits, stereo: the very samples
    };
    const std::vector<Kind> kinds = {
        {"cd.flac", 44100, 2, {"-c:a", "flac"}, true},
        {"deep.flac", 96000, 2, {"-c:a", "flac", "-sample_fmt", "s32"}, false},
        {"surround.flac", 44100, 6, {"-c:a", "flac"}, false},
        {"vorbis.ogg", 44100, 2, {"-c:a", "libvorbis"}, false},
        {"voice.opus", 48000, 2, {"-c:a", "libopus", "-b:a", "160k"}, false},
        {"cd.aiff", 44100, 2, {}, true},
        {"aac.m4a", 44100, 2, {"-c:a", "aac", "-b:a", "256k"}, false},
        {"alac.m4a", 44100, 2, {"-c:a", "alac"}, true},
        {"cd.wav", 44100, 2, {}, true},
        {"wma.wma", 44100, 2, {"-c:a", "wmav2", "-b:a", "192k"}, false},
        {"lame.mp3", 44100, 2, {"-c:a", "libmp3lame", "-b:a", "256k"}, false},
        {"flac-named.mp3", 44100, 2, {"-c:a", "flac", "-f", "flac"}, true},
        {"mp3-named.flac", 44100, 2, {"-c:a", "libmp3lame", "-f", "mp3"}, false},
    };
    // 202860 frames at 44100 Hz: the WMA encoder's 2048-frame blocks cover
    // them with little to spare.
    constexpr double kSeconds = 4.6;
    const auto ffmpeg = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"ffmpeg", "-v", "error", "-y"});
        return RunProgram(arguments);
    };
    std::vector<std::string> arguments = {"--image-recorder", folder_.File("disc.bin")};
    for (const Kind& kind : kinds) {
        std::string tones;
        for (int c = 0; c < kind.channels; ++c)
            tones += (c ? "|" : "") + std::string("0.4*sin(2*PI*") + std::to_string(330 + 110 * c) + "*t)";
        const std::string source = folder_.File(kind.name + ".wav");
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i",
                            "aevalsrc=" + tones + ":s=" + std::to_string(kind.rate) + ":d=" + std::to_string(kSeconds),
                            "-c:a", kind.name == "deep.flac" ? "pcm_s24le" : "pcm_s16le", source}));
        std::vector<std::string> encode = {"-i", source};
        encode.insert(encode.end(), kind.encoding.begin(), kind.encoding.end());
        encode.push_back(folder_.File(kind.name));
        ASSERT_TRUE(ffmpeg(encode)) << kind.name;
        arguments.push_back(folder_.File(kind.name));
    }
    const std::string text = folder_.File("notes.flac");
    ASSERT_TRUE(WriteText(text, "notes\n"));
    arguments.push_back(text);

    const Outcome outcome = Run(arguments);
    ASSERT_EQ(outcome.exitCode, cli::kExitIncomplete) << outcome.out << outcome.err;
    EXPECT_NE(outcome.err.find(text), std::string::npos) << "the text file is not named: " << outcome.err;
    const BurnedDisc disc = ReadBurnedDisc(folder_.File("disc.bin"), folder_.File("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), kinds.size());

    for (size_t i = 0; i < kinds.size(); ++i) {
        const Kind& kind = kinds[i];
        const std::string path = folder_.File(kind.name);
        const std::vector<uint8_t>& track = disc.tracks[i].audio;
        AudioTrackSource timing;
        timing.AddTrack(path);
        const auto bytes = static_cast<size_t>(timing.GetTrackBytes(0));
        EXPECT_EQ(track.size(), (bytes + kSectorSize - 1) / kSectorSize * kSectorSize) << kind.name;
        const std::string raw = path + ".raw";
        const std::string decoded = kind.lossless ? path + ".wav" : path;
        ASSERT_TRUE(
            ffmpeg({"-i", decoded, "-ac", "2", "-af", "aresample=resampler=soxr", "-ar", "44100", "-f", "s16le", raw}));
        std::vector<uint8_t> reference = ReadFileBytes(raw);
        const auto encodedBytes = static_cast<size_t>(std::lround(kSeconds * 44100)) * 4;
        reference.resize(std::min(reference.size(), encodedBytes));
        if (kind.lossless) {
            EXPECT_EQ(bytes, reference.size()) << kind.name;
            EXPECT_TRUE(std::equal(reference.begin(), reference.end(), track.begin())) << kind.name << " changed";
            continue;
        }
        EXPECT_LE(std::abs(static_cast<long>(bytes / 4) - static_cast<long>(reference.size() / 4)), 1) << kind.name;
        EXPECT_LE(std::abs(static_cast<long>(encodedBytes) - static_cast<long>(bytes)), kSectorSize) << kind.name;
        double signal = 0, noise = 0;
        for (size_t at = 0; at + 1 < std::min(reference.size(), track.size()); at += 2) {
            const double want = static_cast<int16_t>(reference[at] | reference[at + 1] << 8);
            const double got = static_cast<int16_t>(track[at] | track[at + 1] << 8);
            signal += want * want;
            noise += (want - got) * (want - got);
        }
        EXPECT_GE(10 * std::log10(signal / std::max(noise, 1.0)), 60.0) << kind.name;
    }

    // A CUE sheet reader of its own splits the image into the same audio.
    if (!HaveProgram("bchunk"))
        return;
    ASSERT_TRUE(RunProgram({"bchunk", "-w", Image(), folder_.File("disc.cue"), folder_.File("split")}));
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "split%02zu.wav", i + 1);
        const std::vector<uint8_t> wav = ReadFileBytes(folder_.File(name));
        ASSERT_GT(wav.size(), 44u) << name;
        EXPECT_TRUE(std::vector<uint8_t>(wav.begin() + 44, wav.end()) == disc.tracks[i].audio) << name;
    }
}

TEST_F(QuillstarBurn, VerifyPrintsEveryTrackAndExitsSixteenWhenTheDiscDiffers)
{
    const std::string wav = Wav("a.wav", 44100, 2, 16, 5.0);
    const std::vector<std::string> burn = {"--verify", "--image-recorder", folder_.File("disc.bin"), wav, wav};
    const Outcome verified = Run(burn, "read-offset=-30");
    EXPECT_EQ(verified.exitCode, cli::kExitBurned) << verified.out << verified.err;
    EXPECT_NE(verified.out.find("Verified: all 2 tracks match the music files.\nRead offset of the drive: -30 samples\n"
                                "Track 01: verified\nTrack 02: verified\n"),
              std::string::npos)
        << verified.out;

    // Track 2 starts at sector 525; sector 825 is 4 seconds into it.
    const char* damaged = "read-corrupt=825";
    const Outcome differs = Run(burn, damaged);
    EXPECT_EQ(differs.exitCode, 16) << differs.out << differs.err;
    EXPECT_NE(differs.out.find("Verification failed: track 02 differs at 00:04 (1 second differs).\n"),
              std::string::npos);
    EXPECT_NE(differs.out.find("Track 01: verified\nTrack 02: differs at 00:04 (1 second differs)\n"),
              std::string::npos);
    EXPECT_EQ(differs.out.find("Congratulations"), std::string::npos);

    const Outcome unverified = Run({"--image-recorder", Image(), wav, wav}, damaged);
    EXPECT_EQ(unverified.exitCode, cli::kExitBurned) << "--no-verify is the default";
    EXPECT_EQ(unverified.out.find("Verif"), std::string::npos);
}

TEST_F(QuillstarBurn, WriterResultsBecomeExitCodesAndSkippedFilesAreNamed)
{
    const std::string wav = Wav("a.wav", 44100, 2, 16, 5.0);
    const std::string silent = folder_.File("nothing.ogg");
    ASSERT_TRUE(WriteText(silent, "OggS"));
    struct Case {
        std::vector<std::string> files;
        std::string options;
        int exitCode;
        size_t tracks;
    };
    for (const Case& c : {Case{{wav}, "media=cdrw", cli::kExitResultBase + 2, 0},
                          Case{{wav}, "disc=appendable", cli::kExitResultBase + 2, 0},
                          Case{{wav}, "disc=none", cli::kExitResultBase + 2, 0},
                          Case{{Wav("long.wav", 8000, 1, 16, 61.0)}, "minutes=1", cli::kExitResultBase + 1, 0},
                          Case{{silent}, "", cli::kExitResultBase + 4, 0},
                          Case{{wav, wav}, "close-session-fails", cli::kExitResultBase + 5, 0},
                          Case{{wav, silent, wav}, "", cli::kExitIncomplete, 2}}) {
        SCOPED_TRACE(c.options + " " + std::to_string(c.files.size()) + " files");
        std::vector<std::string> arguments = {"--image-recorder", Image()};
        arguments.insert(arguments.end(), c.files.begin(), c.files.end());
        const Outcome outcome = Run(arguments, c.options);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(fs::exists(Image()), c.tracks > 0);
        if (c.options == "close-session-fails") {
            EXPECT_EQ(outcome.out.find("Congratulations"), std::string::npos);
            EXPECT_NE(outcome.out.find("The burning process failed, the audio CD is not completed."),
                      std::string::npos);
            EXPECT_NE(outcome.err.find("CLOSE SESSION refused by the drive: sense 3/72/00"), std::string::npos);
        }
        if (c.tracks > 0) {
            EXPECT_EQ(ReadBurnedDisc(Image(), folder_.File("disc.cue")).tracks.size(), c.tracks);
            EXPECT_NE(outcome.err.find(silent), std::string::npos) << outcome.err;
        }
    }
}

TEST_F(QuillstarBurn, CtrlCStopsTheBurnAndLeavesNoImage)
{
    const std::string wav = Wav("long.wav", 44100, 2, 16, 40.0);
    // The stopped track is still closed, which waits for the drive to empty
    // its buffer: a small buffer keeps that wait short.
    auto process = Start({"--image-recorder", Image(), wav}, "throttle,current-write-speed=706,buffer-kb=256");
    ASSERT_TRUE(WaitForOutput("out.txt", "Writing"));
    process->Interrupt();
    const Outcome outcome = Finish(*process, 60s);
    EXPECT_EQ(outcome.exitCode, cli::kExitStopped) << outcome.out << outcome.err;
    EXPECT_FALSE(fs::exists(Image()));
    EXPECT_FALSE(fs::exists(folder_.File("disc.cue")));
}

TEST_F(QuillstarBurn, SpeedTestWriteAndCopies)
{
    const std::string wav = Wav("a.wav", 44100, 2, 16, 4.0);
    // The fastest speed by default; --speed takes the nearest not above it.
    struct SpeedCase {
        std::vector<std::string> arguments;
        const char* options;
        const char* said;
    };
    for (const SpeedCase& speed :
         {SpeedCase{{}, "", "Writing at 48x"}, SpeedCase{{"--speed", "20"}, "", "Writing at 16x"},
          SpeedCase{{"--speed", "2"}, "", "Writing at 4x"},
          SpeedCase{{}, "set-speed-fails", "The drive refused the chosen speed; writing at its current speed, 48x"}}) {
        std::vector<std::string> arguments = speed.arguments;
        arguments.insert(arguments.end(), {"--image-recorder", Image(), wav});
        const Outcome outcome = Run(arguments, speed.options);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_NE(outcome.err.find(speed.said), std::string::npos) << outcome.err;
        fs::remove(Image());
        fs::remove(folder_.File("disc.cue"));
    }

    // A test write leaves nothing; a recorder without it refuses before writing.
    const Outcome test = Run({"--simulate", "--image-recorder", Image(), wav});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    EXPECT_NE(test.out.find("Test write finished: the audio CD would have burned successfully."), std::string::npos);
    EXPECT_TRUE(folder_.Names() == (std::vector<std::string>{"a.wav", "err.txt", "out.txt"}));
    const Outcome refused = Run({"--simulate", "--image-recorder", Image(), wav}, "no-test-write");
    EXPECT_EQ(refused.exitCode, cli::kExitUsage);
    EXPECT_NE(refused.err.find("cannot do a test write"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(Image()));

    // Three copies: three identical discs.
    const Outcome copies = Run({"--copies", "3", "--image-recorder", Image(), wav});
    EXPECT_EQ(copies.exitCode, 0) << copies.err;
    EXPECT_NE(copies.err.find("3 of 3 copies burned"), std::string::npos) << copies.err;
    const std::vector<uint8_t> first = ReadFileBytes(Image());
    EXPECT_EQ(first.size(), size_t{300} * kSectorSize);
    EXPECT_TRUE(ReadFileBytes(folder_.File("disc-2.bin")) == first);
    EXPECT_TRUE(ReadFileBytes(folder_.File("disc-3.bin")) == first);
}

TEST_F(QuillstarBurn, AStopDuringTheSecondCopyKeepsTheFirst)
{
    const std::string wav = Wav("long.wav", 44100, 2, 16, 20.0);
    auto process =
        Start({"--copies", "2", "--image-recorder", Image(), wav}, "throttle,current-write-speed=706,buffer-kb=256");
    ASSERT_TRUE(WaitForOutput("err.txt", "Writing at 4x\nquillstar-burn: insert a blank CD-R for copy 2 of 2"));
    ASSERT_TRUE(WaitForOutput("err.txt", "copy 2 of 2; waiting for it (Ctrl+C stops)\nquillstar-burn: Writing at"));
    process->Interrupt();
    const Outcome outcome = Finish(*process, 60s);
    EXPECT_EQ(outcome.exitCode, cli::kExitStopped) << outcome.out << outcome.err;
    EXPECT_TRUE(folder_.Names() ==
                (std::vector<std::string>{"disc.bin", "disc.cue", "err.txt", "long.wav", "out.txt"}));
}

// One continuous tone cut into three files inside sectors, each tagged with
// the same artist and album.
TEST_F(QuillstarBurn, ADiscWrittenAtOnceIsGaplessOrPausedAsAskedWithItsTagsAsCdText)
{
    const int rate = 44100;
    const std::vector<int> cuts = {0, rate * 5 + 111, rate * 10 + 333, rate * 15};
    std::vector<int16_t> tone(static_cast<size_t>(cuts.back()) * 2);
    for (size_t at = 0; at < tone.size(); ++at)
        tone[at] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440.0 * double(at / 2) / rate));
    std::vector<std::string> files;
    for (size_t part = 0; part + 1 < cuts.size(); ++part) {
        files.push_back(folder_.File(std::string(1, static_cast<char>('a' + part)) + ".wav"));
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(files.back().c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        sf_writef_short(file, &tone[static_cast<size_t>(cuts[part]) * 2], cuts[part + 1] - cuts[part]);
        sf_close(file);
        TagLib::FileRef tagged(files.back().c_str());
        tagged.tag()->setArtist("Band");
        tagged.tag()->setAlbum("Album");
        ASSERT_TRUE(tagged.save());
    }
    const std::string image = folder_.File("disc.bin");
    std::vector<std::string> arguments = {"--dao", "--pause", "0", "--verify", "--image-recorder", image};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const Outcome gapless = Run(arguments);
    ASSERT_EQ(gapless.exitCode, 0) << gapless.err;
    EXPECT_NE(gapless.out.find("Verified: all 3 tracks match the music files."), std::string::npos) << gapless.out;
    // Sample for sample, then silence to the end of the last sector; each
    // INDEX 01 at the sector its file's first sample is in.
    std::vector<uint8_t> expected(tone.size() * 2);
    std::memcpy(expected.data(), tone.data(), expected.size());
    expected.resize((expected.size() + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
    EXPECT_TRUE(ReadFileBytes(image) == expected);
    const BurnedDisc disc = ReadBurnedDisc(image, folder_.File("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), 3u);
    for (size_t part = 0; part < 2; ++part)
        EXPECT_EQ(disc.tracks[part].audio.size(),
                  size_t(cuts[part + 1] * 4 / kSectorSize - cuts[part] * 4 / kSectorSize) * kSectorSize);
    const std::vector<uint8_t> cdt = ReadFileBytes(folder_.File("disc.cdt"));
    std::vector<CdTextPack> packs(cdt.size() / 18);
    for (size_t at = 0; at < packs.size(); ++at) {
        std::copy_n(cdt.begin() + 4 + static_cast<ptrdiff_t>(at * 18), 18, packs[at].bytes.begin());
        EXPECT_TRUE(packs[at].HasValidCrc());
    }
    EXPECT_EQ(CdTextPack::Texts(packs, CdTextPack::kTitle), (std::vector<std::string>{"Album", "a", "b", "c"}));
    EXPECT_EQ(CdTextPack::Texts(packs, CdTextPack::kPerformer), std::vector<std::string>(4, "Band"));
    EXPECT_TRUE(RunProgram({"sh", "-c", "cd " + folder_.Path() + " && cdrdao toc-size disc.cue"}));

    // A 1.2-second pause is 90 frames of digital silence before each later track.
    arguments[2] = "1.2";
    arguments.insert(arguments.begin(), {"--title", "Mine"});
    const Outcome paused = Run(arguments);
    ASSERT_EQ(paused.exitCode, 0) << paused.err;
    const std::vector<uint8_t> second = ReadFileBytes(folder_.File("disc-2.bin"));
    const BurnedDisc pausedDisc = ReadBurnedDisc(folder_.File("disc-2.bin"), folder_.File("disc-2.cue"));
    ASSERT_EQ(pausedDisc.tracks.size(), 3u);
    size_t start = 0;
    for (size_t part = 0; part < 3; ++part) {
        start += size_t(pausedDisc.tracks[part].pauseSectors) * kSectorSize;
        EXPECT_EQ(pausedDisc.tracks[part].pauseSectors, part == 0 ? 0 : 90);
        EXPECT_TRUE(std::all_of(second.begin() + ptrdiff_t(start - pausedDisc.tracks[part].pauseSectors * kSectorSize),
                                second.begin() + ptrdiff_t(start), [](uint8_t byte) { return byte == 0; }));
        start += pausedDisc.tracks[part].audio.size();
    }
    EXPECT_EQ(ReadText(folder_.File("disc-2.cue")).rfind("TITLE \"Mine\"\n", 0), 0u);

    // A test write at once leaves the disc blank.
    const Outcome test = Run({"--simulate", "--dao", "--image-recorder", folder_.File("test.bin"), files[0]});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    EXPECT_FALSE(fs::exists(folder_.File("test.bin")));
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"--dao", "--pause", "10.01", files[0]}, {"--pause", "1", files[0]}}) {
        const Outcome outcome = Run(refused);
        EXPECT_EQ(outcome.exitCode, cli::kExitUsage);
        EXPECT_NE(outcome.err.find("--pause"), std::string::npos) << outcome.err;
    }
}

TEST_F(QuillstarBurn, BurnsThroughSgIoWhatTheImageRecorderBurns)
{
    const std::string first = Wav("a.wav", 44100, 2, 16, 5.0);
    const std::string second = Wav("b.wav", 22050, 1, 16, 4.5);
    for (const char* folder : {"reference", "reference-dao", "dao"})
        fs::create_directory(folder_.File(folder));
    ASSERT_EQ(Run({"--image-recorder", folder_.File("reference/disc.bin"), first, second}).exitCode, 0);

    struct Case {
        const char* options;
        int exitCode;
        const char* failure;
    };
    // A full drive buffer (NOT READY, long write in progress) is waited for
    // and a WRITE that timed out once is sent again; WRITEs the drive keeps
    // refusing or never answers fail the burn.
    const std::vector<Case> cases = {
        {"", 0, nullptr},
        {"write-fail-sense=2/04/08,write-fails=5,write-fails-at=3", 0, nullptr},
        {"write-times-out=1,write-times-out-at=3", 0, nullptr},
        {"write-fails=100000,write-fails-at=5", cli::kExitNotCompleted, "WRITE refused by the drive: sense 3/0C/00"},
        {"write-times-out=100000,write-times-out-at=5", cli::kExitNotCompleted, "WRITE got no answer from the drive"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].options);
        const std::string folder = folder_.File("case" + std::to_string(i));
        fs::create_directory(folder);
        const Outcome outcome = Run({"--verify", first, second}, "", TestDrive(folder + "/disc.bin", cases[i].options));
        EXPECT_EQ(outcome.exitCode, cases[i].exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(fs::exists(folder + "/disc.cue"), cases[i].failure == nullptr);
        if (cases[i].failure != nullptr) {
            EXPECT_NE(outcome.out.find("The burning process failed, the audio CD is not completed."),
                      std::string::npos);
            EXPECT_NE(outcome.err.find(cases[i].failure), std::string::npos) << outcome.err;
        } else {
            EXPECT_NE(outcome.out.find("Verified: all 2 tracks match the music files."), std::string::npos);
            for (const char* file : {"/disc.bin", "/disc.cue"})
                EXPECT_TRUE(ReadFileBytes(folder + file) == ReadFileBytes(folder_.File("reference") + file)) << file;
        }
    }
    // A disc written at once (cue sheet, CD-TEXT) comes out the same too.
    ASSERT_EQ(Run({"--dao", "--image-recorder", folder_.File("reference-dao/disc.bin"), first, second}).exitCode, 0);
    EXPECT_EQ(Run({"--dao", "--verify", first, second}, "", TestDrive(folder_.File("dao/disc.bin"))).exitCode, 0);
    for (const char* file : {"/disc.bin", "/disc.cue", "/disc.cdt"}) {
        EXPECT_TRUE(ReadFileBytes(folder_.File("dao") + file) == ReadFileBytes(folder_.File("reference-dao") + file))
            << file;
    }
    // The drive is found again after every burn.
    const Outcome devices = Run({"--devices"}, "", TestDrive(Image()));
    EXPECT_NE(devices.out.find("0  QUILLSTR IMAGE RECORDER"), std::string::npos) << devices.out << devices.err;
}

TEST_F(QuillstarBurn, ADriveAnotherProgramHoldsIsNotTouched)
{
    const std::string wav = Wav("a.wav", 44100, 2, 16, 5.0);
    // This process plays the other program, the test drive loaded into it
    // for the rest of the run.
    void* drive = dlopen((ProgramDirectory() + "/libquillstar-test-drive.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(drive, nullptr) << dlerror();
    const auto openDrive = reinterpret_cast<int (*)(const char*, int, ...)>(dlsym(drive, "open"));
    const auto closeDrive = reinterpret_cast<int (*)(int)>(dlsym(drive, "close"));
    setenv(kTestDriveImageVariable, Image().c_str(), 1);
    // Opened exclusively, as a mount does, or only locked with flock(), as
    // other burners do.
    for (const bool exclusive : {true, false}) {
        SCOPED_TRACE(exclusive ? "O_EXCL" : "flock");
        const int descriptor = openDrive(kTestDrivePath, O_RDWR | O_NONBLOCK | (exclusive ? O_EXCL : 0));
        ASSERT_GE(descriptor, 0);
        ASSERT_TRUE(exclusive || flock(descriptor, LOCK_EX | LOCK_NB) == 0);
        const Outcome outcome = Run({wav}, "", TestDrive(Image()));
        EXPECT_EQ(outcome.exitCode, cli::kExitNotCompleted) << outcome.out << outcome.err;
        EXPECT_NE(outcome.out.find("The CD-R/RW drive is in use by another program."), std::string::npos);
        EXPECT_EQ(outcome.out.find("Writing"), std::string::npos) << outcome.out;
        closeDrive(descriptor);
    }
    unsetenv(kTestDriveImageVariable);
    EXPECT_EQ(Run({wav}, "", TestDrive(Image())).exitCode, 0);
    EXPECT_TRUE(fs::exists(Image()));
}

// Without its decoder plug-ins the program cannot read MP3 files: they are
// skipped and named, never burned as silence, and the rest is burned whole.
TEST_F(QuillstarBurn, WithoutItsDecodersAnMp3IsSkippedAndNamed)
{
    const fs::path program = folder_.File("program");
    fs::create_directories(program);
    for (const char* file : {"quillstar-burn", "libwnaspi32.so", "libquillstar_platform.so"})
        fs::copy_file(fs::path(ProgramDirectory()) / file, program / file);
    const std::string wav = Wav("whole.wav", 44100, 2, 16, 4.0);
    const std::string mp3 = Mp3("song.mp3", 44100, 2, 5.0, {"-b", "128"});
    ASSERT_FALSE(mp3.empty());
    BurnProcess process({"--image-recorder", Image(), mp3, wav}, {}, folder_.File("out.txt"), folder_.File("err.txt"),
                        (program / "quillstar-burn").string());
    EXPECT_EQ(process.Wait(120s).exitCode, cli::kExitIncomplete);
    const std::string err = ReadText(folder_.File("err.txt"));
    EXPECT_NE(err.find("skipped track 01 \"" + mp3 + "\": the file could not be opened for decoding"),
              std::string::npos)
        << err;
    const BurnedDisc disc = ReadBurnedDisc(Image(), folder_.File("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), 1u);
    EXPECT_EQ(disc.tracks[0].audio.size(), size_t{300} * kSectorSize);
}
