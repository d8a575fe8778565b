#include "app/HelpWindow.h"

#include <QIcon>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "resources/MainWindowTexts.h"

namespace quillstar {

namespace {

constexpr int kWidth = 680;
constexpr int kHeight = 560;

}  // namespace

HelpWindow::HelpWindow(const QString& helpFile, QWidget* owner)
    : QWidget(owner, Qt::Window), helpFile_(helpFile), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QString::fromUtf8(mainwindow::kHelpCaption));
    setWindowIcon(QIcon(QString::fromLatin1(mainwindow::kProgramIcon)));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(kWidth, kHeight);
}

QString HelpWindow::AnchorFor(int context)
{
    return QString::fromUtf8(mainwindow::kHelpAnchorFormat).arg(context);
}

void HelpWindow::ShowContext(int context)
{
    QUrl page = QUrl::fromLocalFile(helpFile_);
    if (context != 0)
        page.setFragment(AnchorFor(context));
    show();
    // Setting the same page again would not scroll back to its anchor.
    if (browser_->source() == page)
        browser_->scrollToAnchor(page.fragment());
    else
        browser_->setSource(page);
    raise();
    activateWindow();
}

}  // namespace quillstar
