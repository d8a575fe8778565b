#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sndfile.h>
#include <sys/file.h>

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
#include "platform/ProgramPath.h"
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

// Sign changes of the left channel over the first frames: twice the
// frequency per second of a pure tone.
int ZeroCrossings(const std::vector<uint8_t>& pcm, size_t frames)
{
    int crossings = 0;
    int16_t previous = 0;
    for (size_t frame = 0; frame < frames && frame * 4 + 1 < pcm.size(); ++frame) {
        const int16_t left = static_cast<int16_t>(pcm[frame * 4] | pcm[frame * 4 + 1] << 8);
        if (frame > 0 && (left < 0) != (previous < 0))
            ++crossings;
        previous = left;
    }
    return crossings;
}

int64_t SectorsFor(int64_t bytes)
{
    return std::max<int64_t>(300, (bytes + kSectorSize - 1) / kSectorSize);
}

std::vector<uint8_t> WavPcm(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    // Our fixtures are plain 44-byte-header PCM WAVs.
    return std::vector<uint8_t>(bytes.begin() + 44, bytes.end());
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

    // A 24-bit stereo sine WAV.
    std::string Wav24(const std::string& name, int rate, double seconds)
    {
        const std::string path = folder_.PathOf(name);
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr);
        std::vector<int> samples(static_cast<size_t>(rate * seconds) * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int>(0x30000000 * std::sin(2 * M_PI * 440.0 * double(i / 2) / rate));
        sf_write_int(file, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(file);
        return path;
    }

    std::string Mp3(const std::string& name, int rate, int channels, double seconds,
                    const std::vector<std::string>& options)
    {
        if (!HaveProgram("lame"))
            return {};
        const std::string wav = Wav(name + ".wav", rate, channels, seconds);
        const std::string mp3 = folder_.PathOf(name);
        return EncodeMp3(wav, mp3, options) ? mp3 : std::string();
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

TEST_F(QuillstarBurn, BurnsAMixedListTrackForTrack)
{
    const std::string wav16 = Wav("plain.wav", 44100, 2, 4.5);
    const std::string wav24 = Wav24("deep.wav", 48000, 5.0);
    const std::string cbr = Mp3("cbr.mp3", 44100, 2, 6.0, {"-b", "128"});
    const std::string vbr = Mp3("vbr.mp3", 44100, 2, 5.0, {"-V", "4"});
    const std::string high = Mp3("high.mp3", 48000, 2, 4.2, {"-b", "160"});
    const std::string mono = Mp3("mono.mp3", 22050, 1, 4.0, {"-m", "m", "-b", "64"});
    if (cbr.empty() || vbr.empty() || high.empty() || mono.empty())
        GTEST_SKIP() << "lame is not installed";
    const std::string wma = folder_.PathOf("tone.wma");
    if (!MakeWma(wma, 22050, 1, 22050 * 5 / 1024))
        GTEST_SKIP() << "GStreamer's WMA encoder is not installed";
    const std::vector<std::string> files = {cbr, vbr, high, mono, wav16, wav24, wma};

    std::vector<std::string> arguments = {"--image-recorder", folder_.PathOf("disc.bin")};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const Outcome outcome = RunBurn(folder_, arguments);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find("Congratulations! This Audio CD is burned successfully!"), std::string::npos);

    const BurnedDisc disc = ReadBurnedDisc(folder_.PathOf("disc.bin"), folder_.PathOf("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), files.size());
    std::vector<std::vector<uint8_t>> audio;
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        EXPECT_EQ(disc.tracks[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(disc.tracks[i].pauseSectors, i > 0 ? 150 : 0) << "pause before track " << i + 1;
        audio.push_back(disc.tracks[i].audio);
    }
    // Every track is its file's decoded length, rounded up to whole sectors.
    const std::vector<uint8_t> cbrPcm = DecodeWithMpg123(cbr);
    ASSERT_GE(audio[0].size(), cbrPcm.size());
    EXPECT_EQ(audio[0].size(), static_cast<size_t>(SectorsFor(static_cast<int64_t>(cbrPcm.size())) * kSectorSize));
    EXPECT_TRUE(std::equal(cbrPcm.begin(), cbrPcm.end(), audio[0].begin())) << "CBR MP3 differs from libmpg123";
    const std::vector<uint8_t> vbrPcm = DecodeWithMpg123(vbr);
    EXPECT_TRUE(vbrPcm.size() <= audio[1].size() && std::equal(vbrPcm.begin(), vbrPcm.end(), audio[1].begin()))
        << "VBR MP3 differs from libmpg123";
    const std::vector<uint8_t> plain = WavPcm(wav16);
    EXPECT_TRUE(plain.size() <= audio[4].size() && std::equal(plain.begin(), plain.end(), audio[4].begin()))
        << "16-bit WAV differs";
    // Resampled tracks: 4.2 s at 48 kHz and 4 s of mono come out at CD rate.
    EXPECT_EQ(audio[2].size(), static_cast<size_t>(SectorsFor(4.2 * 176400) * kSectorSize));
    EXPECT_EQ(audio[3].size(), static_cast<size_t>(SectorsFor(4 * 176400) * kSectorSize));
    const std::vector<uint8_t> deep = audio[5];
    EXPECT_EQ(deep.size(), static_cast<size_t>(SectorsFor(5 * 176400) * kSectorSize));
    EXPECT_NEAR(ZeroCrossings(deep, 4 * 44100), 4 * 440 * 2, 4) << "the 48 kHz 440 Hz tone changed its pitch";
    EXPECT_GT(*std::max_element(audio[6].begin(), audio[6].end()), 0x20) << "the WMA burned as silence";

    if (HaveProgram("bchunk")) {
        EXPECT_TRUE(RunProgram(
            {"bchunk", "-w", folder_.PathOf("disc.bin"), folder_.PathOf("disc.cue"), folder_.PathOf("split")}));
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
        const Outcome outcome = RunBurn(folder_, {first, second}, TestDrive(folder + "/disc.bin", cases[i].options));
        EXPECT_EQ(outcome.exitCode, cases[i].exitCode) << outcome.out << outcome.err;
        EXPECT_EQ(fs::exists(folder + "/disc.cue"), cases[i].failure == nullptr);
        if (cases[i].failure != nullptr) {
            EXPECT_NE(outcome.out.find("The burning process failed, the audio CD is not completed."),
                      std::string::npos);
            EXPECT_NE(outcome.err.find(cases[i].failure), std::string::npos) << outcome.err;
        } else {
            EXPECT_TRUE(ReadFileBytes(folder + "/disc.bin") == ReadFileBytes(folder_.PathOf("reference/disc.bin")));
            EXPECT_EQ(ReadText(folder + "/disc.cue"), ReadText(folder_.PathOf("reference/disc.cue")));
        }
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
