#pragma once

// Editing a list's labels as the user would.

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>

namespace quillstar {

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
    // The label is checked once the edit field has closed.
    QTRY_VERIFY(!LabelEditor(list));
}

}  // namespace quillstar
