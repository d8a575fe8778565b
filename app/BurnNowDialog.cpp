#include "app/BurnNowDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <initializer_list>
#include <string>

#include "app/BurnTiming.h"
#include "app/TipDialog.h"
#include "platform/Trace.h"
#include "recorder/BurnJob.h"
#include "recorder/CueSheet.h"
#include "recorder/DiscWriter.h"
#include "resources/BurnListControlTexts.h"
#include "resources/BurnSessionTexts.h"
#include "resources/CdAudio.h"
#include "resources/Messages.h"
#include "resources/RecorderTexts.h"
#include "tracklist/Serializer.h"

namespace quillstar {

namespace {

constexpr int kPictureSize = 96;
constexpr int kTextWidth = 400;

}  // namespace

BurnNowDialog::BurnNowDialog(CDiscWriter& writer, const CSerializer& trackList, BurnSettings& choices,
                             BurnTiming::TimeFile timeFile, QWidget* parent)
    : QDialog(parent),
      job_(std::make_unique<BurnJob>(writer)),
      trackList_(trackList),
      choices_(choices),
      timeFile_(std::move(timeFile))
{
    setObjectName(QStringLiteral("BurnNowDialog"));
    setWindowTitle(QString::fromUtf8(burnsession::kCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    BuildControls();
    FillWriteSpeeds(writer.GetDevice());
    SetBurning(false);
}

// The main window deletes the window only once the writer is done with
// the job's source, or after the writer itself is gone.
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
    burnInfo_ = new QLabel(this);
    burnInfo_->setObjectName(QStringLiteral("BurnInfo"));
    burnInfo_->setTextFormat(Qt::PlainText);

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
    column->addWidget(burnInfo_);
    column->addLayout(BuildOptions());
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

QLayout* BurnNowDialog::BuildOptions()
{
    speedBox_ = new QComboBox(this);
    speedBox_->setObjectName(QStringLiteral("WriteSpeed"));
    testWriteBox_ = new QCheckBox(QString::fromUtf8(burnsession::kTestWriteBox), this);
    testWriteBox_->setObjectName(QStringLiteral("TestWrite"));
    verify_ = new QCheckBox(QString::fromUtf8(burnsession::kVerifyCheckBox), this);
    verify_->setObjectName(QStringLiteral("VerifyAfterBurning"));
    verify_->setChecked(choices_.verify);
    copiesBox_ = new QSpinBox(this);
    copiesBox_->setObjectName(QStringLiteral("Copies"));
    copiesBox_->setRange(1, burnsession::kMostCopies);
    copiesBox_->setValue(choices_.copies);
    auto* options = new QFormLayout;
    options->addRow(QString::fromUtf8(burnsession::kWriteSpeedLabel), speedBox_);
    options->addRow(QString::fromUtf8(burnsession::kCopiesLabel), copiesBox_);
    options->addRow(verify_);
    options->addRow(testWriteBox_);
    BuildAtOnceOptions(options);
    return options;
}

// The pause and the album's texts count only for a disc written at once.
void BurnNowDialog::BuildAtOnceOptions(QFormLayout* options)
{
    atOnceBox_ = new QCheckBox(QString::fromUtf8(burnsession::kDiscAtOnceBox), this);
    atOnceBox_->setObjectName(QStringLiteral("DiscAtOnce"));
    atOnceBox_->setChecked(choices_.discAtOnce);
    pauseBox_ = new QDoubleSpinBox(this);
    pauseBox_->setObjectName(QStringLiteral("Pause"));
    pauseBox_->setDecimals(burnsession::kPauseDecimals);
    pauseBox_->setRange(0.0, burnsession::kMostPauseSeconds);
    pauseBox_->setSingleStep(burnsession::kPauseStep);
    pauseBox_->setValue(static_cast<double>(choices_.pauseFrames) / cd::kSectorsPerSecond);
    albumTitleEdit_ = new QLineEdit(QString::fromStdString(choices_.albumTitle), this);
    albumTitleEdit_->setObjectName(QStringLiteral("AlbumTitle"));
    albumPerformerEdit_ = new QLineEdit(QString::fromStdString(choices_.albumPerformer), this);
    albumPerformerEdit_->setObjectName(QStringLiteral("AlbumPerformer"));
    connect(atOnceBox_, &QCheckBox::toggled, this, [this] { SetBurning(burning_); });
    options->addRow(atOnceBox_);
    options->addRow(QString::fromUtf8(burnsession::kPauseLabel), pauseBox_);
    options->addRow(QString::fromUtf8(burnsession::kAlbumTitleLabel), albumTitleEdit_);
    options->addRow(QString::fromUtf8(burnsession::kAlbumPerformerLabel), albumPerformerEdit_);
}

// "Maximum", then every speed the drive accepted, fastest first.
void BurnNowDialog::FillWriteSpeeds(const DeviceInfo& device)
{
    speedBox_->addItem(QString::fromUtf8(burnsession::kMaximumSpeed), 0);
    for (auto speed = device.writeSpeeds.rbegin(); speed != device.writeSpeeds.rend(); ++speed)
        speedBox_->addItem(QString::fromUtf8(burnsession::kSpeedItem).arg(*speed), *speed);
    speedBox_->setCurrentIndex(std::max(0, speedBox_->findData(choices_.writeSpeed)));
    canTestWrite_ = device.canTestWrite != 0;
    testWriteBox_->setChecked(choices_.testWrite && canTestWrite_);
}

BurnSettings BurnNowDialog::ChosenSettings() const
{
    BurnSettings settings;
    settings.writeSpeed = speedBox_->currentData().toInt();
    settings.testWrite = canTestWrite_ && testWriteBox_->isChecked();
    settings.copies = copiesBox_->value();
    settings.verify = verify_->isChecked();
    settings.discAtOnce = atOnceBox_->isChecked();
    settings.pauseFrames = CueSheet::PauseFrames(pauseBox_->value());
    settings.albumTitle = albumTitleEdit_->text().toStdString();
    settings.albumPerformer = albumPerformerEdit_->text().toStdString();
    return settings;
}

void BurnNowDialog::SetBurning(bool burning)
{
    burning_ = burning;
    burnNowButton_->setEnabled(!burning);
    stopButton_->setEnabled(burning);
    closeButton_->setEnabled(!burning);
    speedBox_->setEnabled(!burning);
    copiesBox_->setEnabled(!burning);
    testWriteBox_->setEnabled(!burning && canTestWrite_);
    verify_->setEnabled(!burning);
    atOnceBox_->setEnabled(!burning);
    for (QWidget* field : std::initializer_list<QWidget*>{pauseBox_, albumTitleEdit_, albumPerformerEdit_})
        field->setEnabled(!burning && atOnceBox_->isChecked());
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

// Every file is timed again before the burn, beside the window's thread;
// files unchanged since the burn list timed them take no time.
void BurnNowDialog::StartBurn()
{
    std::vector<std::string> paths;
    for (const TrackInfo& track : trackList_.Tracks())
        paths.push_back(track.path);
    choices_ = ChosenSettings();
    burnInfo_->clear();
    timing_ = new BurnTiming(paths, timeFile_, this, std::chrono::milliseconds(burnlist::kProbeProgressDelayMs));
    connect(timing_, &BurnTiming::Done, this, &BurnNowDialog::OnTimed);
    connect(timing_, &BurnTiming::Stopped, this, &BurnNowDialog::OnTimingStopped);
}

void BurnNowDialog::OnTimed()
{
    const std::vector<TimedFile> files = timing_->Files();
    timing_->deleteLater();
    timing_ = nullptr;
    std::vector<std::string> titles;
    for (const TrackInfo& track : trackList_.Tracks())
        titles.push_back(track.title);
    finishPending_ = job_->Start(files, choices_, titles);
    if (!finishPending_)
        SetBurning(false);
}

// The stopped timing finishes its file and goes by itself.
void BurnNowDialog::OnTimingStopped()
{
    timing_ = nullptr;
    stopped_ = true;
    ShowProgress(QString::fromUtf8(burnsession::kStoppedText), 0);
    SetBurning(false);
}

void BurnNowDialog::StopBurning()
{
    if (timing_)
        timing_->Stop();
    else
        job_->Stop();
}

void BurnNowDialog::EndForExit()
{
    startOnFinish_ = false;
    if (timing_)
        timing_->Stop();
    if (finishPending_)
        job_->Stop();
    SetBurning(false);
    if (isVisible())
        QDialog::done(QDialog::Rejected);
}

bool BurnNowDialog::event(QEvent* event)
{
    const auto type = static_cast<uint32_t>(event->type());
    switch (type) {
    case msg::WM_BURN_PROGRESS:
    case msg::WM_BURN_STOPPED:
    case msg::WM_BURN_FINISHED:
        HandleBurnMessage(type);
        return true;
    default:
        return QDialog::event(event);
    }
}

void BurnNowDialog::HandleBurnMessage(uint32_t message)
{
    switch (job_->Handle(message)) {
    case BurnJob::Event::Progress:
        OnProgress();
        ShowBurnInfo();
        break;
    case BurnJob::Event::NeedDisc:
        AskForNextDisc();
        break;
    case BurnJob::Event::Stopped:
        OnStopped();
        break;
    case BurnJob::Event::Finished:
        OnFinished();
        break;
    case BurnJob::Event::None:
        break;
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
    job_->GetProgress(text, percent);
    ShowProgress(QString::fromStdString(text), percent);
}

// The speed the drive took and, for several copies, which one is burning.
void BurnNowDialog::ShowBurnInfo()
{
    QStringList parts;
    if (job_->Copies() > 1)
        parts << QString::fromUtf8(burnsession::kCopyOf).arg(job_->Copy()).arg(job_->Copies());
    if (!job_->SpeedText().empty())
        parts << QString::fromStdString(job_->SpeedText());
    burnInfo_->setText(parts.join(QStringLiteral(" \u2014 ")));
}

// Each copy after the first waits for a blank disc; Continue looks for it
// again until it is there, Stop ends the burn with the copies made so far.
void BurnNowDialog::AskForNextDisc()
{
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(burnsession::kCaption),
                    QString::fromUtf8(burnsession::kInsertNextDisc).arg(job_->Copy()).arg(job_->Copies()),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("NextDisc"));
    QPushButton* continueButton =
        box.addButton(QString::fromUtf8(burnsession::kContinueButton), QMessageBox::AcceptRole);
    box.addButton(QString::fromUtf8(burnsession::kStopButton), QMessageBox::RejectRole);
    box.setDefaultButton(continueButton);
    while (job_->IsWaitingForDisc()) {
        box.exec();
        if (box.clickedButton() != continueButton) {
            job_->Stop();
            OnFinished();
            return;
        }
        if (job_->ContinueWithNextDisc())
            ShowBurnInfo();
    }
}

void BurnNowDialog::OnStopped()
{
    std::string unused;
    int percent = 0;
    job_->GetProgress(unused, percent);
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
    const BurnOutcome& outcome = job_->Outcome();
    if (outcome.copies > 1)
        burnInfo_->setText(QString::fromUtf8(burnsession::kCopiesBurned).arg(outcome.copiesBurned).arg(outcome.copies));
    ShowResultTip(outcome.result);
    if (!stopped_) {
        // The verdict stays, whatever progress came before it.
        if (outcome.result == recorder::kResultNothingBurned || outcome.result == recorder::kResultBurnFailed ||
            outcome.verification)
            status_->setText(QString::fromStdString(outcome.text));
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
    for (const SkippedTrack& track : job_->Outcome().skipped) {
        std::string title, path;
        int seconds = 0;
        trackList_.GetTrackInfo(track.trackIndex, title, seconds, path);
        lines.append(
            QString::fromUtf8(burnsession::kSkippedLine)
                .arg(track.trackIndex + 1, 2, 10, QLatin1Char('0'))
                .arg(QString::fromStdString(title), QString::fromUtf8(recorder::SkipReasonText(track.reason))));
    }
    if (!lines.isEmpty())
        lines.prepend(QString::fromUtf8(burnsession::kSkippedHeading));
    for (const DamagedTrack& track : job_->Outcome().damaged) {
        const int stoppedAt = static_cast<int>(track.seconds);
        lines.append(QString::fromUtf8(burnsession::kSkippedLine)
                         .arg(track.trackIndex + 1, 2, 10, QLatin1Char('0'))
                         .arg(QString::fromStdString(trackList_.Tracks()[static_cast<size_t>(track.trackIndex)].title),
                              QString::asprintf(recorder::kTextDamagedTrack, stoppedAt / 60, stoppedAt % 60)));
    }
    const std::string& failure = job_->Outcome().failure;
    if (!failure.empty())
        lines.append(QString::fromStdString(failure));
    if (const auto& verification = job_->Outcome().verification) {
        const std::vector<std::string> trackLines = verification->TrackLines();
        for (size_t track = 0; track < trackLines.size(); ++track) {
            if (verification->tracks[track].state != DiscVerification::Track::State::kVerified)
                lines.append(QString::fromStdString(trackLines[track]));
        }
    }
    for (const std::string& warning : job_->Outcome().warnings)
        lines.append(QString::fromStdString(warning));
    if (lines.isEmpty())
        return;
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

QString BurnNowDialog::BurnInfoText() const
{
    return burnInfo_->text();
}

QString BurnNowDialog::SkippedTracksText() const
{
    return skipped_->text();
}

}  // namespace quillstar
