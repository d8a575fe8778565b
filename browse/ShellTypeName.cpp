#include "browse/ShellTypeName.h"

#include <QDir>
#include <QMimeDatabase>
#include <QStorageInfo>

#include "decode/MusicFile.h"

namespace quillstar {

QString ShellTypeName::Lookup(const QString& path, bool isFolder)
{
    const QMimeDatabase database;
    if (isFolder) {
        const bool isMountPoint =
            path.endsWith(QLatin1Char('/')) && QStorageInfo(path).rootPath() == QDir::cleanPath(path);
        return database
            .mimeTypeForName(isMountPoint ? QStringLiteral("inode/mount-point") : QStringLiteral("inode/directory"))
            .comment();
    }
    if (const MusicFile::Type* music = MusicFile::TypeOf(path.toStdString()))
        return QString::fromUtf8(music->typeText);
    const QMimeType type = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return type.isValid() && !type.isDefault() ? type.comment() : QString();
}

}  // namespace quillstar
