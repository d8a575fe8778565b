#pragma once

#include <QString>

#include <functional>

namespace quillstar {

// Where the file list gets type names from: the path of an entry and whether
// it is a folder; an empty text when the type has no name.
using TypeNameSource = std::function<QString(const QString& path, bool isFolder)>;

// The name of the type of a file or folder: the program's own for the music
// files it burns ("FLAC audio"), the desktop's for the rest ("folder").
class ShellTypeName {
public:
    // Files are typed by their name alone, as the desktop does, so that typing
    // a folder's worth of files never opens them. A folder path that ends in a
    // slash is looked at more closely: a mount point is named as such.
    static QString Lookup(const QString& path, bool isFolder);
};

}  // namespace quillstar
