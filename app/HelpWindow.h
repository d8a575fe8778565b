#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace quillstar {

// The built-in help viewer: the help file in a browser of its own, at the
// anchor of a help context. Links to other pages open in the desktop's
// browser.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const QString& helpFile, QWidget* owner);

    // Context 0 shows the start of the file.
    void ShowContext(int context);
    QTextBrowser* Browser() const { return browser_; }

    static QString AnchorFor(int context);

private:
    QString helpFile_;
    QTextBrowser* browser_;
};

}  // namespace quillstar
