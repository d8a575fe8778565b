#pragma once

#include <QIcon>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "browse/ShellLauncher.h"
#include "resources/BurnListControlTexts.h"
#include "tracklist/BurnListModel.h"
#include "tracklist/DurationCache.h"

class QAction;
class QMenu;

namespace quillstar {

class BurnListOwner;
class FileList;
class ProbeProgress;

// The burn list as the user sees it: one row per track in track order, with
// its title, track number, time and file. It shows the burn list model and
// turns the user's input into the model's operations; after each change it
// copies the model into the owner's track list and has the owner show the
// totals.
class BurnList : public QTreeWidget {
    Q_OBJECT

public:
    // Opens a file with the program the desktop associates with it.
    using FileOpener = std::function<bool(const QString& path)>;
    static constexpr int kAtEnd = -1;

    // The probe times one file in seconds (0 when it cannot), of which the
    // list shows the whole ones; its answers are kept for files that have
    // not changed since.
    BurnList(BurnListOwner& owner, DurationCache::Probe probe, FileOpener open = ShellLauncher::Open,
             QWidget* parent = nullptr);

    const BurnListModel& Model() const { return model_; }
    // The header's image list; no header item shows one of its images.
    const QList<QIcon>& HeaderImages() const { return headerImages_; }
    // How long timing files may take before a window counts them.
    void SetProbeProgressDelay(std::chrono::milliseconds delay) { probeProgressDelay_ = delay; }

    // Appends the file list's selected files to the end, timing each.
    void AddSelectionToBurnList(const FileList& fileList);
    // The same for named files of a folder ending in a slash.
    void AddFiles(const QString& folder, const QStringList& names);
    // The same for full paths, from any folders, moved to start at the
    // insertion index unless it is kAtEnd. Pipes, sockets, devices and
    // folders are left out. Paths that come while files are timed wait and
    // are added, in the order they came, once the timing ends.
    void AddPaths(const QStringList& paths, int insertionIndex = kAtEnd);
    // Removes the selected rows; the rest keep their titles and are timed again.
    void DeleteSelection();
    // Moves the dragged rows so they start at the insertion index: the
    // selected rows for a drag within the list, the rows of the last add for a
    // drag from the file list.
    void MoveToIndex(int insertionIndex, BurnListModel::DragSource source);
    // The end of a title's label edit: false, with the old title kept, for a
    // title with a character no file name may hold (the user is told) or an
    // empty one.
    bool ChangeTitle(int row, const QString& text);
    void ClearAll();
    // Rebuilds the list from the owner's track list (a loaded CD info file).
    void LoadFromTrackList();
    void SyncTrackList();
    // Shows the totals through the owner; returns the total seconds.
    int UpdateTotals();
    // Opens the file of the last selected row.
    void OpenLastSelected();
    int FileSeconds(const std::string& path);
    // The timings of the list's files, which a burn times its files with.
    DurationCache& Durations() { return durations_; }
    void RefreshRows();
    // Starts editing the title of the first selected row.
    void StartRename();

    // Display positions of the selected rows, ascending.
    std::vector<int> SelectedPositions() const;

    using QTreeWidget::edit;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void SetUpColumns();
    void CreateMenu();
    QTreeWidgetItem* MakeRow(const BurnEntry& entry, int position) const;
    int TimeNextFile(const std::string& path);
    // Runs work that times `fileCount` files, counting them in a window when it takes long.
    void TimeFiles(int fileCount, const std::function<void()>& work);
    bool ShowsToolTip(const QPoint& at, const QPoint& globalAt);
    void AfterChange();
    void AddWaitingPaths();

    struct WaitingAdd {
        QStringList paths;
        int insertionIndex;
    };

    BurnListOwner& owner_;
    DurationCache durations_;
    FileOpener open_;
    BurnListModel model_;
    QList<QIcon> smallImages_;
    QList<QIcon> headerImages_;
    QMenu* menu_ = nullptr;
    QAction* renameAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QPoint dragStart_;
    std::chrono::milliseconds probeProgressDelay_{burnlist::kProbeProgressDelayMs};
    // Set while files are timed; windows repaint meanwhile, and nothing may
    // change the list under the work.
    ProbeProgress* probeProgress_ = nullptr;
    std::deque<WaitingAdd> waitingAdds_;
};

}  // namespace quillstar
