#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

#include "browse/BurnList.h"
#include "browse/DriveList.h"
#include "recorder/SkippedDrive.h"
#include "tracklist/DurationCache.h"

namespace quillstar {

// What the main window takes from the program around it: the help file, the
// drives to browse, how files are timed and opened, and what the ASPI layer
// left out. The program passes the real ones, tests their own.
struct MainWindowSetup {
    QString helpFile;
    DurationCache::Probe probe;
    DriveSource drives = DriveList::Read;
    BurnList::FileOpener openFile = ShellLauncher::Open;
    // Opens a web address or a program through the desktop.
    std::function<bool(const QUrl&)> openUrl;
    // Unset: what the disc writer's ASPI layer left out.
    std::function<std::vector<SkippedDrive>()> skippedDrives;
};

}  // namespace quillstar
