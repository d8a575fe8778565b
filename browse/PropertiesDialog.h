#pragma once

#include <QDialog>
#include <QString>

class QFileInfo;
class QFormLayout;

namespace quillstar {

// Name, type, location, size, time of the last change, permissions and owner
// of one file, folder or drive.
class PropertiesDialog : public QDialog {
    Q_OBJECT

public:
    PropertiesDialog(const QString& path, QWidget* parent = nullptr);

private:
    void AddRow(QFormLayout* form, const char* label, const QString& value);
    static QString SizeText(const QFileInfo& info);
    static QString ContentsText(const QFileInfo& info);
    static QString PermissionsText(const QFileInfo& info);
};

}  // namespace quillstar
