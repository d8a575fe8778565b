#pragma once

#include <QPointer>
#include <QString>

#include "app/HelpWindow.h"

namespace quillstar {

// Help requests of the main window. The help file is looked up on the first
// request only: once it was missing, every later request does nothing.
class HtmlHelp {
public:
    explicit HtmlHelp(QString helpFile);

    // The framework's help call: HELP_CONTEXT shows the context, any other
    // command the start of the file. False when help is unavailable.
    bool WinHelp(QWidget* owner, int data, int command);
    const QString& HelpFile() const { return helpFile_; }
    HelpWindow* Window() const { return window_; }

private:
    bool LookUp();

    QString helpFile_;
    bool lookedUp_ = false;
    bool available_ = false;
    QPointer<HelpWindow> window_;
};

}  // namespace quillstar
