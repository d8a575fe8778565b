#include "browse/SystemImageList.h"

#include <QDir>

#include "decode/MusicFile.h"
#include "resources/BurnListControlTexts.h"

// The note lives in a static library; nothing else would pull it in.
static void LoadBurnListResources()
{
    Q_INIT_RESOURCE(burnlist);
}

namespace quillstar {

SystemImageList& SystemImageList::Shared()
{
    static SystemImageList list;
    return list;
}

int SystemImageList::FileIndex(const QString& path)
{
    if (MusicFile::IsMusicFile(path.toStdString())) {
        return Find(QStringLiteral("music"), [] {
            LoadBurnListResources();
            return QIcon(QString::fromLatin1(burnlist::kTrackImage));
        });
    }
    const QMimeType type = mimeDatabase_.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return Find(type.name(), [this, &type] {
        return QIcon::fromTheme(type.iconName(),
                                QIcon::fromTheme(type.genericIconName(), provider_.icon(QFileIconProvider::File)));
    });
}

int SystemImageList::FolderIndex()
{
    return Find(QStringLiteral("folder"), [this] { return provider_.icon(QFileIconProvider::Folder); });
}

int SystemImageList::OpenFolderIndex()
{
    return Find(QStringLiteral("folder-open"), [this] {
        return QIcon::fromTheme(QStringLiteral("folder-open"), provider_.icon(QFileIconProvider::Folder));
    });
}

int SystemImageList::DriveIndex(const QString& path)
{
    if (QDir::cleanPath(path) == QDir::homePath()) {
        return Find(QStringLiteral("user-home"), [this] {
            return QIcon::fromTheme(QStringLiteral("user-home"), provider_.icon(QFileIconProvider::Drive));
        });
    }
    return Find(QStringLiteral("drive"), [this] { return provider_.icon(QFileIconProvider::Drive); });
}

int SystemImageList::ComputerIndex()
{
    return Find(QStringLiteral("computer"), [this] {
        return QIcon::fromTheme(QStringLiteral("computer"), provider_.icon(QFileIconProvider::Computer));
    });
}

QIcon SystemImageList::Icon(int index) const
{
    return index >= 0 && index < static_cast<int>(icons_.size()) ? icons_[index] : QIcon();
}

int SystemImageList::Find(const QString& key, const std::function<QIcon()>& make)
{
    const auto found = indexByKey_.constFind(key);
    if (found != indexByKey_.constEnd())
        return found.value();
    const QIcon icon = make();
    if (icon.isNull())
        return -1;
    icons_.push_back(icon);
    const int index = static_cast<int>(icons_.size()) - 1;
    indexByKey_.insert(key, index);
    return index;
}

}  // namespace quillstar
