#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace quillstar {

// Keeps a delete from reaching further than the item the user chose. The
// home folder, "/", a mount point and any folder that holds one of them are
// refused as a drive is, wherever they are reached. A folder goes only when
// its whole tree can go: the folder it sits in can be changed, and below it
// every folder can be read and changed and none is a mount point; otherwise
// a recursive delete would empty part of the tree before it failed.
class DeleteGuard {
public:
    // The mount points of the system, each a full path.
    using MountSource = std::function<QStringList()>;
    // Whether entries can be removed from the folder.
    using FolderCheck = std::function<bool(const QString& folder)>;

    struct Verdict {
        // Why the item may not go, as the user is told; empty when it may.
        QString refusal;
        // The files a folder holds, all levels down.
        int fileCount = 0;
    };

    explicit DeleteGuard(MountSource mounts = SystemMountPoints, FolderCheck changeable = CanChangeFolder);

    // A delete for good also needs the whole tree below a folder removable.
    Verdict Check(const QString& path, bool forGood) const;

    static QStringList SystemMountPoints();
    static bool CanChangeFolder(const QString& folder);

private:
    bool HoldsProtectedFolder(const QString& canonicalPath) const;
    Verdict CheckTree(const QString& folder, const QString& shown) const;

    MountSource mounts_;
    FolderCheck changeable_;
};

}  // namespace quillstar
