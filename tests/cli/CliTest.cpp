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
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "AudioFixtures.h"
#include "BurnProcess.h"
#include "DecodeFixtures.h"
#include "decode/AudioTrackSource.h"
#include "platform/ProgramPath.h"
#include "platform/aspi/CdTextPack.h"
#include "resources/BurnExitCodes.h"
#include "resources/ImageRecorderTexts.h"
#include "tests/platform/aspi/SgTestDrive.h"
#include "tests/recorder/BurnedDisc.h"
#include "tracklist/Serializer.h"

using namespace quillstar;
using namespace quillstar::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int kSectorSize = 2352;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// quillstar-burn with its output kept in the fixture folder.
class Burn {
public:
    Burn(const FixtureFolder& folder, const std::vector<std::string>& arguments,
         const std::map<std::string, std::string>& environment = {})
        : outPath_(folder.PathOf("out.txt")),
          errPath_(folder.PathOf("err.txt")),
          process_(arguments, environment, outPath_, errPath_)
    {
    }

    void Interrupt() const { process_.Interrupt(); }
    std::string OutputSoFar() const { return ReadText(outPath_); }
    // Waits up to a minute until the program's error output holds the text.
    bool WaitForError(const std::string& text) const
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (ReadText(errPath_).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    Outcome Wait(std::chrono::milliseconds limit = 120s)
    {
        Outcome outcome;
        outcome.exitCode = process_.Wait(limit).exitCode;
        outcome.out = ReadText(outPath_);
        outcome.err = ReadText(errPath_);
        return outcome;
    }

private:
    std::string outPath_;
    std::string errPath_;
    BurnProcess process_;
};

Outcome RunBurn(const FixtureFolder& folder, const std::vector<std::string>& arguments,
                const std::map<std::string, std::string>& environment = {})
{
    Burn burn(folder, arguments, environment);
    return burn.Wait();
}

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
    FixtureFolder folder_;

    std::string Wav(const std::string& name, int rate, int channels, double seconds)
    {
        const std::string path = folder_.PathOf(name);
        EXPECT_GT(WriteTestWav(path, rate, channels, seconds), 0);
        return path;
    }
};

}  // namespace

