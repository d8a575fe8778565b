#pragma once

#include <QString>
#include <QtGlobal>

namespace quillstar {

// One row of the file list: a file, a folder, a drive, or ".." for the parent.
struct FileEntry {
    // The name as found; a drive's full path; "..".
    QString displayName;
    // The key of sorting, of the type names and of the file-type filter.
    QString lowerName;
    bool isFolder = false;
    // Bytes; -1 for folders, drives and "..".
    qint64 size = -1;
    // Seconds since 1970 of the last change; 0 for drives and "..".
    qint64 modified = 0;
    // Into the shared image list; -1 until the row is first shown.
    int iconIndex = -1;
};

}  // namespace quillstar
