#include "browse/FolderTree.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <filesystem>

#include "browse/BrowserOwner.h"
#include "browse/LabelEditDelegate.h"
#include "browse/ShellFileOperation.h"
#include "browse/ShellLauncher.h"
#include "browse/SystemImageList.h"
#include "resources/BrowseTexts.h"

namespace quillstar {

namespace {

// Set once an item has been expanded and filled: it is never read again until
// the tree is built anew.
constexpr int kExpandedOnceRole = Qt::UserRole;

QString WithoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString JoinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

std::filesystem::path NativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString NameOf(const std::filesystem::directory_entry& entry)
{
    return QFile::decodeName(QByteArray::fromStdString(entry.path().filename().native()));
}

// Calls `visit` with each sub-folder's name (links to folders count) until it
// answers false. An unreadable folder has no sub-folders.
template <typename Visit>
void ForEachSubfolder(const QString& path, Visit visit)
{
    std::error_code error;
    std::filesystem::directory_iterator it(NativePath(path), std::filesystem::directory_options::skip_permission_denied,
                                           error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored) && !visit(NameOf(*it)))
            return;
    }
}

// The actual name of the sub-folder whose name matches in any case.
QString FindSubfolderIgnoringCase(const QString& folder, const QString& name)
{
    const QString upper = name.toUpper();
    QString found;
    ForEachSubfolder(folder, [&](const QString& candidate) {
        if (candidate.toUpper() == upper)
            found = candidate;
        return found.isEmpty();
    });
    return found;
}

}  // namespace

FolderTree::FolderTree(BrowserOwner& owner, DriveSource drives, QWidget* parent)
    : QTreeWidget(parent), owner_(owner), drives_(std::move(drives))
{
    setObjectName(QStringLiteral("FolderTree"));
    setColumnCount(1);
    setHeaderHidden(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    // A click on the selected folder starts label editing; F2 is handled here.
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setItemDelegate(new LabelEditDelegate(
        [this](const QModelIndex& index, const QString& text) { RenameFolder(itemFromIndex(index), text); }, this));
    CreateMenu();
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::OnItemExpanded);
    connect(this, &QTreeWidget::currentItemChanged, this, &FolderTree::OnCurrentItemChanged);
}

void FolderTree::CreateMenu()
{
    menu_ = new QMenu(this);
    menu_->setObjectName(QString::fromLatin1(browse::kDirectoryTreeMenuName));
    renameAction_ = menu_->addAction(QString::fromUtf8(browse::kRenameText));
    renameAction_->setData(browse::kCommandRenameFolder);
    deleteAction_ = menu_->addAction(QString::fromUtf8(browse::kDeleteText));
    deleteAction_->setData(browse::kCommandDeleteFolder);
    propertiesAction_ = menu_->addAction(QString::fromUtf8(browse::kPropertiesText));
    propertiesAction_->setData(browse::kCommandFolderProperties);
    connect(renameAction_, &QAction::triggered, this, &FolderTree::StartRename);
    connect(deleteAction_, &QAction::triggered, this,
            [this] { DeleteSelected(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier)); });
    connect(propertiesAction_, &QAction::triggered, this, &FolderTree::ShowProperties);
}

bool FolderTree::Initialize()
{
    clear();
    SystemImageList& images = SystemImageList::Shared();
    QTreeWidgetItem* root = AddItem(nullptr, QString::fromUtf8(browse::kComputerText), images.ComputerIndex());
    const QStringList drives = drives_();
    if (drives.isEmpty())
        return false;
    for (const QString& drive : drives)
        AddPlaceholder(AddItem(root, drive, images.DriveIndex(drive)));
    expandItem(root);
    return true;
}

QTreeWidgetItem* FolderTree::AddItem(QTreeWidgetItem* parent, const QString& text, int iconIndex)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setIcon(0, SystemImageList::Shared().Icon(iconIndex));
    return item;
}

void FolderTree::AddPlaceholder(QTreeWidgetItem* item)
{
    new QTreeWidgetItem(item);
}

QString FolderTree::ItemPath(const QTreeWidgetItem* item) const
{
    QStringList texts;
    for (const QTreeWidgetItem* i = item; i && i->parent(); i = i->parent())
        texts.prepend(i->text(0));
    QString path;
    for (const QString& text : texts) {
        path += text;
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
    }
    return path;
}

