#include "app/BurnNowDialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

#include "app/TipDialog.h"
#include "decode/AudioTrackSource.h"
#include "platform/Trace.h"
#include "recorder/DiscWriter.h"
#include "resources/BurnSessionTexts.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tracklist/Serializer.h"

namespace quillstar {

namespace {

constexpr int kPictureSize = 96;
constexpr int kTextWidth = 400;

}  // namespace

BurnNowDialog::BurnNowDialog(CDiscWriter& writer, const CSerializer& trackList, QWidget* parent)
    : QDialog(parent), writer_(writer), trackList_(trackList)
{
    setObjectName(QStringLiteral("BurnNowDialog"));
    setWindowTitle(QString::fromUtf8(burnsession::kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls();
    source_ = std::make_unique<AudioTrackSource>();
    SetBurning(false);
}

// The main window deletes the window only once the writer is done with
// its source, or after the writer itself is gone.
BurnNowDialog::~BurnNowDialog() = default;

void BurnNowDialog::BuildControls()
{
    auto* picture = new QLabel(this);
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    picture->setPixmap(QIcon(QString::fromLatin1(burnsession::kBurnPicture))
                           .pixmap(QSize(kPictureSize, kPictureSize), devicePixelRatioF()));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("Status"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setFixedWidth(kTextWidth);
    status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing());
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("Progress"));
    progress_->setRange(0, burnsession::kProgressRange);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    percent_ = new QLabel(this);
    percent_->setObjectName(QStringLiteral("Percent"));
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percent_->setMinimumHeight(percent_->fontMetrics().height());
    skipped_ = new QLabel(this);
    skipped_->setObjectName(QStringLiteral("SkippedTracks"));
    skipped_->setTextFormat(Qt::PlainText);
    skipped_->setWordWrap(true);
    skipped_->setFixedWidth(kTextWidth);
    skipped_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    skipped_->hide();

    burnNowButton_ = new QPushButton(QString::fromUtf8(burnsession::kBurnNowButton), this);
    burnNowButton_->setObjectName(QStringLiteral("BurnNow"));
    burnNowButton_->setDefault(true);
    stopButton_ = new QPushButton(QString::fromUtf8(burnsession::kStopBurningButton), this);
    stopButton_->setObjectName(QStringLiteral("StopBurning"));
    closeButton_ = new QPushButton(QString::fromUtf8(burnsession::kCloseButton), this);
    closeButton_->setObjectName(QStringLiteral("Close"));
    connect(burnNowButton_, &QPushButton::clicked, this, &BurnNowDialog::BurnNow);
    connect(stopButton_, &QPushButton::clicked, this, &BurnNowDialog::StopBurning);
    connect(closeButton_, &QPushButton::clicked, this, &BurnNowDialog::reject);

    auto* column = new QVBoxLayout;
    column->addWidget(status_);
    column->addWidget(progress_);
    column->addWidget(percent_);
    column->addWidget(skipped_);
    column->addStretch(1);
    auto* body = new QHBoxLayout;
    body->setSpacing(16);
    body->addWidget(picture);
    body->addLayout(column, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(burnNowButton_);
    buttons->addWidget(stopButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void BurnNowDialog::SetBurning(bool burning)
{
    burning_ = burning;
    burnNowButton_->setEnabled(!burning);
    stopButton_->setEnabled(burning);
    closeButton_->setEnabled(!burning);
}

void BurnNowDialog::BurnNow()
{
    if (burning_)
        return;
    stopped_ = false;
    skipped_->hide();
    skipped_->clear();
    SetBurning(true);
    if (finishPending_) {
        Trace("BurnNowDialog: the new burn waits for the stopped one to end\n");
        startOnFinish_ = true;
        return;
    }
    StartBurn();
}

void BurnNowDialog::StartBurn()
{
    // Every file is timed again before the burn; long lists take a moment.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    source_->RemoveAllTracks();
    for (int i = 0; i < trackList_.GetCount(); ++i) {
        std::string title, path;
        int seconds = 0;
        trackList_.GetTrackInfo(i, title, seconds, path);
        source_->AddTrack(path);
    }
    QGuiApplication::restoreOverrideCursor();
    finishPending_ = writer_.WriteDisc(source_.get());
    if (!finishPending_)
        SetBurning(false);
}

void BurnNowDialog::StopBurning()
{
    writer_.AbortWrite();
}

void BurnNowDialog::EndForExit()
{
    startOnFinish_ = false;
    if (finishPending_)
        writer_.AbortWrite();
    SetBurning(false);
    if (isVisible())
        QDialog::done(QDialog::Rejected);
}

bool BurnNowDialog::event(QEvent* event)
{
    switch (static_cast<uint32_t>(event->type())) {
    case msg::WM_BURN_PROGRESS:
        OnProgress();
        return true;
    case msg::WM_BURN_STOPPED:
        OnStopped();
        return true;
    case msg::WM_BURN_FINISHED:
        OnFinished();
        return true;
    default:
        return QDialog::event(event);
    }
}

void BurnNowDialog::ShowProgress(const QString& text, int percent)
{
    status_->setText(text);
    progress_->setValue(percent);
    percent_->setText(percent > 0 ? QString::fromUtf8(burnsession::kPercentFormat).arg(percent) : QString());
}

void BurnNowDialog::OnProgress()
{
    std::string text;
    int percent = 0;
    writer_.GetProgress(text, percent);
    ShowProgress(QString::fromStdString(text), percent);
}

void BurnNowDialog::OnStopped()
{
    std::string unused;
    int percent = 0;
    writer_.GetProgress(unused, percent);
    stopped_ = true;
    startOnFinish_ = false;
    ShowProgress(QString::fromUtf8(burnsession::kStoppedText), percent);
    SetBurning(false);
}

void BurnNowDialog::Retire()
{
    Trace("BurnNowDialog: closed while its stopped burn ends\n");
    retired_ = true;
    hide();
}

void BurnNowDialog::OnFinished()
{
    finishPending_ = false;
    if (retired_) {
        deleteLater();
        return;
    }
    if (startOnFinish_) {
        startOnFinish_ = false;
        StartBurn();
        return;
    }
    const int result = writer_.GetResult();
    ShowResultTip(result);
    if (!stopped_) {
        if (result == recorder::kResultNothingBurned)
            status_->setText(QString::fromUtf8(recorder::kTextNothingBurned));
        ShowSkippedTracks();
    }
    SetBurning(false);
}

void BurnNowDialog::ShowResultTip(int result)
{
    int tipId = 0;
    switch (result) {
    case recorder::kResultTooManyFiles:
        tipId = burnsession::IDD_TIP_TOO_MANY_FILES;
        break;
    case recorder::kResultWrongDisc:
        tipId = burnsession::IDD_TIP_WRONG_DISC;
        break;
    case recorder::kResultDiscNotEmpty:
        tipId = burnsession::IDD_TIP_DISC_NOT_EMPTY;
        break;
    default:
        return;
    }
    TipDialog tip(tipId, this);
    tip.exec();
}

// A file that could not be decoded or written is left out of the disc; the
// user learns which, by its title and file.
void BurnNowDialog::ShowSkippedTracks()
{
    QStringList lines;
    for (const SkippedTrack& track : writer_.GetSkippedTracks()) {
        std::string title, path;
        int seconds = 0;
        trackList_.GetTrackInfo(track.trackIndex, title, seconds, path);
        lines.append(
            QString::fromUtf8(burnsession::kSkippedLine)
                .arg(track.trackIndex + 1, 2, 10, QLatin1Char('0'))
                .arg(QString::fromStdString(title), QString::fromUtf8(recorder::SkipReasonText(track.reason))));
    }
    if (lines.isEmpty())
        return;
    lines.prepend(QString::fromUtf8(burnsession::kSkippedHeading));
    skipped_->setText(lines.join(QLatin1Char('\n')));
    skipped_->show();
}

void BurnNowDialog::reject()
{
    if (!burning_)
        QDialog::reject();
}

void BurnNowDialog::closeEvent(QCloseEvent* event)
{
    if (burning_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

QString BurnNowDialog::StatusText() const
{
    return status_->text();
}

QString BurnNowDialog::PercentText() const
{
    return percent_->text();
}

int BurnNowDialog::ProgressPosition() const
{
    return progress_->value();
}

QString BurnNowDialog::SkippedTracksText() const
{
    return skipped_->text();
}

}  // namespace quillstar
