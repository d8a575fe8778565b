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

std::vector<std::string> Names(int count, const std::string& prefix = "t")
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(prefix + std::to_string(i) + ".mp3");
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

TEST(BurnListTotals, TextAndBarFollowTheTracksWithGaps)
{
    EXPECT_EQ(TotalsOf({}).text, "00:00 - 0 Track");
    EXPECT_EQ(TotalsOf({}).barPosition, 0);
    EXPECT_EQ(TotalsOf({225}).text, "03:45 - 1 Track");
    EXPECT_EQ(TotalsOf({225}).barPosition, 4);
    EXPECT_EQ(TotalsOf({100, 100}).text, "03:22 - 2 Tracks");

    std::vector<int> full(23, 206);
    full[0] = 4756 - 22 * 206;
    EXPECT_EQ(TotalsOf(full).text, "80:00 - 23 Tracks");
    EXPECT_EQ(TotalsOf(full).barPosition, 100);
    full[0] += 1;
    EXPECT_EQ(TotalsOf(full).barPosition, 100);

    EXPECT_EQ(TotalsOf({6000}).text, "100:00 - 1 Track");
    EXPECT_EQ(TotalsOf({INT32_MAX, INT32_MAX}).barPosition, 100);
}

TEST(BurnListTexts, RowTextsAndTitles)
{
    EXPECT_EQ(BurnListModel::TrackText(0), "01");
    EXPECT_EQ(BurnListModel::TrackText(99), "100");
    EXPECT_EQ(BurnListModel::TimeText(7627), "127:07");
    EXPECT_EQ(BurnListModel::TitleFromName("song.mp3"), "song");
    EXPECT_EQ(BurnListModel::TitleFromName("song.flac"), "song");
    EXPECT_EQ(BurnListModel::TitleFromName("mp3"), "mp3");
    EXPECT_EQ(BurnListModel::TitleFromName(".mp3"), "");
}

TEST(BurnListModel, AppendsTimedFilesAndSyncsTheTrackList)
{
    FakeTimer timer;
    timer.seconds = {{"/music/a.mp3", 100}, {"/music/b.mp3", 200}};
    BurnListModel model(timer.Function());
    model.AppendFiles("/music/", {"a.mp3", "b.mp3", "broken.mp3"});
    EXPECT_EQ(model.CountBeforeAdd(), 0);
    EXPECT_EQ(model.CountAfterAdd(), 3);
    CSerializer list;
    model.SyncTrackList(list);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.Tracks()[1], (TrackInfo{200, "b", "/music/b.mp3"}));
    EXPECT_EQ(list.Tracks()[2].seconds, 0);
    EXPECT_EQ(BurnListModel::Totals(list).text, "05:04 - 3 Tracks");
}

TEST(BurnListModel, PathsFromSeveralFoldersAreOneAppend)
{
    FakeTimer timer;
    timer.seconds = {{"/b/two.mp3", 20}};
    BurnListModel model(timer.Function());
    model.AppendFiles("/m/", Names(2));
    model.AppendPaths({"/a/one.mp3", "/b/two.mp3"});
    EXPECT_EQ(model.CountBeforeAdd(), 2);
    EXPECT_EQ(model.CountAfterAdd(), 4);
    model.MoveToIndex(1, Source::FileList, {});
    CSerializer list;
    model.SyncTrackList(list);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.Tracks()[1], (TrackInfo{0, "one", "/a/one.mp3"}));
    EXPECT_EQ(list.Tracks()[2], (TrackInfo{20, "two", "/b/two.mp3"}));
    EXPECT_EQ(list.Tracks()[3].title, "t1");
}

