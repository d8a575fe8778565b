#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "browse/DeleteGuard.h"

class QWidget;

namespace quillstar {

// Renames and deletes files and folders the way the desktop does: deleting
// moves to the trash unless the user asks to delete for good, which is
// confirmed first. The guard refuses, before anything goes, a delete that
// would reach further than the items chosen. Every refusal and failure is
// shown to the user in a warning box.
class ShellFileOperation {
public:
    enum class Result { Done, Cancelled, Failed };

    // Checks a new name typed by the user against the nine characters no name
    // may hold; shows the warning (string 102) and answers false when one is there.
    static bool CheckNewName(const QString& name, QWidget* owner);
    static bool HasInvalidNameCharacter(const QString& name);

    // Renames `from` to `to` in place. Never replaces an existing item.
    static bool Rename(const QString& from, const QString& to, QWidget* owner);

    // Deletes the items in order, stopping at the first failure; nothing
    // goes when the guard refuses any of them.
    static Result Delete(const QStringList& paths, bool forGood, QWidget* owner,
                         const DeleteGuard& guard = DeleteGuard());

private:
    static bool MoveToTrash(const QString& path, QWidget* owner);
    static bool DeleteForGood(const QString& path, QWidget* owner);
    // fileCounts holds, for each path, the files a folder holds or -1 for a file.
    static bool ConfirmDeleteForGood(const QStringList& paths, const std::vector<int>& fileCounts, QWidget* owner);
    static void ShowError(const QString& text, QWidget* owner);
};

}  // namespace quillstar
