#include "browse/FileListModel.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

#include "browse/SystemImageList.h"
#include "resources/BrowseTexts.h"

namespace quillstar {

namespace {

constexpr qint64 kKilobyte = 1024;
constexpr qint64 kMegabyte = 1024 * 1024;

// From the last dot on, dot included; empty when there is none or nothing
// follows it.
QString ExtensionOf(const QString& lowerName)
{
    const qsizetype dot = lowerName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 || dot == lowerName.size() - 1 ? QString() : lowerName.mid(dot);
}

template <typename T>
int ThreeWay(const T& a, const T& b)
{
    return (a > b) - (a < b);
}

}  // namespace

FileListModel::FileListModel(TypeNameSource typeNames, QObject* parent)
    : QAbstractTableModel(parent), typeNames_(std::move(typeNames))
{
}

void FileListModel::Clear(const QString& folder)
{
    beginResetModel();
    entries_.clear();
    index_.clear();
    rows_ = 0;
    currentFolder_ = folder;
    endResetModel();
}

void FileListModel::Add(const FileEntry& entry)
{
    index_.push_back(static_cast<int>(entries_.size()));
    entries_.push_back(entry);
}

void FileListModel::RebuildRows()
{
    if (entries_.empty() || index_.size() != entries_.size())
        return;
    beginResetModel();
    rows_ = static_cast<int>(index_.size());
    endResetModel();
}

void FileListModel::RenameRow(int row, const QString& name)
{
    const int entry = EntryAt(row);
    if (entry < 0)
        return;
    entries_[entry].displayName = name;
    entries_[entry].lowerName = name.toLower();
    // A new extension may bring another icon.
    entries_[entry].iconIndex = -1;
    emit dataChanged(index(row, 0), index(row, browse::kColumnCount - 1));
}

void FileListModel::Sort(int column, int order)
{
    if (index_.size() < 2)
        return;
    // Type names are worked out once per sort, not once per comparison.
    std::vector<QString> typeKeys;
    if (column == browse::kTypeColumn) {
        typeKeys.resize(entries_.size());
        for (size_t i = 1; i < entries_.size(); ++i)
            typeKeys[i] = TypeName(entries_[i]).toLower();
    }
    const bool descending = order == browse::kDescending;
    std::sort(index_.begin() + 1, index_.end(), [&](int a, int b) {
        const int result = Compare(a, b, column, typeKeys);
        return descending ? result > 0 : result < 0;
    });
}

// Ascending order: folders before files, then the column's key, then the
// name. Descending is the exact reverse, files first.
int FileListModel::Compare(int a, int b, int column, const std::vector<QString>& typeKeys) const
{
    const FileEntry& x = entries_[a];
    const FileEntry& y = entries_[b];
    if (x.isFolder != y.isFolder)
        return x.isFolder ? -1 : 1;
    int result = 0;
    switch (column) {
    case browse::kSizeColumn:
        result = ThreeWay(x.size, y.size);
        break;
    case browse::kTypeColumn:
        result = typeKeys[a].compare(typeKeys[b]);
        break;
    case browse::kModifiedColumn:
        result = ThreeWay(x.modified, y.modified);
        break;
    default:
        break;
    }
    if (result == 0)
        result = x.lowerName.compare(y.lowerName);
    // Two names of one folder can differ in case only.
    if (result == 0)
        result = x.displayName.compare(y.displayName);
    return result;
}

QString FileListModel::TypeName(const FileEntry& entry) const
{
    // Keyed by the name as found: a folder may hold "Song.mp3" and "song.mp3".
    const QString key = currentFolder_ + entry.displayName;
    if (const auto known = pathTypeCache_.find(key); known != pathTypeCache_.end())
        return known->second;
    // Only files are typed by their extension: a folder "Album.mp3" is a folder.
    const QString extension = entry.isFolder ? QString() : ExtensionOf(entry.lowerName);
    if (!extension.isEmpty()) {
        if (const auto known = extensionTypeCache_.find(extension); known != extensionTypeCache_.end()) {
            pathTypeCache_[key] = known->second;
            return known->second;
        }
    }
    QString path = currentFolder_ + entry.displayName;
    if (currentFolder_.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    QString text = typeNames_(path, entry.isFolder);
    if (!text.isEmpty()) {
        if (!extension.isEmpty())
            extensionTypeCache_[extension] = text;
    } else {
        const QString fileExtension = ExtensionOf(entry.lowerName);
        text = fileExtension.isEmpty() ? QString::fromLatin1(browse::kUnnamedTypeText)
                                       : fileExtension.mid(1).toUpper() + QLatin1String(browse::kUnnamedTypeSuffix);
    }
    pathTypeCache_[key] = text;
    return text;
}

QString FileListModel::SizeText(qint64 size)
{
    if (size < 0)
        return QString();
    if (size < kKilobyte)
        return QString::number(size);
    if (size < kMegabyte)
        return QString::number(size / kKilobyte) + QLatin1Char(' ') + QLatin1String(browse::kKilobyteUnit);
    return QString::number(size / kMegabyte) + QLatin1Char(' ') + QLatin1String(browse::kMegabyteUnit);
}

QString FileListModel::ModifiedText(qint64 seconds)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds);
    if (!local.isValid())
        return QString();
    return QLocale::system().toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           local.time().toString(QLatin1String(browse::kModifiedTimeFormat));
}

