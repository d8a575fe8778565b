#pragma once

#include <QString>
#include <QStringList>

#include <QAbstractItemView>
#include <QList>
#include <QPoint>

#include "browse/BrowserOwner.h"

namespace quillstar {

// Stands in for the main window: records what the browser controls report.
class FakeOwner : public BrowserOwner {
 public:
  void FolderChosen(const QString& path) override { chosen.append(path); }
  void RevealFolder(const QString& path) override { revealed.append(path); }
  int filterIndex() const override { return filter; }
  void RebuildFolderTree() override { ++treeBuilds; }
  void AddSelectionToBurnList() override { ++adds; }
  bool BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list,
                 const QPoint& point) override {
    drags.append({source, &list, point});
    return true;
  }

  struct Drag {
    BurnListModel::DragSource source;
    QAbstractItemView* list;
    QPoint point;
  };
  QStringList chosen;
  QStringList revealed;
  int filter = 1;
  int treeBuilds = 0;
  int adds = 0;
  QList<Drag> drags;
};

}  // namespace quillstar
