#pragma once

#include <QHeaderView>
#include <QIcon>

namespace quillstar {

// The file list's column headers. The sorted column shows a small triangle to
// the right of its title: pointing up for ascending order, down for descending.
class FileListHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit FileListHeader(QWidget* parent = nullptr);

    // Order 1 ascending, 2 descending.
    void SetSortMark(int section, int order);
    int SortSection() const { return sortSection_; }
    int SortOrder() const { return sortOrder_; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int sortSection_ = -1;
    int sortOrder_ = 0;
    QIcon up_;
    QIcon down_;
};

}  // namespace quillstar