int FileListModel::EntryAt(int row) const
{
    if (row < 0 || row >= rows_ || row >= static_cast<int>(index_.size()))
        return -1;
    const int entry = index_[row];
    return entry >= 0 && entry < static_cast<int>(entries_.size()) ? entry : -1;
}

std::vector<int> FileListModel::RowsOfEntries() const
{
    std::vector<int> rows(entries_.size(), -1);
    for (int row = 0; row < rows_; ++row) {
        if (const int entry = EntryAt(row); entry >= 0)
            rows[entry] = row;
    }
    return rows;
}

bool FileListModel::IsParentRow(int row) const
{
    return row == 0 && !currentFolder_.isEmpty();
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : browse::kColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    const int entry = EntryAt(index.row());
    if (entry < 0)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), entries_[entry], index.column());
    case Qt::EditRole:
        return index.column() == browse::kNameColumn ? entries_[entry].displayName : QVariant();
    case Qt::DecorationRole:
        return index.column() == browse::kNameColumn ? Icon(entry) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == browse::kSizeColumn ? QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter)
                                                     : QVariant();
    default:
        return QVariant();
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= browse::kColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(browse::kColumnTitles[section]);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(section == browse::kSizeColumn ? Qt::AlignRight | Qt::AlignVCenter
                                                                  : Qt::AlignLeft | Qt::AlignVCenter);
    return QVariant();
}

// Every row can be dragged and have its name edited; the list decides
// whether a drag or an edit may start.
Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (EntryAt(index.row()) < 0)
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsEditable |
           Qt::ItemNeverHasChildren;
}

QString FileListModel::Text(int row, const FileEntry& entry, int column) const
{
    switch (column) {
    case browse::kNameColumn:
        return entry.displayName;
    case browse::kSizeColumn:
        return SizeText(entry.size);
    case browse::kTypeColumn:
        return IsParentRow(row) ? QString() : TypeName(entry);
    case browse::kModifiedColumn:
        return currentFolder_.isEmpty() || row == 0 ? QString() : ModifiedText(entry.modified);
    default:
        return QString();
    }
}

QVariant FileListModel::Icon(int index) const
{
    FileEntry& entry = entries_[index];
    SystemImageList& images = SystemImageList::Shared();
    if (entry.iconIndex < 0) {
        int found = -1;
        if (currentFolder_.isEmpty())
            found = images.DriveIndex(entry.displayName);
        else if (entry.isFolder)
            // ".." too: the plain folder icon, without reading the disk.
            found = images.FolderIndex();
        else
            found = images.FileIndex(currentFolder_ + entry.displayName);
        if (found < 0)
            return QVariant();
        entry.iconIndex = found;
    }
    return images.Icon(entry.iconIndex);
}

}  // namespace quillstar
