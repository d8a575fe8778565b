#include "browse/LabelEditDelegate.h"

#include <QLineEdit>
#include <QTreeView>

#include "resources/BrowseTexts.h"

namespace quillstar {

LabelEditDelegate::LabelEditDelegate(Commit commit, QObject* parent)
    : QStyledItemDelegate(parent), commit_(std::move(commit))
{
}

void LabelEditDelegate::SetUpRowList(QTreeView& view, int editColumn, Commit commit)
{
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    // A click on a selected row's label starts editing it; the lists handle F2
    // themselves.
    view.setEditTriggers(QAbstractItemView::SelectedClicked);
    view.setItemDelegateForColumn(editColumn, new LabelEditDelegate(std::move(commit), &view));
    // The owner runs drags; the list only reports where one starts.
    view.setDragDropMode(QAbstractItemView::DragOnly);
}

QWidget* LabelEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setMaxLength(browse::kMaxLabelLength);
    return editor;
}

void LabelEditDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line)
        return;
    // The handler may show a message box; shown while the editor still closes,
    // its focus change would commit the same edit a second time. So it runs once
    // the editor is gone.
    QMetaObject::invokeMethod(
        const_cast<LabelEditDelegate*>(this),
        [this, item = QPersistentModelIndex(index), text = line->text()] {
            if (item.isValid())
                commit_(item, text);
        },
        Qt::QueuedConnection);
}

}  // namespace quillstar