TEST(BurnListModel, RebuildAfterDeleteKeepsShownTitlesAndProbesAgain)
{
    FakeTimer timer;
    timer.seconds = {{"/m/t0.mp3", 10}, {"/m/t1.mp3", 20}, {"/m/t2.mp3", 30}};
    BurnListModel model(timer.Function());
    model.AppendFiles("/m/", Names(3));
    ASSERT_TRUE(model.SetTitle(2, "Renamed"));
    std::vector<BurnEntry> rows = model.Rows();
    rows.erase(rows.begin() + 1);
    timer.seconds["/m/t2.mp3"] = 31;
    timer.probes = 0;
    model.RebuildFromRows(rows);
    EXPECT_EQ(timer.probes, 2);
    const std::vector<BurnEntry> expected = {{0, "t0", 10, "/m/t0.mp3"}, {0, "Renamed", 31, "/m/t2.mp3"}};
    EXPECT_EQ(model.Rows(), expected);
    EXPECT_EQ(model.DisplayOrder(), (std::vector<int>{0, 1}));
}

TEST(BurnListModel, BurnListDragsKeepTheOrderOfBothGroups)
{
    FakeTimer timer;
    BurnListModel model(timer.Function());
    model.AppendFiles("/m/", Names(10));
    model.MoveToIndex(1, Source::BurnList, {6, 4});
    EXPECT_EQ(OldPositions(model), (std::vector<int>{0, 4, 6, 1, 2, 3, 5, 7, 8, 9}));

    BurnListModel down(timer.Function());
    down.AppendFiles("/m/", Names(10));
    down.MoveToIndex(6, Source::BurnList, {1, 2});
    EXPECT_EQ(OldPositions(down), (std::vector<int>{0, 3, 4, 5, 1, 2, 6, 7, 8, 9}));

    BurnListModel inside(timer.Function());
    inside.AppendFiles("/m/", Names(10));
    inside.MoveToIndex(3, Source::BurnList, {1, 5});
    EXPECT_EQ(OldPositions(inside), (std::vector<int>{0, 2, 1, 5, 3, 4, 6, 7, 8, 9}));
}

TEST(BurnListModel, FileListDropsMoveTheLastAppend)
{
    FakeTimer timer;
    for (int index : {0, 5, 8, 9}) {
        BurnListModel model(timer.Function());
        model.AppendFiles("/m/", Names(5));
        model.AppendFiles("/m/", {"t5.mp3", "t6.mp3", "t7.mp3"});
        model.MoveToIndex(index, Source::FileList, {});
        const std::vector<int> expected =
            index == 0 ? std::vector<int>{5, 6, 7, 0, 1, 2, 3, 4} : std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7};
        EXPECT_EQ(OldPositions(model), expected) << "insertion index " << index;
    }
}

TEST(BurnListModel, NothingMovesWithoutAValidIndexOrRows)
{
    FakeTimer timer;
    BurnListModel model(timer.Function());
    model.AppendFiles("/m/", Names(4));
    model.MoveToIndex(5, Source::BurnList, {0});
    model.MoveToIndex(-1, Source::BurnList, {0});
    model.MoveToIndex(0, Source::BurnList, {});
    model.MoveToIndex(0, Source::BurnList, {7, -2});
    model.LoadFromTrackList(CSerializer());
    model.AppendFiles("/m/", {});
    model.MoveToIndex(0, Source::FileList, {});
    EXPECT_TRUE(model.Rows().empty());
}

TEST(BurnListModel, LoadRebuildsFromTheTrackListWithoutProbing)
{
    FakeTimer timer;
    BurnListModel model(timer.Function());
    model.AppendFiles("/m/", Names(2));
    CSerializer list;
    list.AddTrackInfo("Stored", 321, "/gone/file.mp3");
    timer.probes = 0;
    model.LoadFromTrackList(list);
    EXPECT_EQ(timer.probes, 0);
    EXPECT_EQ(model.Rows(), (std::vector<BurnEntry>{{0, "Stored", 321, "/gone/file.mp3"}}));
    EXPECT_EQ(model.CountBeforeAdd(), 0);
    EXPECT_EQ(model.CountAfterAdd(), 1);
    model.ClearAll();
    CSerializer synced;
    model.SyncTrackList(synced);
    EXPECT_EQ(synced.GetCount(), 0);
}
