#include "browse/ShellLauncher.h"

#include <QDesktopServices>
#include <QUrl>

#include "browse/PropertiesDialog.h"

namespace quillstar {

bool ShellLauncher::Open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ShellLauncher::ShowProperties(const QString& path, QWidget* owner)
{
    auto* dialog = new PropertiesDialog(path, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

}  // namespace quillstar
