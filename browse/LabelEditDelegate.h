#pragma once

#include <QStyledItemDelegate>

#include <functional>

class QTreeView;

namespace quillstar {

// Label editing of a tree or list item: the edit field takes at most 255
// characters, and the typed text goes to a handler that renames the item and
// sets the new label itself, or refuses and leaves the old one. The handler
// runs after the edit field has closed; an edit the user cancels never reaches it.
class LabelEditDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using Commit = std::function<void(const QModelIndex& index, const QString& text)>;

    LabelEditDelegate(Commit commit, QObject* parent);

    // Makes the view a list of whole rows in several columns, the way the
    // file list and the burn list show: no tree lines, rows of one height,
    // several rows selectable, the column's labels edited through a delegate
    // that hands the typed text to the handler, and drags only reported.
    static void SetUpRowList(QTreeView& view, int editColumn, Commit commit);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    Commit commit_;
};

}  // namespace quillstar
