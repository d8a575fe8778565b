#include "browse/ShellFileOperation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStandardPaths>

#include "resources/BrowseTexts.h"

namespace quillstar {

namespace {

QString Caption()
{
    return QGuiApplication::applicationDisplayName();
}

QString NameOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

QString FullPath(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString FileCountText(int count)
{
    return count == 1 ? QString::fromUtf8(browse::kOneFileText) : QString::fromUtf8(browse::kFilesText).arg(count);
}

// A link to a folder goes away by itself; its target stays untouched.
bool IsFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

// lstat-like: a dangling symbolic link still occupies its name.
bool NameIsTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

bool ShellFileOperation::HasInvalidNameCharacter(const QString& name)
{
    const QString forbidden = QString::fromLatin1(browse::kInvalidNameCharacters);
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return true;
    }
    return false;
}

bool ShellFileOperation::CheckNewName(const QString& name, QWidget* owner)
{
    if (!HasInvalidNameCharacter(name))
        return true;
    QMessageBox::warning(owner, Caption(), QString::fromUtf8(browse::kInvalidNameText));
    return false;
}

bool ShellFileOperation::Rename(const QString& from, const QString& to, QWidget* owner)
{
    // A change of case only is allowed even where the file system ignores case
    // and so reports the new name as taken.
    const bool caseOnly = from.compare(to, Qt::CaseInsensitive) == 0;
    if (!caseOnly && NameIsTaken(to)) {
        ShowError(QString::fromUtf8(browse::kRenameTargetExistsText).arg(NameOf(from), NameOf(to)), owner);
        return false;
    }
    QFile file(from);
    if (!file.rename(to)) {
        ShowError(QString::fromUtf8(browse::kRenameFailedText).arg(NameOf(from), NameOf(to)) + QLatin1Char('\n') +
                      file.errorString(),
                  owner);
        return false;
    }
    return true;
}

ShellFileOperation::Result ShellFileOperation::Delete(const QStringList& paths, bool forGood, QWidget* owner,
                                                      const DeleteGuard& guard)
{
    if (paths.isEmpty())
        return Result::Done;
    std::vector<int> fileCounts;
    for (const QString& path : paths) {
        const DeleteGuard::Verdict verdict = guard.Check(path, forGood);
        if (!verdict.refusal.isEmpty()) {
            ShowError(verdict.refusal, owner);
            return Result::Failed;
        }
        fileCounts.push_back(IsFolder(path) ? verdict.fileCount : -1);
    }
    if (forGood && !ConfirmDeleteForGood(paths, fileCounts, owner))
        return Result::Cancelled;
    for (const QString& path : paths) {
        if (!(forGood ? DeleteForGood(path, owner) : MoveToTrash(path, owner)))
            return Result::Failed;
    }
    return Result::Done;
}

bool ShellFileOperation::MoveToTrash(const QString& path, QWidget* owner)
{
    // When the trash folder in the user's data folder cannot be set up, Qt falls
    // back to a "files" folder relative to the working directory; the item would
    // then vanish where nobody looks for it. Make sure the trash is in place first.
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    if (!QDir().mkpath(trash + "/files") || !QDir().mkpath(trash + "/info")) {
        ShowError(QString::fromUtf8(browse::kTrashUnusableText).arg(trash), owner);
        return false;
    }
    if (!QFile::moveToTrash(path)) {
        ShowError(QString::fromUtf8(browse::kTrashFailedText).arg(NameOf(path)), owner);
        return false;
    }
    return true;
}

bool ShellFileOperation::DeleteForGood(const QString& path, QWidget* owner)
{
    const bool removed = IsFolder(path) ? QDir(path).removeRecursively() : QFile::remove(path);
    if (!removed)
        ShowError(QString::fromUtf8(browse::kDeleteFailedText).arg(NameOf(path)), owner);
    return removed;
}

bool ShellFileOperation::ConfirmDeleteForGood(const QStringList& paths, const std::vector<int>& fileCounts,
                                              QWidget* owner)
{
    QString text;
    if (paths.size() == 1) {
        text = fileCounts.front() < 0 ? QString::fromUtf8(browse::kConfirmDeleteOneText).arg(FullPath(paths.front()))
                                      : QString::fromUtf8(browse::kConfirmDeleteFolderText)
                                            .arg(FullPath(paths.front()), FileCountText(fileCounts.front()));
    } else {
        QStringList lines{QString::fromUtf8(browse::kConfirmDeleteManyText).arg(paths.size()), QString()};
        for (qsizetype i = 0; i < paths.size() && i < browse::kConfirmListedItems; ++i) {
            const int files = fileCounts[static_cast<size_t>(i)];
            lines
                << (files < 0
                        ? FullPath(paths[i])
                        : QString::fromUtf8(browse::kConfirmFolderLine).arg(FullPath(paths[i]), FileCountText(files)));
        }
        if (paths.size() > browse::kConfirmListedItems)
            lines << QString::fromUtf8(browse::kConfirmMoreLine).arg(paths.size() - browse::kConfirmListedItems);
        text = lines.join(QLatin1Char('\n'));
    }
    return QMessageBox::warning(owner, Caption(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void ShellFileOperation::ShowError(const QString& text, QWidget* owner)
{
    QMessageBox::warning(owner, Caption(), text);
}

}  // namespace quillstar
