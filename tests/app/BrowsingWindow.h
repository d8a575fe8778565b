#pragma once

// The main window over a drive of its own in a temporary folder: files are
// timed by their names and opened into a list instead of by the desktop.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "browse/BurnList.h"
#include "browse/FileList.h"
#include "browse/FolderTree.h"

namespace quillstar::test {

class BrowsingWindow {
public:
    // The drive holds the files named (folders end in "/"); a file whose
    // name holds "one" lasts 61 seconds, any other 89. `adjust` changes the
    // window's setup before the window is made; the drives are found before
    // the constructor returns unless told not to wait for them.
    explicit BrowsingWindow(const QStringList& items, const std::function<void(MainWindowSetup&)>& adjust = {},
                            bool waitForDrives = true)
    {
        drive_ = folder_.path() + "/Drive";
        QDir().mkpath(drive_);
        for (const QString& item : items) {
            if (item.endsWith('/'))
                QDir(drive_).mkpath(item);
            else
                QFile(Drive(item)).open(QIODevice::WriteOnly);
        }
        MainWindowSetup setup;
        setup.helpFile = QCoreApplication::applicationDirPath() + "/quillstar.html";
        setup.drives = [this] { return QStringList{drive_}; };
        setup.probe = [](const std::string& path) { return path.find("one") != std::string::npos ? 61 : 89; };
        setup.openFile = [this](const QString& path) {
            opened.append(path);
            return true;
        };
        setup.openUrl = [](const QUrl&) { return false; };
        setup.skippedDrives = [] { return std::vector<SkippedDrive>(); };
        if (adjust)
            adjust(setup);
        window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        if (waitForDrives)
            QTRY_VERIFY_WITH_TIMEOUT(window->DrivesKnown(), 120000);
    }

    // The drive's folder without a slash at the end, or a path inside it.
    QString Drive(const QString& inside = {}) const { return inside.isEmpty() ? drive_ : drive_ + "/" + inside; }
    FileList& Files() const { return *window->Files(); }
    FolderTree& Tree() const { return *window->Tree(); }
    BurnList& Burn() const { return *window->Burn(); }

    // Shows a folder the way the tree does, both in the tree and in the list.
    void Browse(const QString& folder) const { QVERIFY(Tree().SelectPath(folder)); }

    // The names the file list shows, row by row.
    QStringList Names() const
    {
        QStringList names;
        for (int row = 0; row < Files().model()->rowCount(); ++row)
            names.append(Files().model()->index(row, 0).data().toString());
        return names;
    }

    int RowOf(const QString& name) const { return static_cast<int>(Names().indexOf(name)); }

    // Selects the rows of these names, and only them.
    void Select(const QStringList& names) const
    {
        Files().selectionModel()->clear();
        for (const QString& name : names) {
            Files().selectionModel()->select(Files().model()->index(RowOf(name), 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

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
