#include "tests/recorder/BurnTest.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "resources/Messages.h"
#include "resources/RecorderTexts.h"

namespace quillstar::test {

namespace {

// Discovery writes the drive report file into $HOME: every test of this
// program runs with a home folder of its own.
class TemporaryHome : public ::testing::Environment {
public:
    void SetUp() override { setenv("HOME", folder_.Path().c_str(), 1); }

private:
    TemporaryFolder folder_;
};

const auto* const temporaryHome = ::testing::AddGlobalTestEnvironment(new TemporaryHome);

}  // namespace

using namespace recorder;

std::vector<uint8_t> OnDisc(std::vector<uint8_t> audio)
{
    const size_t sectors = std::max<size_t>(300, (audio.size() + kSector - 1) / kSector);
    audio.resize(sectors * kSector, 0);
    return audio;
}

std::string Numbered(const char* format, int track)
{
    char text[64];
    std::snprintf(text, sizeof text, format, track);
    return text;
}

std::vector<std::string> TrackSteps(int track)
{
    return {Numbered(kTextPreparingTrack, track), Numbered(kTextWritingTrack, track),
            Numbered(kTextClosingTrack, track)};
}

std::vector<std::string> BurnTexts(const std::vector<int>& writtenTracks)
{
    std::vector<std::string> texts = {kTextPowerCalibration};
    for (const int track : writtenTracks) {
        const auto steps = TrackSteps(track);
        texts.insert(texts.end(), steps.begin(), steps.end());
    }
    texts.insert(texts.end(), {kTextClosingSession, kTextSuccess});
    return texts;
}

void BurnTest::Prepare(const std::string& options)
{
    writer.reset();
    rig.reset();
    rig = std::make_unique<ImageRig>(options);
    log = std::make_unique<ProgressLog>();
    writer = std::make_unique<CDiscWriter>(log->Handle(), rig->Library());
    writer->SetTimings(timings);
    log->Watch(writer.get());
    ASSERT_TRUE(writer->Initialize());
    ASSERT_EQ(writer->GetDeviceCount(), 1);
    trace.Clear();
}

void BurnTest::Run(FakeTrackSource& source)
{
    ASSERT_TRUE(writer->WriteDisc(&source));
    ASSERT_TRUE(log->WaitFinished());
}

std::string BurnTest::Text() const
{
    std::string text;
    int percent = 0;
    writer->GetProgress(text, percent);
    return text;
}

int BurnTest::Percent() const
{
    std::string text;
    int percent = 0;
    writer->GetProgress(text, percent);
    return percent;
}

void BurnTest::ExpectDiscHolds(const FakeTrackSource& source, const std::vector<int>& sourceTracks)
{
    const BurnedDisc disc = rig->Disc();
    EXPECT_TRUE(disc.sessionClosed);
    ASSERT_EQ(disc.tracks.size(), sourceTracks.size());
    std::vector<uint8_t> image;
    for (size_t at = 0; at < sourceTracks.size(); ++at) {
        SCOPED_TRACE(testing::Message() << "track " << at + 1);
        const std::vector<uint8_t> expected = OnDisc(source.Audio(sourceTracks[at]));
        EXPECT_EQ(disc.tracks[at].number, static_cast<int>(at) + 1);
        EXPECT_EQ(disc.tracks[at].pauseSectors, at == 0 ? 0 : 150);
        EXPECT_TRUE(disc.tracks[at].audio == expected);
        image.resize(image.size() + (at == 0 ? 0 : size_t{150} * kSector), 0);
        image.insert(image.end(), expected.begin(), expected.end());
    }
    EXPECT_TRUE(ReadFileBytes(rig->ImagePath()) == image) << "the image differs from its tracks and their pauses";
}

void BurnTest::ExpectEndedWith(int result, const char* text)
{
    EXPECT_EQ(writer->GetResult(), result);
    EXPECT_EQ(Text(), text);
    auto messages = log->Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), msg::WM_BURN_FINISHED);
    messages.pop_back();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), msg::WM_BURN_PROGRESS),
              static_cast<std::ptrdiff_t>(messages.size()));
}

void BurnTest::ExpectRefusedBeforeWriting(int result, const char* text, const FakeTrackSource& source)
{
    ExpectEndedWith(result, text);
    EXPECT_EQ(log->Texts(), std::vector<std::string>{text});
    EXPECT_EQ(Percent(), 0);
    EXPECT_TRUE(rig->Files().empty());
    EXPECT_EQ(source.FinishCalls(), 0);
}

void BurnTest::ExpectNothingRefused() const
{
    for (const std::string& text : trace.Texts())
        EXPECT_NE(text.rfind("Image recorder: command ", 0), 0u) << text;
}

}  // namespace quillstar::test
