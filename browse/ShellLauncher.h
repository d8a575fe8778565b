#pragma once

#include <QString>

class QWidget;

namespace quillstar {

// Opens files with the program the desktop associates with them, and shows
// the properties of a file, folder or drive.
class ShellLauncher {
public:
    // The file's default action; false when the desktop could not start it.
    static bool Open(const QString& path);
    // A window of its own, not modal, that closes by itself.
    static void ShowProperties(const QString& path, QWidget* owner);
};

}  // namespace quillstar
