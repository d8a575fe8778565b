#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <map>
#include <vector>

#include "browse/FileEntry.h"
#include "browse/ShellTypeName.h"

namespace quillstar {

// The rows of the file list. Entries stay in the order the folder was read;
// `index` says which entry each row shows, and sorting permutes only `index`.
// Row 0 never moves: ".." in a folder, the first drive in the drive list.
// Texts, type names and icons are worked out only when a row is shown.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit FileListModel(TypeNameSource typeNames, QObject* parent = nullptr);

    // Empties the model and the rows for a new listing of `folder` ("" for the
    // drive list).
    void Clear(const QString& folder);
    // Adds an entry; it gets a row at the next RebuildRows.
    void Add(const FileEntry& entry);
    // Sorts rows 1 to last by the column, ascending or descending.
    void Sort(int column, int order);
    // Makes the rows show the entries in `index` order.
    void RebuildRows();
    // Gives the entry of a row a new name in place; the rows keep their order.
    void RenameRow(int row, const QString& name);

    QString TypeName(const FileEntry& entry) const;

    const QString& CurrentFolder() const { return currentFolder_; }
    const std::vector<FileEntry>& Entries() const { return entries_; }
    // The entry a row shows, or -1.
    int EntryAt(int row) const;
    // The row of each entry, -1 for an entry without a row.
    std::vector<int> RowsOfEntries() const;

    static QString SizeText(qint64 size);
    static QString ModifiedText(qint64 seconds);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString Text(int row, const FileEntry& entry, int column) const;
    QVariant Icon(int entry) const;
    int Compare(int a, int b, int column, const std::vector<QString>& typeKeys) const;
    bool IsParentRow(int row) const;

    TypeNameSource typeNames_;
    // Showing a row stores its icon index in the entry.
    mutable std::vector<FileEntry> entries_;
    std::vector<int> index_;
    // The rows the view sees; set by RebuildRows and Clear only.
    int rows_ = 0;
    QString currentFolder_;
    // Type names by path and, for files, by extension; kept for the whole run.
    mutable std::map<QString, QString> pathTypeCache_;
    mutable std::map<QString, QString> extensionTypeCache_;
};

}  // namespace quillstar
