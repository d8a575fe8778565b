#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quillstar {

// Where the folder tree and the file list get their drives from.
using DriveSource = std::function<QStringList()>;

// The "drives" a user browses: first the root folder, then the home folder,
// then every mounted volume that holds real files. Each is a full path without
// a trailing slash ("/" stays "/").
class DriveList {
public:
    struct Volume {
        QString rootPath;
        QByteArray fileSystemType;
        bool isReady = true;
    };

    static QStringList Read();
    static QStringList FromVolumes(const QString& homePath, const std::vector<Volume>& volumes);
    static bool IsPseudoFileSystem(const QByteArray& type);
};

}  // namespace quillstar
