#pragma once

// Driving a list's context menu and its label editing as the user would.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QPoint>
#include <QTest>
#include <QTimer>

namespace quillstar {

// What a list's context menu showed: whether it opened, where, and which of
// its commands (separators left out) were enabled.
struct MenuSeen {
    bool opened = false;
    QPoint position;
    QList<bool> enabled;
};

// Asks the list for its context menu (named `menuName`) as the mouse or the
// keyboard would at `at`, reads the menu while it is open and closes it;
// `choose` is the index of a command to pick meanwhile, -1 for none.
inline MenuSeen OpenMenu(QAbstractItemView& list, const char* menuName, QContextMenuEvent::Reason reason,
                         const QPoint& at, int choose = -1)
{
    MenuSeen seen;
    auto* menu = list.findChild<QMenu*>(menuName);
    QTimer inspector;
    QObject::connect(&inspector, &QTimer::timeout, [&] {
        if (!menu->isVisible())
            return;
        inspector.stop();
        seen.position = menu->pos();
        QList<QAction*> commands;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                commands.append(action);
        }
        for (QAction* command : commands)
            seen.enabled.append(command->isEnabled());
        if (choose >= 0)
            commands[choose]->trigger();
        menu->close();
    });
    QObject::connect(menu, &QMenu::aboutToShow, &inspector, [&] { seen.opened = true; });
    inspector.start(10);
    // The mouse asks the rows' area for a menu, the keyboard the list itself.
    QContextMenuEvent event(reason, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(reason == QContextMenuEvent::Mouse ? list.viewport() : &list, &event);
    return seen;
}

// The edit field of the row whose label is being edited, or null.
inline QLineEdit* LabelEditor(QAbstractItemView& list)
{
    return list.viewport()->findChild<QLineEdit*>();
}

// Types a label into the open edit field and presses Enter.
inline void TypeLabel(QAbstractItemView& list, const QString& text)
{
    QLineEdit* editor = LabelEditor(list);
    QVERIFY(editor);
    editor->clear();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(20);  // the label is checked once the edit field has closed
}

}  // namespace quillstar
