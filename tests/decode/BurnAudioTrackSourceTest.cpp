// A WAV and an MP3 burned through the disc writer onto the burn tests'
// drive: the disc holds each file's own decode, sample for sample, and a file
// without audio between them is left out.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "DecodeFixtures.h"
#include "decode/AudioTrackSource.h"
#include "recorder/DiscWriter.h"
#include "resources/CdAudio.h"
#include "tests/recorder/BurnRig.h"
#include "tests/recorder/ProgressLog.h"

using namespace quillstar;
using namespace quillstar::test;

namespace {

// The track as a disc holds it: whole sectors, at least 300 of them, the
// rest digital silence.
std::vector<uint8_t> OnDisc(std::vector<uint8_t> audio, size_t byteCount)
{
    audio.resize(byteCount, 0);
    const size_t sectors = std::max<size_t>(300, (audio.size() + cd::kSectorSize - 1) / cd::kSectorSize);
    audio.resize(sectors * cd::kSectorSize, 0);
    return audio;
}

}  // namespace

TEST(BurnAudioTrackSource, AWavAndAnMp3ReachTheDiscAsTheirReferenceDecodes)
{
    if (!HaveProgram("lame"))
        GTEST_SKIP() << "lame is not installed";
    ScanPluginsOnce();
    FixtureFolder folder;
    const std::string wav = folder.PathOf("first.wav");
    const std::string mp3Source = folder.PathOf("second.wav");
    const std::string mp3 = folder.PathOf("second.mp3");
    ASSERT_TRUE(WriteWav(wav, 44100, 2, 16, 52923));
    ASSERT_TRUE(WriteWav(mp3Source, 44100, 2, 16, 61000));
    ASSERT_TRUE(EncodeMp3(mp3Source, mp3, {"-V", "4"}));

    const std::string notes = folder.PathOf("notes.mp3");
    ASSERT_TRUE(WriteFileBytes(notes, std::vector<uint8_t>(4000, 'x')));

    AudioTrackSource source;
    source.AddTrack(wav);
    source.AddTrack(notes);
    source.AddTrack(mp3);
    const std::vector<std::vector<uint8_t>> expected{OnDisc(ReadWavSamples(wav), 52923 * 4),
                                                     OnDisc(DecodeWithMpg123(mp3), 61000 * 4)};

    const std::unique_ptr<BurnRig> rig = MakeBurnRig(DriveSetup{});
    ProgressLog log;
    CDiscWriter writer(log.Handle(), rig->Library());
    writer.SetTimings(RecorderTimings{1, 1, 1, 10000, 1});
    log.Watch(&writer);
    ASSERT_TRUE(writer.Initialize());
    ASSERT_TRUE(writer.WriteDisc(&source));
    ASSERT_TRUE(log.WaitFinished());
    EXPECT_EQ(writer.GetResult(), 0);

    const BurnedDisc disc = rig->Disc();
    EXPECT_TRUE(disc.sessionClosed);
    ASSERT_EQ(disc.tracks.size(), 2u);
    for (size_t track = 0; track < 2; ++track) {
        EXPECT_EQ(disc.tracks[track].number, static_cast<int>(track) + 1);
        EXPECT_TRUE(disc.tracks[track].audio == expected[track]) << "track " << track + 1;
    }
    EXPECT_EQ(writer.GetSkippedTracks(), (std::vector<SkippedTrack>{{1, recorder::SkipReason::NoAudio}}));
}
