// quillstar-burn run as the user runs it, burning to the image recorder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "AudioFixtures.h"
#include "BurnProcess.h"
#include "resources/BurnExitCodes.h"
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

size_t OnDiscBytes(double bytes)
{
    return std::max<size_t>(300, static_cast<size_t>((bytes + kSectorSize - 1) / kSectorSize)) * kSectorSize;
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

TEST_F(QuillstarBurn, BurnsAMixedListTrackForTrack)
{
    // Each kind of decoder once; TrackFormatsTest has every format.
    const std::string cbr = Mp3("cbr.mp3", 44100, 2, 6.0, {"-b", "128"});
    if (cbr.empty())
        GTEST_SKIP() << "lame is not installed";
    const std::string wma = folder_.File("tone.wma");
    if (!MakeWma(wma, 22050, 1, 22050 * 5 / 1024))
        GTEST_SKIP() << "GStreamer's WMA encoder is not installed";
    const std::vector<std::string> files = {cbr, Wav("plain.wav", 44100, 2, 16, 4.5), Wav("deep.wav", 48000, 2, 24, 5),
                                            wma};
    std::vector<std::string> arguments = {"--image-recorder", Image()};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const Outcome outcome = Run(arguments);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find("Congratulations! This Audio CD is burned successfully!"), std::string::npos);

    const BurnedDisc disc = ReadBurnedDisc(Image(), folder_.File("disc.cue"));
    ASSERT_EQ(disc.tracks.size(), files.size());
    std::vector<std::vector<uint8_t>> audio;
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        EXPECT_EQ(disc.tracks[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(disc.tracks[i].pauseSectors, i > 0 ? 150 : 0) << "pause before track " << i + 1;
        audio.push_back(disc.tracks[i].audio);
    }
    // Every track is its file's decoded audio, rounded up to whole sectors
    // of silence; a resampled track keeps its length and pitch.
    for (const auto& [track, pcm] : {std::pair{0, DecodeWithMpg123(cbr)}, std::pair{1, ReadWavSamples(files[1])}}) {
        ASSERT_FALSE(pcm.empty());
        EXPECT_EQ(audio[track].size(), OnDiscBytes(static_cast<double>(pcm.size()))) << "track " << track + 1;
        EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), audio[track].begin())) << "track " << track + 1;
    }
    EXPECT_EQ(audio[2].size(), OnDiscBytes(5 * 176400));
    EXPECT_NEAR(ToneFrequency(Channel(audio[2], 0)), 440, 5) << "the 48 kHz 440 Hz tone changed its pitch";
    EXPECT_GT(*std::max_element(audio[3].begin(), audio[3].end()), 0x20) << "the WMA burned as silence";

    // A CUE sheet reader of its own splits the image into the same audio.
    if (!HaveProgram("bchunk"))
        return;
    ASSERT_TRUE(RunProgram({"bchunk", "-w", Image(), folder_.File("disc.cue"), folder_.File("split")}));
    for (size_t i = 0; i < audio.size(); ++i) {
        const std::vector<uint8_t> wav = ReadFileBytes(folder_.File("split0" + std::to_string(i + 1) + ".wav"));
        ASSERT_GT(wav.size(), 44u) << "track " << i + 1;
        EXPECT_TRUE(std::vector<uint8_t>(wav.begin() + 44, wav.end()) == audio[i]) << "track " << i + 1;
    }
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
