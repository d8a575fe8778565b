#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

#include <functional>
#include <vector>

namespace quillstar {

// The icons of files, folders and drives, shared by the folder tree and the
// file list. Each distinct icon is kept once and named by its index, so a list
// row stores a number and equal types share one icon.
class SystemImageList {
public:
    static SystemImageList& Shared();

    // The burn list's note for the music files the program burns, the
    // desktop's icon for other files; -1 when the desktop has none.
    int FileIndex(const QString& path);
    int FolderIndex();
    int OpenFolderIndex();
    int DriveIndex(const QString& path);
    int ComputerIndex();

    QIcon Icon(int index) const;

private:
    SystemImageList() = default;
    int Find(const QString& key, const std::function<QIcon()>& make);

    QFileIconProvider provider_;
    QMimeDatabase mimeDatabase_;
    std::vector<QIcon> icons_;
    QHash<QString, int> indexByKey_;
};

}  // namespace quillstar
