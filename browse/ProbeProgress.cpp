#include "browse/ProbeProgress.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressDialog>

#include "resources/BurnListControlTexts.h"

namespace quillstar {

ProbeProgress::ProbeProgress(QWidget* owner, int fileCount, std::chrono::milliseconds delay)
    : dialog_(new QProgressDialog(owner)), fileCount_(fileCount)
{
    dialog_->setWindowTitle(QGuiApplication::applicationDisplayName());
    // Not modal: it takes no input at all, so nothing can reach the burn list
    // half way through.
    dialog_->setWindowModality(Qt::NonModal);
    // Timing cannot stop half way: the rows appear together once every file is timed.
    dialog_->setCancelButton(nullptr);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setRange(0, fileCount);
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
    ++started_;
    dialog_->setLabelText(QString::fromUtf8(burnlist::kProbeProgressText).arg(started_).arg(fileCount_));
    // Shows the window once it is due.
    dialog_->setValue(started_ - 1);
    if (dialog_->isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace quillstar
