#include "browse/DriveList.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <array>

namespace quillstar {

QStringList DriveList::Read()
{
    std::vector<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes())
        volumes.push_back({storage.rootPath(), storage.fileSystemType(), storage.isReady()});
    return FromVolumes(QDir::homePath(), volumes);
}

QStringList DriveList::FromVolumes(const QString& homePath, const std::vector<Volume>& volumes)
{
    QStringList drives{QStringLiteral("/")};
    const auto add = [&drives](const QString& path) {
        const QString clean = QDir::cleanPath(path);
        if (clean.startsWith(QLatin1Char('/')) && !drives.contains(clean) && QFileInfo(clean).isDir())
            drives.append(clean);
    };
    if (!homePath.isEmpty())
        add(homePath);
    for (const Volume& volume : volumes) {
        if (volume.isReady && !IsPseudoFileSystem(volume.fileSystemType))
            add(volume.rootPath);
    }
    return drives;
}

bool DriveList::IsPseudoFileSystem(const QByteArray& type)
{
    // Kernel interfaces, memory-backed scratch space, snap images and container
    // layers: none of them is a volume a user keeps music on.
    static constexpr std::array<const char*, 30> kPseudo = {
        "autofs",     "binfmt_misc",  "bpf",      "cgroup",  "cgroup2",    "configfs",        "debugfs",
        "devpts",     "devtmpfs",     "efivarfs", "fusectl", "hugetlbfs",  "mqueue",          "nsfs",
        "overlay",    "proc",         "pstore",   "ramfs",   "rpc_pipefs", "securityfs",      "selinuxfs",
        "squashfs",   "sysfs",        "tmpfs",    "tracefs", "nfsd",       "fuse.gvfsd-fuse", "fuse.portal",
        "fuse.lxcfs", "fuse.snapfuse"};
    return type.isEmpty() ||
           std::any_of(kPseudo.begin(), kPseudo.end(), [&type](const char* pseudo) { return type == pseudo; });
}

}  // namespace quillstar
