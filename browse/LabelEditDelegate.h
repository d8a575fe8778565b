#pragma once

#include <QStyledItemDelegate>

#include <functional>

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

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 private:
  Commit commit_;
};

}  // namespace quillstar
