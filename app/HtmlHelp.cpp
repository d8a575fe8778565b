#include "app/HtmlHelp.h"

#include <QFileInfo>

#include "app/HelpWindow.h"
#include "resources/MainWindowTexts.h"

namespace quillstar {

HtmlHelp::HtmlHelp(QString helpFile) : helpFile_(std::move(helpFile)) {}

bool HtmlHelp::LookUp()
{
    if (!lookedUp_) {
        lookedUp_ = true;
        const QFileInfo file(helpFile_);
        available_ = file.isFile() && file.isReadable();
    }
    return available_;
}

bool HtmlHelp::WinHelp(QWidget* owner, int data, int command)
{
    if (!LookUp())
        return false;
    if (!window_)
        window_ = new HelpWindow(helpFile_, owner);
    window_->ShowContext(command == mainwindow::HELP_CONTEXT ? data : 0);
    return true;
}

}  // namespace quillstar
