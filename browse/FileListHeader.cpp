#include "browse/FileListHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

#include "resources/BrowseTexts.h"

// The pictures live in a static library; nothing else would pull them in.
static void LoadBrowseResources()
{
    Q_INIT_RESOURCE(browse);
}

namespace quillstar {

namespace {

constexpr int kTriangleSize = 8;
constexpr int kTriangleGap = 4;

}  // namespace

FileListHeader::FileListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    LoadBrowseResources();
    up_ = QIcon(QStringLiteral(":/browse/sort-up.svg"));
    down_ = QIcon(QStringLiteral(":/browse/sort-down.svg"));
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setStretchLastSection(false);
}

void FileListHeader::SetSortMark(int section, int order)
{
    sortSection_ = section;
    sortOrder_ = order;
    viewport()->update();
}

void FileListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (logicalIndex != sortSection_ || (sortOrder_ != browse::kAscending && sortOrder_ != browse::kDescending)) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    // The title keeps room for the triangle on its right; a right-aligned title
    // moves left by that much, a left-aligned one has the triangle just after it.
    QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    label.setRight(label.right() - kTriangleSize - kTriangleGap);
    QStyleOptionHeader title = option;
    title.rect = label;
    style()->drawControl(QStyle::CE_HeaderLabel, &title, painter, this);

    int x = label.right() + kTriangleGap;
    if (!(option.textAlignment & Qt::AlignRight)) {
        const int textWidth = option.fontMetrics.horizontalAdvance(option.text);
        x = std::min(label.left() + textWidth + kTriangleGap, x);
    }
    const QRect triangle(x, rect.center().y() - kTriangleSize / 2 + 1, kTriangleSize, kTriangleSize);
    (sortOrder_ == browse::kAscending ? up_ : down_).paint(painter, triangle);
}

}  // namespace quillstar
