#pragma once

#include <QString>
#include <QStringList>

#include "browse/BrowserOwner.h"

namespace quillstar {

// Stands in for the main window: records what the browser controls report.
class FakeOwner : public BrowserOwner {
public:
    void FolderChosen(const QString& path) override { chosen.append(path); }
    void RevealFolder(const QString& path) override { revealed.append(path); }
    int filterIndex() const override { return filter; }
    // The window's tree and burn list are not there.
    void RebuildFolderTree() override {}
    void AddSelectionToBurnList() override {}
    bool BeginDrag(BurnListModel::DragSource, QAbstractItemView&, const QPoint&) override { return false; }
    const DeleteGuard& Guard() const override { return guard; }

    QStringList chosen;
    QStringList revealed;
    int filter = 1;
    DeleteGuard guard;
};

}  // namespace quillstar
