#include <gtest/gtest.h>

#include <map>

#include "tracklist/BurnListModel.h"

using namespace quillstar;
using Source = BurnListModel::DragSource;

namespace {

// Times files from a table and counts the probes.
struct FakeTimer {
    std::map<std::string, int> seconds;
    int probes = 0;
    BurnListModel::FileSecondsFunction Function()
    {
        return [this](const std::string& path) {
            ++probes;
            const auto found = seconds.find(path);
            return found == seconds.end() ? 0 : found->second;
        };
    }
};

std::vector<std::string> Names(int first, int count)
{
    std::vector<std::string> names;
    for (int i = first; i < first + count; ++i)
        names.push_back("t" + std::to_string(i) + ".mp3");
    return names;
}

// The rows as their entries' original positions ("t3.mp3" -> 3).
std::vector<int> OldPositions(const BurnListModel& model)
{
    std::vector<int> order;
    for (const BurnEntry& row : model.Rows())
        order.push_back(std::stoi(row.title.substr(1)));
    return order;
}

BurnTotals TotalsOf(const std::vector<int>& seconds)
{
    CSerializer list;
    for (int s : seconds)
        list.AddTrackInfo("x", s, "/x.mp3");
    return BurnListModel::Totals(list);
}

}  // namespace

TEST(BurnListModel, TotalsAndRowTextsFollowTheTracksWithTheirGaps)
{
    struct Case {
        std::vector<int> seconds;
        const char* text;
        int bar;
    };
    std::vector<int> full(23, 206);
    full[0] = 4756 - 22 * 206;
    std::vector<int> overFull = full;
    overFull[0] += 1;
    for (const Case& c :
         {Case{{}, "00:00 - 0 Track", 0}, Case{{225}, "03:45 - 1 Track", 4}, Case{{100, 100}, "03:22 - 2 Tracks", 4},
          Case{full, "80:00 - 23 Tracks", 100}, Case{overFull, "80:01 - 23 Tracks", 100},
          Case{{6000}, "100:00 - 1 Track", 100}, Case{{INT32_MAX, INT32_MAX}, nullptr, 100}}) {
        SCOPED_TRACE(c.seconds.size());
        if (c.text) {
            EXPECT_EQ(TotalsOf(c.seconds).text, c.text);
        }
        EXPECT_EQ(TotalsOf(c.seconds).barPosition, c.bar);
    }
    EXPECT_EQ(BurnListModel::TrackText(0), "01");
    EXPECT_EQ(BurnListModel::TrackText(99), "100");
    EXPECT_EQ(BurnListModel::TimeText(7627), "127:07");
    EXPECT_EQ(BurnListModel::TitleFromName("song.mp3"), "song");
    EXPECT_EQ(BurnListModel::TitleFromName("song.flac"), "song");
    EXPECT_EQ(BurnListModel::TitleFromName("mp3"), "mp3");
    EXPECT_EQ(BurnListModel::TitleFromName(".mp3"), "");
}

TEST(BurnListModel, DragsMoveTheRowsToTheIndexKeepingTheOrderOfBothGroups)
{
    struct Case {
        int index;
        Source source;
        std::vector<int> selected;
        std::vector<int> order;
    };
    const std::vector<int> unmoved = {0, 1, 2, 3, 4, 5, 6, 7};
    // The last append (t5 to t7) is what a file-list drop moves; a drop
    // outside the list or a move of no valid rows changes nothing.
    const std::vector<Case> cases = {
        {1, Source::BurnList, {6, 4}, {0, 4, 6, 1, 2, 3, 5, 7}},
        {6, Source::BurnList, {1, 2}, {0, 3, 4, 5, 1, 2, 6, 7}},
        {3, Source::BurnList, {1, 5}, {0, 2, 1, 5, 3, 4, 6, 7}},
        {0, Source::FileList, {}, {5, 6, 7, 0, 1, 2, 3, 4}},
        {5, Source::FileList, {}, unmoved},
        {8, Source::FileList, {}, unmoved},
        {9, Source::BurnList, {0}, unmoved},
        {-1, Source::BurnList, {0}, unmoved},
        {0, Source::BurnList, {}, unmoved},
        {0, Source::BurnList, {9, -2}, unmoved},
    };
    FakeTimer timer;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index);
        BurnListModel model(timer.Function());
        model.AppendFiles("/m/", Names(0, 5));
        model.AppendFiles("/m/", Names(5, 3));
        model.MoveToIndex(c.index, c.source, c.selected);
        EXPECT_EQ(OldPositions(model), c.order);
    }
}
