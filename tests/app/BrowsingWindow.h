#pragma once

// The main window over a drive of its own in a temporary folder, for tests of
// browsing and dragging: files are timed by their names and opened into a
// list instead of by the desktop.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "app/MainWindow.h"
#include "browse/BurnList.h"
#include "browse/FileList.h"
#include "browse/FolderTree.h"

namespace quillstar::test {

// The names the file list shows, row by row.
inline QStringList ListedNames(const FileList& list)
{
    QStringList names;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        names.append(list.model()->index(row, 0).data().toString());
    return names;
}

// Selects the rows of these names, and only them.
inline void SelectNames(FileList& list, const QStringList& names)
{
    list.selectionModel()->clear();
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        const QModelIndex index = list.model()->index(row, 0);
        if (names.contains(index.data().toString()))
            list.selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

class BrowsingWindow {
public:
    // The drive holds the files named (folders end in "/"); each is timed
    // at a minute unless a probe is given.
    explicit BrowsingWindow(
        const QStringList& items, DurationCache::Probe probe = [](const std::string&) { return 60; })
    {
        drive_ = folder_.path() + "/Drive";
        QDir().mkpath(drive_);
        for (const QString& item : items) {
            if (item.endsWith('/')) {
                QDir(drive_).mkpath(item);
            } else {
                QFile file(drive_ + "/" + item);
                file.open(QIODevice::WriteOnly);
                file.write("data");
            }
        }
        MainWindowSetup setup;
        setup.drives = [this] { return QStringList{drive_}; };
        setup.probe = std::move(probe);
        setup.openFile = [this](const QString& path) {
            opened.append(path);
            return true;
        };
        setup.openUrl = [](const QUrl&) { return false; };
        setup.skippedDrives = [] { return std::vector<SkippedDrive>(); };
        window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // The drive's folder without a slash at the end, or a path inside it.
    QString Drive(const QString& inside = {}) const { return inside.isEmpty() ? drive_ : drive_ + "/" + inside; }
    FileList& Files() const { return *window->Files(); }
    FolderTree& Tree() const { return *window->Tree(); }
    BurnList& Burn() const { return *window->Burn(); }

    // Shows a folder the way the tree does, both in the tree and in the list.
    void Browse(const QString& folder) const { QVERIFY(Tree().SelectPath(folder)); }

    QStringList Names() const { return ListedNames(Files()); }

    int RowOf(const QString& name) const { return static_cast<int>(Names().indexOf(name)); }

    void Select(const QStringList& names) const { SelectNames(Files(), names); }

    QPoint RowCenter(const QString& name) const
    {
        return Files().visualRect(Files().model()->index(RowOf(name), 0)).center();
    }

    QStringList TrackTitles() const
    {
        QStringList titles;
        for (const TrackInfo& track : window->TrackList().Tracks())
            titles.append(QString::fromStdString(track.title));
        return titles;
    }

    QString TreeSelection() const
    {
        const QTreeWidgetItem* item = Tree().currentItem();
        return item ? Tree().ItemPath(item) : QStringLiteral("<none>");
    }

private:
    QTemporaryDir folder_;
    QString drive_;

public:
    QStringList opened;
    std::unique_ptr<MainWindow> window;
};

}  // namespace quillstar::test
