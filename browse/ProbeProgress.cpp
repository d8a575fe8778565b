#include "browse/ProbeProgress.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressDialog>

#include "resources/BurnListControlTexts.h"

namespace quillstar {

ProbeProgress::ProbeProgress(QWidget* owner, int fileCount, std::chrono::milliseconds delay, Stop stop)
    : dialog_(new QProgressDialog(owner)), fileCount_(fileCount)
{
    SetUp(delay, stop);
}

ProbeProgress::ProbeProgress(QWidget* owner, const QString& text, std::chrono::milliseconds delay, Stop stop)
    : dialog_(new QProgressDialog(text, QString(), 0, 0, owner)), fileCount_(0)
{
    SetUp(delay, stop);
}

// A file count of 0 shows a busy bar.
void ProbeProgress::SetUp(std::chrono::milliseconds delay, const Stop& stop)
{
    dialog_->setObjectName(QStringLiteral("ProbeProgress"));
    dialog_->setWindowTitle(QGuiApplication::applicationDisplayName());
    // Not modal: while files are timed on the window's thread it takes no
    // input at all, so nothing can reach the burn list half way through.
    dialog_->setWindowModality(Qt::NonModal);
    // Timing on the window's thread cannot stop half way: the rows appear
    // together once every file is timed.
    if (stop) {
        dialog_->setCancelButtonText(QString::fromUtf8(burnlist::kProbeStopText));
        QObject::connect(dialog_, &QProgressDialog::canceled, dialog_, stop);
    } else {
        dialog_->setCancelButton(nullptr);
    }
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setRange(0, fileCount_);
    dialog_->setMinimumDuration(static_cast<int>(delay.count()));
    // The first value starts the clock the delay is measured against.
    dialog_->setValue(0);
}

ProbeProgress::~ProbeProgress()
{
    delete dialog_;
}

void ProbeProgress::Next()
{
    ShowFile(++started_);
    if (dialog_->isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProbeProgress::Close()
{
    // Unlike a plain hide, a cancel keeps the window from showing itself
    // when its delay runs out later.
    dialog_->cancel();
}

void ProbeProgress::ShowFile(int number)
{
    dialog_->setLabelText(QString::fromUtf8(burnlist::kProbeProgressText).arg(number).arg(fileCount_));
    // Shows the window once it is due.
    dialog_->setValue(number - 1);
}

}  // namespace quillstar