void FolderTree::OnItemExpanded(QTreeWidgetItem* item)
{
    FillOnExpand(item);
    item->setData(0, kExpandedOnceRole, true);
}

void FolderTree::FillOnExpand(QTreeWidgetItem* item)
{
    if (!item->parent() || item->data(0, kExpandedOnceRole).toBool())
        return;
    qDeleteAll(item->takeChildren());
    FillSubfolders(item, ItemPath(item));
}

void FolderTree::FillSubfolders(QTreeWidgetItem* item, const QString& path)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList names = SortedSubfolders(path);
    const QIcon folderIcon = SystemImageList::Shared().Icon(SystemImageList::Shared().FolderIndex());
    QList<QTreeWidgetItem*> children;
    children.reserve(names.size());
    for (const QString& name : names) {
        auto* child = new QTreeWidgetItem(QStringList{name});
        child->setIcon(0, folderIcon);
        child->setFlags(child->flags() | Qt::ItemIsEditable);
        if (HasSubfolder(JoinPath(path, name)))
            AddPlaceholder(child);
        children.append(child);
    }
    setUpdatesEnabled(false);
    item->addChildren(children);
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

QStringList FolderTree::SortedSubfolders(const QString& path)
{
    QStringList names;
    ForEachSubfolder(path, [&names](const QString& name) {
        names.append(name);
        return true;
    });
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Names that differ only in case keep a fixed order between them.
    std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

bool FolderTree::HasSubfolder(const QString& path)
{
    bool found = false;
    ForEachSubfolder(path, [&found](const QString&) {
        found = true;
        return false;
    });
    return found;
}

bool FolderTree::FolderExists(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    if (QFileInfo(path).isDir())
        return true;
    QString actual = QStringLiteral("/");
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QString step = JoinPath(actual, name);
        if (!QFileInfo(step).isDir()) {
            const QString found = FindSubfolderIgnoringCase(actual, name);
            if (found.isEmpty())
                return false;
            step = JoinPath(actual, found);
        }
        actual = step;
    }
    return true;
}

QTreeWidgetItem* FolderTree::FindChild(const QTreeWidgetItem* parent, const QString& name)
{
    QTreeWidgetItem* anyCase = nullptr;
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (child->text(0) == name)
            return child;
        if (!anyCase && child->text(0).toUpper() == name.toUpper())
            anyCase = child;
    }
    return anyCase;
}

bool FolderTree::SelectPath(const QString& path)
{
    if (topLevelItemCount() == 0)
        return false;
    if (path.isEmpty()) {
        SelectRoot();
        return true;
    }
    if (!FolderExists(path))
        return false;
    QString wanted = path;
    if (!wanted.endsWith(QLatin1Char('/')))
        wanted += QLatin1Char('/');
    QString rest;
    QTreeWidgetItem* current = FindDrive(wanted, &rest);
    if (!current)
        return false;
    setUpdatesEnabled(false);
    CollapseChildren(current);
    expandItem(current);
    for (const QString& name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QTreeWidgetItem* child = FindChild(current, name);
        if (!child) {
            setUpdatesEnabled(true);
            return false;
        }
        CollapseChildren(child);
        expandItem(child);
        current = child;
    }
    scrollToItem(current, QAbstractItemView::PositionAtTop);
    setCurrentItem(current);
    setUpdatesEnabled(true);
    return true;
}

void FolderTree::SelectRoot()
{
    QTreeWidgetItem* root = topLevelItem(0);
    CollapseChildren(root);
    setCurrentItem(root);
}

// The drive whose path begins the path, in any case; of drives inside other
// drives ("/" and "/home/ann") the longest match wins, and of two as long
// the one matching in case. `rest` gets the part of the path below the drive.
QTreeWidgetItem* FolderTree::FindDrive(const QString& path, QString* rest) const
{
    const QTreeWidgetItem* root = topLevelItem(0);
    QTreeWidgetItem* best = nullptr;
    qsizetype bestLength = 0;
    bool bestExact = false;
    for (int i = 0; i < root->childCount(); ++i) {
        QString drive = root->child(i)->text(0);
        if (!drive.endsWith(QLatin1Char('/')))
            drive += QLatin1Char('/');
        const bool exact = path.startsWith(drive);
        if (!exact && !path.toUpper().startsWith(drive.toUpper()))
            continue;
        if (drive.size() > bestLength || (drive.size() == bestLength && exact && !bestExact)) {
            best = root->child(i);
            bestLength = drive.size();
            bestExact = exact;
        }
    }
    *rest = path.mid(bestLength);
    return best;
}

