#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

namespace quillstar {

// The modal open or save dialog of the CD info file commands: the
// platform's file dialog with a bar-separated filter ("description|pattern|"
// pairs), an overwrite prompt when asked for, and no read-only box. One
// object per use: made, run once with DoModal, read, destroyed.
class CFileDialogEx : public QFileDialog {
    Q_OBJECT
public:
    CFileDialogEx(bool openFileDialog, const QString& defaultExtension, const QString& fileName, unsigned flags,
                  const QString& filter, QWidget* parent = nullptr);

    // 1 when the user chose a file, 2 otherwise.
    int DoModal();
    // The chosen file's full path; empty before a file was chosen.
    QString GetPathName() const;

    // "Text|*.a;*.b|" as the name filters "Text (*.a *.b)".
    static QStringList NameFilters(const QString& filter);
};

}  // namespace quillstar