TEST_F(QuillstarBurn, BadUsageExitsWithTwoAndNamesTheProblem)
{
    EXPECT_EQ(RunBurn(folder_, {}).exitCode, cli::kExitUsage);
    EXPECT_EQ(RunBurn(folder_, {"--frobnicate", "a.wav"}).exitCode, cli::kExitUsage);
    EXPECT_EQ(RunBurn(folder_, {"--device", "x", "a.wav"}).exitCode, cli::kExitUsage);

    const Outcome help = RunBurn(folder_, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--image-recorder"), std::string::npos);

    const std::string missing = folder_.PathOf("missing.wav");
    const Outcome noFile = RunBurn(folder_, {"--image-recorder", folder_.PathOf("disc.bin"), missing});
    EXPECT_EQ(noFile.exitCode, cli::kExitUsage);
    EXPECT_NE(noFile.err.find(missing), std::string::npos);

    const std::string wav = Wav("a.wav", 44100, 2, 1.0);
    const Outcome badFolder = RunBurn(folder_, {"--image-recorder", folder_.PathOf("no/such/disc.bin"), wav});
    EXPECT_EQ(badFolder.exitCode, cli::kExitUsage);
    EXPECT_NE(badFolder.err.find("does not exist"), std::string::npos);
}

TEST_F(QuillstarBurn, ADamagedListIsRefusedWithItsReason)
{
    const std::string path = folder_.PathOf("truncated.tlm");
    WriteFileBytes(path, {2, 0, 0, 0, 1, 'a'});
    const Outcome outcome = RunBurn(folder_, {"--show", "--list", path});
    EXPECT_EQ(outcome.exitCode, cli::kExitUsage);
    EXPECT_NE(outcome.err.find(path), std::string::npos);
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one line: " << outcome.err;
}

TEST_F(QuillstarBurn, ShowPrintsTheRowsAndTheTotalsLine)
{
    CSerializer list;
    list.AddTrackInfo("Stored Title", 225, "/gone/away.mp3");
    const std::string listPath = folder_.PathOf("list.tlm");
    ASSERT_EQ(list.SaveFile(listPath), "");
    const std::string wav = Wav("Second Song.wav", 44100, 2, 3.0);
    const Outcome outcome = RunBurn(folder_, {"--show", "--list", listPath, wav});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("01  Stored Title"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("03:45"), std::string::npos);
    EXPECT_NE(outcome.out.find("02  Second Song"), std::string::npos);
    EXPECT_NE(outcome.out.find("00:03"), std::string::npos);
    EXPECT_NE(outcome.out.find("03:50 - 2 Tracks"), std::string::npos);

    // A list without tracks shows its empty totals, and is no list to burn.
    ASSERT_EQ(CSerializer().SaveFile(listPath), "");
    const Outcome empty = RunBurn(folder_, {"--show", "--list", listPath});
    EXPECT_EQ(empty.exitCode, 0) << empty.err;
    EXPECT_EQ(empty.out, "00:00 - 0 Track\n");
    EXPECT_EQ(RunBurn(folder_, {"--list", listPath, "--image-recorder", folder_.PathOf("disc.bin")}).exitCode,
              cli::kExitUsage);
}

TEST_F(QuillstarBurn, NoRecorderExitsWithThree)
{
    const std::string wav = Wav("a.wav", 44100, 2, 1.0);
    const Outcome outcome = RunBurn(folder_, {wav});
    EXPECT_EQ(outcome.exitCode, cli::kExitNoRecorder);
    EXPECT_NE(outcome.err.find("no CD recorder"), std::string::npos);

    // A recorder the layer had to leave out is named with its reason.
    const Outcome leftOut = RunBurn(folder_, {"--devices"}, {{"QUILLSTAR_IMAGE_RECORDER", "/no/such/folder/disc.bin"}});
    EXPECT_EQ(leftOut.exitCode, cli::kExitNoRecorder);
    EXPECT_NE(leftOut.err.find("left out /no/such/folder/disc.bin: cannot write into"), std::string::npos)
        << leftOut.err;
}

TEST_F(QuillstarBurn, ListsTheImageRecorder)
{
    const Outcome outcome = RunBurn(folder_, {"--devices", "--image-recorder", folder_.PathOf("disc.bin")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("QUILLSTR IMAGE RECORDER"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("48x"), std::string::npos);
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
    std::vector<std::string> arguments = {"--image-recorder", folder_.PathOf("disc.bin")};
    for (const Kind& kind : kinds) {
        std::string tones;
        for (int c = 0; c < kind.channels; ++c)
            tones += (c ? "|" : "") + std::string("0.4*sin(2*PI*") + std::to_string(330 + 110 * c) + "*t)";
        const std::string source = folder_.PathOf(kind.name + ".wav");
        ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i",
                            "aevalsrc=" + tones + ":s=" + std::to_string(kind.rate) + ":d=" + std::to_string(kSeconds),
                            "-c:a", kind.name == "deep.flac" ? "pcm_s24le" : "pcm_s16le", source}));
        std::vector<std::string> encode = {"-i", source};
        encode.insert(encode.end(), kind.encoding.begin(), kind.encoding.end());
        encode.push_back(folder_.PathOf(kind.name));
        ASSERT_TRUE(ffmpeg(encode)) << kind.name;
        arguments.push_back(folder_.PathOf(kind.name));
    }
    const std::string text = folder_.PathOf("notes.flac");
    WriteFileBytes(text, {'n', 'o', 't', 'e', 's', '\n'});
    arguments.push_back(text);

    const Outcome outcome = RunBurn(folder_, arguments);
    ASSERT_EQ(outcome.exitCode, cli::kExitIncomplete) << outcome.out << outcome.err;
    EXPECT_NE(outcome.err.find(text), std::string::npos) << "the text file is not named: " << outcome.err;
    const BurnedDisc disc = ReadBurnedDisc(folder_.PathOf("disc.bin"), folder_.PathOf("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), kinds.size());

    for (size_t i = 0; i < kinds.size(); ++i) {
        const Kind& kind = kinds[i];
        const std::string path = folder_.PathOf(kind.name);
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
}

TEST_F(QuillstarBurn, WriterResultsBecomeExitCodes)
{
    const std::string wav = Wav("a.wav", 44100, 2, 5.0);
    const std::map<std::string, int> cases = {
        {"media=cdrw", cli::kExitResultBase + 2},
        {"disc=appendable", cli::kExitResultBase + 2},
        {"disc=none", cli::kExitResultBase + 2},
    };
    for (const auto& [options, expected] : cases) {
        const Outcome outcome = RunBurn(folder_, {"--image-recorder", folder_.PathOf("disc.bin"), wav},
                                        {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", options}});
        EXPECT_EQ(outcome.exitCode, expected) << options << "\n" << outcome.out << outcome.err;
        EXPECT_FALSE(fs::exists(folder_.PathOf("disc.bin"))) << options;
    }
    const std::string longWav = Wav("long.wav", 8000, 1, 61.0);
    const Outcome tooLong = RunBurn(folder_, {"--image-recorder", folder_.PathOf("disc.bin"), longWav},
                                    {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "minutes=1"}});
    EXPECT_EQ(tooLong.exitCode, cli::kExitResultBase + 1) << tooLong.out << tooLong.err;

    // The drive refused the session's end: no success, the command and its
    // sense are named.
    const Outcome failed = RunBurn(folder_, {"--image-recorder", folder_.PathOf("disc.bin"), wav, wav},
                                   {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "close-session-fails"}});
    EXPECT_EQ(failed.exitCode, 15) << failed.out << failed.err;
    EXPECT_NE(failed.out.find("The burning process failed, the audio CD is not completed."), std::string::npos);
    EXPECT_EQ(failed.out.find("Congratulations"), std::string::npos);
    EXPECT_NE(failed.err.find("CLOSE SESSION refused by the drive: sense 3/72/00"), std::string::npos) << failed.err;
    EXPECT_FALSE(fs::exists(folder_.PathOf("disc.bin")));
}

TEST_F(QuillstarBurn, VerifyPrintsEveryTrackAndExitsSixteenWhenTheDiscDiffers)
{
    const std::string wav = Wav("a.wav", 44100, 2, 5.0);
    const std::vector<std::string> burn = {"--verify", "--image-recorder", folder_.PathOf("disc.bin"), wav, wav};
    const Outcome verified = RunBurn(folder_, burn, {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "read-offset=-30"}});
    EXPECT_EQ(verified.exitCode, cli::kExitBurned) << verified.out << verified.err;
    EXPECT_NE(verified.out.find("Verified: all 2 tracks match the music files.\nRead offset of the drive: -30 samples\n"
                                "Track 01: verified\nTrack 02: verified\n"),
              std::string::npos)
        << verified.out;

    // Track 2 starts at sector 525; sector 825 is 4 seconds into it.
    const std::map<std::string, std::string> damaged = {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "read-corrupt=825"}};
    const Outcome differs = RunBurn(folder_, burn, damaged);
    EXPECT_EQ(differs.exitCode, 16) << differs.out << differs.err;
    EXPECT_NE(differs.out.find("Verification failed: track 02 differs at 00:04 (1 second differs).\n"),
              std::string::npos);
    EXPECT_NE(differs.out.find("Track 01: verified\nTrack 02: differs at 00:04 (1 second differs)\n"),
              std::string::npos);
    EXPECT_EQ(differs.out.find("Congratulations"), std::string::npos);

    const Outcome unverified = RunBurn(folder_, {"--image-recorder", folder_.PathOf("disc.bin"), wav, wav}, damaged);
    EXPECT_EQ(unverified.exitCode, cli::kExitBurned) << "--no-verify is the default";
    EXPECT_EQ(unverified.out.find("Verif"), std::string::npos);
}

TEST_F(QuillstarBurn, SkippedFilesAreNamedAndTheDiscStillFinishes)
{
    const std::string good = Wav("good.wav", 44100, 2, 4.0);
    const std::string silent = folder_.PathOf("nothing.ogg");
    WriteFileBytes(silent, {'O', 'g', 'g', 'S'});
    const Outcome outcome = RunBurn(folder_, {"--image-recorder", folder_.PathOf("disc.bin"), good, silent, good});
    EXPECT_EQ(outcome.exitCode, cli::kExitIncomplete) << outcome.out << outcome.err;
    EXPECT_NE(outcome.err.find(silent), std::string::npos) << outcome.err;
    EXPECT_EQ(ReadBurnedDisc(folder_.PathOf("disc.bin"), folder_.PathOf("disc.cue")).tracks.size(), 2u);

    const Outcome nothing = RunBurn(folder_, {"--image-recorder", folder_.PathOf("none.bin"), silent});
    EXPECT_EQ(nothing.exitCode, cli::kExitResultBase + 4) << nothing.out << nothing.err;
    EXPECT_FALSE(fs::exists(folder_.PathOf("none.bin")));
}

TEST_F(QuillstarBurn, CtrlCStopsTheBurnQuicklyAndLeavesNoImage)
{
    const std::string wav = Wav("long.wav", 44100, 2, 40.0);
    Burn process(folder_, {"--image-recorder", folder_.PathOf("disc.bin"), wav},
                 {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "throttle,current-write-speed=706,buffer-kb=256"}});
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (process.OutputSoFar().find("Writing") == std::string::npos && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    ASSERT_NE(process.OutputSoFar().find("Writing"), std::string::npos);
    // The stopped track is still closed, which waits for the drive to empty
    // its buffer: a small buffer keeps that wait well below the limit.
    const auto stop = std::chrono::steady_clock::now();
    process.Interrupt();
    const Outcome outcome = process.Wait(10s);
    EXPECT_EQ(outcome.exitCode, cli::kExitStopped) << outcome.out << outcome.err;
    EXPECT_LT(std::chrono::steady_clock::now() - stop, 2s);
    EXPECT_FALSE(fs::exists(folder_.PathOf("disc.bin")));
    EXPECT_FALSE(fs::exists(folder_.PathOf("disc.cue")));
}

TEST_F(QuillstarBurn, SpeedTestWriteAndCopies)
{
    const std::string wav = Wav("a.wav", 44100, 2, 4.0);
    const std::string image = folder_.PathOf("disc.bin");

    // The fastest speed by default; --speed takes the nearest not above it.
    struct SpeedCase {
        std::vector<std::string> arguments;
        const char* options;
        const char* said;
    };
    const SpeedCase speeds[] = {
        {{}, "", "Writing at 48x"},
        {{"--speed", "20"}, "", "Writing at 16x"},
        {{"--speed", "2"}, "", "Writing at 4x"},
        {{}, "set-speed-fails", "The drive refused the chosen speed; writing at its current speed, 48x"},
    };
    for (const SpeedCase& speed : speeds) {
        std::vector<std::string> arguments = speed.arguments;
        arguments.insert(arguments.end(), {"--image-recorder", image, wav});
        const Outcome outcome = RunBurn(folder_, arguments, {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", speed.options}});
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_NE(outcome.err.find(speed.said), std::string::npos) << outcome.err;
        fs::remove(image);
        fs::remove(folder_.PathOf("disc.cue"));
    }

    // A test write leaves nothing; a recorder without it refuses before writing.
    const Outcome test = RunBurn(folder_, {"--simulate", "--image-recorder", image, wav});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    EXPECT_NE(test.out.find("Test write finished: the audio CD would have burned successfully."), std::string::npos);
    EXPECT_FALSE(fs::exists(image));
    EXPECT_FALSE(fs::exists(folder_.PathOf("disc.cue")));
    const Outcome refused = RunBurn(folder_, {"--simulate", "--image-recorder", image, wav},
                                    {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "no-test-write"}});
    EXPECT_EQ(refused.exitCode, cli::kExitUsage);
    EXPECT_NE(refused.err.find("cannot do a test write"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(image));

    // Three copies: three identical discs.
    const Outcome copies = RunBurn(folder_, {"--copies", "3", "--image-recorder", image, wav});
    EXPECT_EQ(copies.exitCode, 0) << copies.err;
    EXPECT_NE(copies.err.find("3 of 3 copies burned"), std::string::npos) << copies.err;
    const std::string first = ReadText(image);
    EXPECT_EQ(first.size(), size_t{300} * kSectorSize);
    EXPECT_TRUE(ReadText(folder_.PathOf("disc-2.bin")) == first);
    EXPECT_TRUE(ReadText(folder_.PathOf("disc-3.bin")) == first);
}

TEST_F(QuillstarBurn, AStopDuringTheSecondCopyKeepsTheFirst)
{
    const std::string wav = Wav("long.wav", 44100, 2, 20.0);
    Burn process(folder_, {"--copies", "2", "--image-recorder", folder_.PathOf("disc.bin"), wav},
                 {{"QUILLSTAR_IMAGE_RECORDER_OPTIONS", "throttle,current-write-speed=706,buffer-kb=256"}});
    ASSERT_TRUE(process.WaitForError("Writing at 4x\nquillstar-burn: insert a blank CD-R for copy 2 of 2"));
    ASSERT_TRUE(process.WaitForError("copy 2 of 2; waiting for it (Ctrl+C stops)\nquillstar-burn: Writing at"));
    process.Interrupt();
    const Outcome outcome = process.Wait(60s);
    EXPECT_EQ(outcome.exitCode, cli::kExitStopped) << outcome.out << outcome.err;
    EXPECT_TRUE(fs::exists(folder_.PathOf("disc.bin")));
    EXPECT_TRUE(fs::exists(folder_.PathOf("disc.cue")));
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(folder_.PathOf("disc.bin")).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find("disc-2"), std::string::npos) << entry.path();
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
        files.push_back(folder_.PathOf(std::string(1, static_cast<char>('a' + part)) + ".wav"));
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
    const std::string image = folder_.PathOf("disc.bin");
    std::vector<std::string> arguments = {"--dao", "--pause", "0", "--verify", "--image-recorder", image};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const Outcome gapless = RunBurn(folder_, arguments);
    ASSERT_EQ(gapless.exitCode, 0) << gapless.err;
    EXPECT_NE(gapless.out.find("Verified: all 3 tracks match the music files."), std::string::npos) << gapless.out;
    // Sample for sample, then silence to the end of the last sector; each
    // INDEX 01 at the sector its file's first sample is in.
    std::vector<uint8_t> expected(tone.size() * 2);
    std::memcpy(expected.data(), tone.data(), expected.size());
    expected.resize((expected.size() + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
    EXPECT_TRUE(ReadFileBytes(image) == expected);
    const BurnedDisc disc = ReadBurnedDisc(image, folder_.PathOf("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), 3u);
    for (size_t part = 0; part < 2; ++part)
        EXPECT_EQ(disc.tracks[part].audio.size(),
                  size_t(cuts[part + 1] * 4 / kSectorSize - cuts[part] * 4 / kSectorSize) * kSectorSize);
    const std::vector<uint8_t> cdt = ReadFileBytes(folder_.PathOf("disc.cdt"));
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
    const Outcome paused = RunBurn(folder_, arguments);
    ASSERT_EQ(paused.exitCode, 0) << paused.err;
    const std::vector<uint8_t> second = ReadFileBytes(folder_.PathOf("disc-2.bin"));
    const BurnedDisc pausedDisc = ReadBurnedDisc(folder_.PathOf("disc-2.bin"), folder_.PathOf("disc-2.cue"));
    ASSERT_EQ(pausedDisc.tracks.size(), 3u);
    size_t start = 0;
    for (size_t part = 0; part < 3; ++part) {
        start += size_t(pausedDisc.tracks[part].pauseSectors) * kSectorSize;
        EXPECT_EQ(pausedDisc.tracks[part].pauseSectors, part == 0 ? 0 : 90);
        EXPECT_TRUE(std::all_of(second.begin() + ptrdiff_t(start - pausedDisc.tracks[part].pauseSectors * kSectorSize),
                                second.begin() + ptrdiff_t(start), [](uint8_t byte) { return byte == 0; }));
        start += pausedDisc.tracks[part].audio.size();
    }
    EXPECT_EQ(ReadText(folder_.PathOf("disc-2.cue")).rfind("TITLE \"Mine\"\n", 0), 0u);

    // A test write at once leaves the disc blank.
    const Outcome test =
        RunBurn(folder_, {"--simulate", "--dao", "--image-recorder", folder_.PathOf("test.bin"), files[0]});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    EXPECT_FALSE(fs::exists(folder_.PathOf("test.bin")));
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"--dao", "--pause", "10.01", files[0]}, {"--pause", "1", files[0]}}) {
        const Outcome outcome = RunBurn(folder_, refused);
        EXPECT_EQ(outcome.exitCode, cli::kExitUsage);
        EXPECT_NE(outcome.err.find("--pause"), std::string::npos) << outcome.err;
    }
}

TEST_F(QuillstarBurn, BurnsThroughSgIoWhatTheImageRecorderBurns)
{
    const std::string first = Wav("a.wav", 44100, 2, 5.0);
    const std::string second = Wav("b.wav", 22050, 1, 4.5);
    fs::create_directory(folder_.PathOf("reference"));
    const Outcome reference =
        RunBurn(folder_, {"--image-recorder", folder_.PathOf("reference/disc.bin"), first, second});
    ASSERT_EQ(reference.exitCode, 0) << reference.out << reference.err;

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
        const std::string folder = folder_.PathOf("case" + std::to_string(i));
        fs::create_directory(folder);
        const Outcome outcome =
            RunBurn(folder_, {"--verify", first, second}, TestDrive(folder + "/disc.bin", cases[i].options));
        EXPECT_EQ(outcome.exitCode, cases[i].exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(fs::exists(folder + "/disc.cue"), cases[i].failure == nullptr);
        if (cases[i].failure != nullptr) {
            EXPECT_NE(outcome.out.find("The burning process failed, the audio CD is not completed."),
                      std::string::npos);
            EXPECT_NE(outcome.err.find(cases[i].failure), std::string::npos) << outcome.err;
        } else {
            EXPECT_NE(outcome.out.find("Verified: all 2 tracks match the music files."), std::string::npos);
            EXPECT_TRUE(ReadFileBytes(folder + "/disc.bin") == ReadFileBytes(folder_.PathOf("reference/disc.bin")));
            EXPECT_EQ(ReadText(folder + "/disc.cue"), ReadText(folder_.PathOf("reference/disc.cue")));
        }
    }
    // A disc written at once (cue sheet, CD-TEXT) comes out the same too.
    fs::create_directory(folder_.PathOf("reference-dao"));
    fs::create_directory(folder_.PathOf("dao"));
    const std::string dao = folder_.PathOf("dao/disc.bin");
    ASSERT_EQ(RunBurn(folder_, {"--dao", "--image-recorder", folder_.PathOf("reference-dao/disc.bin"), first, second})
                  .exitCode,
              0);
    EXPECT_EQ(RunBurn(folder_, {"--dao", "--verify", first, second}, TestDrive(dao)).exitCode, 0);
    for (const char* file : {"disc.bin", "disc.cue", "disc.cdt"}) {
        EXPECT_TRUE(ReadFileBytes(folder_.PathOf(std::string("dao/") + file)) ==
                    ReadFileBytes(folder_.PathOf(std::string("reference-dao/") + file)))
            << file;
    }
    // The drive is found again after every burn.
    const Outcome devices = RunBurn(folder_, {"--devices"}, TestDrive(folder_.PathOf("disc.bin")));
    EXPECT_NE(devices.out.find("0  QUILLSTR IMAGE RECORDER"), std::string::npos) << devices.out << devices.err;
}

TEST_F(QuillstarBurn, ADriveAnotherProgramHoldsIsNotTouched)
{
    const std::string wav = Wav("a.wav", 44100, 2, 5.0);
    const std::string image = folder_.PathOf("disc.bin");
    // This process plays the other program, the test drive loaded into it
    // for the rest of the run.
    void* drive = dlopen((ProgramDirectory() + "/libquillstar-test-drive.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(drive, nullptr) << dlerror();
    const auto openDrive = reinterpret_cast<int (*)(const char*, int, ...)>(dlsym(drive, "open"));
    const auto closeDrive = reinterpret_cast<int (*)(int)>(dlsym(drive, "close"));
    setenv(kTestDriveImageVariable, image.c_str(), 1);
    // Opened exclusively, as a mount does, or only locked with flock(), as
    // other burners do.
    for (const bool exclusive : {true, false}) {
        SCOPED_TRACE(exclusive ? "O_EXCL" : "flock");
        const int descriptor = openDrive(kTestDrivePath, O_RDWR | O_NONBLOCK | (exclusive ? O_EXCL : 0));
        ASSERT_GE(descriptor, 0);
        ASSERT_TRUE(exclusive || flock(descriptor, LOCK_EX | LOCK_NB) == 0);
        const Outcome outcome = RunBurn(folder_, {wav}, TestDrive(image));
        EXPECT_EQ(outcome.exitCode, cli::kExitNotCompleted) << outcome.out << outcome.err;
        EXPECT_NE(outcome.out.find("The CD-R/RW drive is in use by another program."), std::string::npos);
        EXPECT_EQ(outcome.out.find("Writing"), std::string::npos) << outcome.out;
        closeDrive(descriptor);
    }
    unsetenv(kTestDriveImageVariable);
    EXPECT_EQ(RunBurn(folder_, {wav}, TestDrive(image)).exitCode, 0);
    EXPECT_TRUE(fs::exists(image));
}

// Without its decoder plug-ins the program cannot read MP3 files: they are
// skipped and named, never burned as silence, and the rest is burned whole.
TEST_F(QuillstarBurn, WithoutItsDecodersAnMp3IsSkippedAndNamed)
{
    const fs::path program = folder_.PathOf("program");
    fs::create_directories(program);
    for (const char* file : {"quillstar-burn", "libwnaspi32.so", "libquillstar_platform.so"})
        fs::copy_file(fs::path(ProgramDirectory()) / file, program / file);
    const std::string wav = Wav("whole.wav", 44100, 2, 4.0);
    const std::string mp3 = folder_.PathOf("song.mp3");
    ASSERT_TRUE(EncodeMp3(Wav("song.wav", 44100, 2, 5.0), mp3, {"-b", "128"}));
    BurnProcess process({"--image-recorder", folder_.PathOf("disc.bin"), mp3, wav}, {}, folder_.PathOf("out.txt"),
                        folder_.PathOf("err.txt"), (program / "quillstar-burn").string());
    EXPECT_EQ(process.Wait(120s).exitCode, cli::kExitIncomplete);
    const std::string err = ReadText(folder_.PathOf("err.txt"));
    EXPECT_NE(err.find("skipped track 01 \"" + mp3 + "\": the file could not be opened for decoding"),
              std::string::npos)
        << err;
    const BurnedDisc disc = ReadBurnedDisc(folder_.PathOf("disc.bin"), folder_.PathOf("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), 1u);
    EXPECT_EQ(disc.tracks[0].audio.size(), size_t{300} * kSectorSize);
}
