#include "app/FileDialogEx.h"

#include "resources/InfoFileTexts.h"

namespace quillstar {

CFileDialogEx::CFileDialogEx(bool openFileDialog, const QString& defaultExtension, const QString& fileName,
                             unsigned flags, const QString& filter, QWidget* parent)
    : QFileDialog(parent)
{
    setObjectName(QString::fromLatin1(infofile::kDialogObjectName));
    setAcceptMode(openFileDialog ? AcceptOpen : AcceptSave);
    setFileMode(openFileDialog ? ExistingFile : AnyFile);
    setOption(DontConfirmOverwrite, !(flags & infofile::OFN_OVERWRITEPROMPT));
    // The filter shows its own description; the patterns are not repeated.
    setOption(HideNameFilterDetails, true);
    setNameFilters(NameFilters(filter));
    if (!defaultExtension.isEmpty())
        setDefaultSuffix(defaultExtension);
    if (!fileName.isEmpty())
        selectFile(fileName);
}

int CFileDialogEx::DoModal()
{
    // The modal loop disables the owner and enables it again, and the
    // owner's focus returns with its activation, also after a cancel.
    return exec() == Accepted && !GetPathName().isEmpty() ? infofile::IDOK : infofile::IDCANCEL;
}

QString CFileDialogEx::GetPathName() const
{
    const QStringList chosen = selectedFiles();
    return result() == Accepted && !chosen.isEmpty() ? chosen.first() : QString();
}

QStringList CFileDialogEx::NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

}  // namespace quillstar
