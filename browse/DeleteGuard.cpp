#include "browse/DeleteGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mntent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "resources/BrowseTexts.h"

namespace quillstar {

namespace {

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

bool DeviceOf(const QString& path, dev_t& device)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    device = status.st_dev;
    return true;
}

// A folder on another file system than the folder it sits in is mounted
// there, whatever the mount table says.
bool IsOnOtherDevice(const QString& folder, dev_t parentDevice)
{
    dev_t device = 0;
    return DeviceOf(folder, device) && device != parentDevice;
}

QString NativeToText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

}  // namespace

DeleteGuard::DeleteGuard(MountSource mounts, FolderCheck changeable)
    : mounts_(std::move(mounts)), changeable_(std::move(changeable))
{
}

QStringList DeleteGuard::SystemMountPoints()
{
    QStringList points;
    FILE* table = setmntent("/proc/self/mounts", "r");
    if (table == nullptr)
        return points;
    while (const mntent* entry = getmntent(table))
        points.append(QFile::decodeName(entry->mnt_dir));
    endmntent(table);
    return points;
}

bool DeleteGuard::CanChangeFolder(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

DeleteGuard::Verdict DeleteGuard::Check(const QString& path, bool forGood) const
{
    const QFileInfo info(path);
    const QString parent = info.absolutePath();
    const QString shown = QDir::cleanPath(info.absoluteFilePath());
    // A link goes away by itself and never takes its target along.
    const bool folder = info.isDir() && !info.isSymLink();
    if (folder) {
        dev_t parentDevice = 0;
        const QString canonical = info.canonicalFilePath();
        if (HoldsProtectedFolder(canonical) || !DeviceOf(parent, parentDevice) ||
            IsOnOtherDevice(canonical, parentDevice))
            return {Text(browse::kDeleteProtectedText).arg(shown)};
    }
    if (!changeable_(parent))
        return {Text(browse::kDeleteUnchangeableText).arg(shown, parent)};
    // The trash takes a folder whole, by its name.
    return folder && forGood ? CheckTree(info.canonicalFilePath(), shown) : Verdict{};
}

bool DeleteGuard::HoldsProtectedFolder(const QString& canonicalPath) const
{
    QStringList guarded = mounts_();
    guarded << QStringLiteral("/") << QDir::homePath();
    for (const QString& path : guarded) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty() &&
            (canonical == canonicalPath || canonical.startsWith(canonicalPath + QLatin1Char('/'))))
            return true;
    }
    return false;
}

DeleteGuard::Verdict DeleteGuard::CheckTree(const QString& folder, const QString& shown) const
{
    Verdict verdict;
    dev_t device = 0;
    if (!DeviceOf(folder, device) || !changeable_(folder))
        return {Text(browse::kDeleteUnchangeableText).arg(shown, folder)};
    namespace fs = std::filesystem;
    std::error_code error;
    fs::recursive_directory_iterator it(fs::path(QFile::encodeName(folder).toStdString()), error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError) || it->is_symlink(typeError)) {
            ++verdict.fileCount;
            continue;
        }
        const QString inside = NativeToText(it->path());
        if (IsOnOtherDevice(inside, device))
            return {Text(browse::kDeleteProtectedText).arg(shown)};
        if (!changeable_(inside))
            return {Text(browse::kDeleteUnchangeableText).arg(shown, inside)};
    }
    if (error)
        return {Text(browse::kDeleteUnreadableText).arg(shown, QString::fromStdString(error.message()))};
    return verdict;
}

}  // namespace quillstar