void FolderTree::CollapseChildren(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        collapseItem(item->child(i));
}

void FolderTree::OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    SetSelectedLook(previous, false);
    SetSelectedLook(current, true);
    if (current && !selectingQuietly_)
        owner_.FolderChosen(ItemPath(current));
}

// A selected folder shows an open folder.
void FolderTree::SetSelectedLook(QTreeWidgetItem* item, bool selected)
{
    if (!IsFolderItem(item))
        return;
    SystemImageList& images = SystemImageList::Shared();
    item->setIcon(0, images.Icon(selected ? images.OpenFolderIndex() : images.FolderIndex()));
}

void FolderTree::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    // The press selects and reads the folder under the pointer so the context
    // menu that follows acts on it; the control never sees the press.
    QTreeWidgetItem* hit = itemAt(event->position().toPoint());
    if (!hit || (hit == currentItem() && hit->isSelected()))
        return;
    selectingQuietly_ = true;
    setCurrentItem(hit);
    selectingQuietly_ = false;
    FillOnExpand(hit);
    owner_.FolderChosen(ItemPath(hit));
    setFocus(Qt::MouseFocusReason);
}

void FolderTree::contextMenuEvent(QContextMenuEvent* event)
{
    if (topLevelItemCount() == 0)
        return;
    QTreeWidgetItem* selected = SelectedItem();
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && selected) {
        // Just inside the top left corner of the selected item's text.
        const int iconWidth =
            iconSize().isValid() ? iconSize().width() : style()->pixelMetric(QStyle::PM_SmallIconSize);
        const QRect item = visualItemRect(selected);
        at = viewport()->mapToGlobal(item.topLeft() +
                                     QPoint(iconWidth + browse::kKeyboardMenuOffset, browse::kKeyboardMenuOffset));
    }
    const bool folder = IsFolderItem(selected);
    renameAction_->setEnabled(folder);
    deleteAction_->setEnabled(folder);
    propertiesAction_->setEnabled(folder);
    menu_->exec(at);
}

void FolderTree::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
        DeleteSelected(event->modifiers().testFlag(Qt::ShiftModifier));
    else if (event->key() == Qt::Key_F2)
        StartRename();
    QTreeWidget::keyPressEvent(event);
}

void FolderTree::StartRename()
{
    QTreeWidgetItem* item = SelectedItem();
    if (IsFolderItem(item))
        editItem(item, 0);
}

bool FolderTree::RenameFolder(QTreeWidgetItem* item, const QString& newName)
{
    if (!ShellFileOperation::CheckNewName(newName, window()))
        return false;
    if (newName.isEmpty() || !IsFolderItem(item) || newName == item->text(0))
        return false;
    const QString oldPath = WithoutTrailingSlashes(ItemPath(item));
    const QString newPath = oldPath.left(oldPath.lastIndexOf(QLatin1Char('/')) + 1) + newName;
    if (!ShellFileOperation::Rename(oldPath, newPath, window()))
        return false;
    item->setText(0, newName);
    owner_.FolderChosen(newPath + QLatin1Char('/'));
    return true;
}

void FolderTree::DeleteSelected(bool forGood)
{
    QTreeWidgetItem* item = SelectedItem();
    if (IsFolderItem(item)) {
        const QString path = WithoutTrailingSlashes(ItemPath(item));
        if (ShellFileOperation::Delete({path}, forGood, this, owner_.Guard()) == ShellFileOperation::Result::Done) {
            setCurrentItem(item->parent());
            delete item;
        }
    }
    setFocus();
}

void FolderTree::ShowProperties()
{
    QTreeWidgetItem* item = SelectedItem();
    if (IsFolderItem(item))
        ShellLauncher::ShowProperties(WithoutTrailingSlashes(ItemPath(item)), window());
}

QTreeWidgetItem* FolderTree::SelectedItem() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.front();
}

bool FolderTree::IsFolderItem(const QTreeWidgetItem* item)
{
    return item && item->parent() && item->parent()->parent();
}

}  // namespace quillstar
