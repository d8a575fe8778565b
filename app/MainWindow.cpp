#include "app/MainWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/AboutDialog.h"
#include "app/BurnNowDialog.h"
#include "app/DriveDiscovery.h"
#include "app/FileDialogEx.h"
#include "app/SkinControl.h"
#include "app/TipDialog.h"
#include "browse/BurnList.h"
#include "browse/FileList.h"
#include "browse/FolderTree.h"
#include "browse/ProbeProgress.h"
#include "controls/ColorLabel.h"
#include "decode/MusicFile.h"
#include "print/PrintNowDialog.h"
#include "print/PrintNowServices.h"
#include "recorder/DiscWriter.h"
#include "resources/BrowseTexts.h"
#include "resources/BurnListControlTexts.h"
#include "resources/BurnListTexts.h"
#include "resources/BurnSessionTexts.h"
#include "resources/InfoFileTexts.h"
#include "resources/MainWindowTexts.h"
#include "resources/Messages.h"
#include "resources/PrintTexts.h"

namespace quillstar {

namespace {

constexpr QSize kWindowSize(980, 720);
constexpr int kFolderTreeWidth = 260;
constexpr int kBurnListHeight = 210;
constexpr int kNameColumnWidth = 240;
constexpr int kTitleColumnWidth = 240;
constexpr int kCapacityBarHeight = 14;
constexpr int kTickWidth = 2;
constexpr int kTickHeight = 4;
constexpr int kSpacing = 6;

QColor Rgb(unsigned value)
{
    return QColor::fromRgb(value);
}

ColorLabel* MakeSkinLabel(const QString& text, QWidget* parent)
{
    auto* label = new ColorLabel(text, parent);
    label->SetLabelTextColor(Rgb(mainwindow::kLabelTextColor));
    label->SetLabelBackColor(Rgb(mainwindow::kLabelBackColor));
    return label;
}

QString UserName()
{
    const QString fromEnvironment = qEnvironmentVariable("USER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const passwd* entry = getpwuid(getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QStringLiteral("$USER");
}

QString NoticeFor(const std::vector<SkippedDrive>& skipped)
{
    if (skipped.empty())
        return {};
    QStringList lines{QString::fromUtf8(mainwindow::kSkippedDrivesIntro)};
    bool notAllowed = false;
    for (const SkippedDrive& drive : skipped) {
        lines.append(QString::fromUtf8(mainwindow::kSkippedDriveLine)
                         .arg(QString::fromLocal8Bit(drive.device.c_str()), QString::fromUtf8(drive.reason.c_str())));
        notAllowed = notAllowed || drive.error == EACCES || drive.error == EPERM;
    }
    if (notAllowed)
        lines << QString() << QString::fromUtf8(mainwindow::kNoPermissionAdvice).arg(UserName());
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), filterIndex_(mainwindow::kInitialFilterIndex), help_(setup_.helpFile)
{
    if (!setup_.openUrl)
        setup_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    handle_ = RegisterWindow(this);

    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QString::fromUtf8(mainwindow::kCaption));
    // The skin draws the whole window, its title and its buttons included.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowIcon(QIcon(QString::fromLatin1(mainwindow::kProgramIcon)));

    BuildControls();
    dragDrop_ = std::make_unique<BurnListDragDrop>(*this, *folderTree_, *fileList_, *burnList_);
    ConnectSkin();
    folderTree_->Initialize();
    fileList_->ShowFolder(QString());
    fileTypeCombo_->setCurrentIndex(filterIndex_);
    connect(fileTypeCombo_, &QComboBox::currentIndexChanged, this, &MainWindow::OnFileTypeChanged);
    writer_ = std::make_unique<CDiscWriter>(handle_);
    discovery_ = std::make_unique<DriveDiscovery>(*writer_);
    connect(discovery_.get(), &DriveDiscovery::Ended, this, &MainWindow::OnDrivesFound);
    trackList_.RemoveAll();
    driveCombo_->addItem(QString::fromUtf8(mainwindow::kSearchingDrivesText));
    connect(driveCombo_, &QComboBox::currentIndexChanged, this, &MainWindow::OnDriveChanged);
    capacityBar_->setRange(0, burnlist::kCapacityBarRange);
    for (ColorLabel* label : {totalsLabel_, mark74_, mark80_}) {
        label->SetLabelTextColor(Rgb(mainwindow::kLabelTextColor));
        label->SetLabelBackColor(Rgb(mainwindow::kLabelBackColor));
    }
    folderTree_->setFocus();
}

MainWindow::~MainWindow()
{
    // Nothing may post here any more; then the burn stops and its thread
    // ends before the Burn Now window takes its track source away.
    UnregisterWindow(handle_);
    driveWait_.reset();
    discovery_.reset();
    writer_.reset();
    burnNow_.reset();
    qDeleteAll(retired_);
}

void MainWindow::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    skin_ = new SkinControl(this);
    layout->addWidget(skin_);

    QWidget* area = skin_->ClientArea();
    folderTree_ = new FolderTree(*this, setup_.drives, area);
    folderTree_->setFixedWidth(kFolderTreeWidth);
    fileList_ = new FileList(*this, setup_.drives, ShellTypeName::Lookup, setup_.openFile, area);
    burnList_ = new BurnList(*this, setup_.probe, setup_.openFile, area);
    burnList_->setFixedHeight(kBurnListHeight);
    // Names and titles get room to show whole; the last column takes the
    // width the others leave.
    fileList_->header()->resizeSection(browse::kNameColumn, kNameColumnWidth);
    fileList_->header()->setStretchLastSection(true);
    burnList_->header()->resizeSection(burnlist::kTitleColumn, kTitleColumnWidth);
    burnList_->header()->setStretchLastSection(true);

    fileTypeCombo_ = new QComboBox(area);
    fileTypeCombo_->setObjectName(QStringLiteral("FileType"));
    for (const char* item : mainwindow::kFileTypeItems)
        fileTypeCombo_->addItem(QString::fromUtf8(item));
    fileTypeCombo_->addItem(QString::fromStdString(MusicFile::FilterText()));
    // The list of every music extension is long: the box keeps the width of
    // the first item and its list opens as wide as the texts.
    fileTypeCombo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fileTypeCombo_->setMinimumContentsLength(static_cast<int>(std::strlen(mainwindow::kFileTypeItems[0])));
    fileTypeCombo_->view()->setMinimumWidth(fileTypeCombo_->view()->sizeHintForColumn(0));
    driveCombo_ = new QComboBox(area);
    driveCombo_->setObjectName(QStringLiteral("Drive"));
    driveCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    driveCombo_->setMinimumContentsLength(28);

    auto* treeColumn = new QVBoxLayout;
    treeColumn->setSpacing(kSpacing);
    treeColumn->addWidget(folderTree_, 1);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(MakeSkinLabel(QString::fromUtf8(mainwindow::kFileTypeLabel), area));
    filterRow->addWidget(fileTypeCombo_, 1);
    treeColumn->addLayout(filterRow);
    auto* browseRow = new QHBoxLayout;
    browseRow->setSpacing(kSpacing);
    browseRow->addLayout(treeColumn);
    browseRow->addWidget(fileList_, 1);

    totalsLabel_ = new ColorLabel(QString::fromUtf8(burnlist::kTotalsInitialText), area);
    totalsLabel_->setObjectName(QStringLiteral("Totals"));
    QFont totalsFont = totalsLabel_->font();
    totalsFont.setBold(true);
    totalsLabel_->setFont(totalsFont);
    auto* driveRow = new QHBoxLayout;
    driveRow->setSpacing(kSpacing);
    driveRow->addWidget(MakeSkinLabel(QString::fromUtf8(mainwindow::kDriveLabel), area));
    driveRow->addWidget(driveCombo_);
    driveRow->addStretch(1);
    driveRow->addWidget(totalsLabel_);

    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);
    column->addLayout(browseRow, 1);
    column->addWidget(burnList_);
    column->addLayout(driveRow);
    column->addWidget(BuildCapacityGauge(area));

    setFixedSize(kWindowSize.expandedTo(layout->minimumSize()));
}

QWidget* MainWindow::BuildCapacityGauge(QWidget* parent)
{
    capacityGauge_ = new QWidget(parent);
    capacityGauge_->setObjectName(QStringLiteral("CapacityGauge"));
    capacityBar_ = new QProgressBar(capacityGauge_);
    capacityBar_->setObjectName(QStringLiteral("Capacity"));
    capacityBar_->setTextVisible(false);
    mark74_ = new ColorLabel(QString::fromUtf8(mainwindow::kMark74Text), capacityGauge_);
    mark74_->setObjectName(QStringLiteral("Mark74"));
    mark80_ = new ColorLabel(QString::fromUtf8(mainwindow::kMark80Text), capacityGauge_);
    mark80_->setObjectName(QStringLiteral("Mark80"));
    for (QWidget** tick : {&tick74_, &tick80_}) {
        *tick = new QWidget(capacityGauge_);
        (*tick)->setAutoFillBackground(true);
        QPalette colors = (*tick)->palette();
        colors.setColor(QPalette::Window, Rgb(mainwindow::kLabelTextColor));
        (*tick)->setPalette(colors);
    }
    capacityGauge_->setFixedHeight(kCapacityBarHeight + kTickHeight + mark74_->sizeHint().height());
    capacityGauge_->installEventFilter(this);
    PlaceCapacityMarks();
    return capacityGauge_;
}

// The marks sit under the bar where 74 and 80 minutes of music end, each
// with a tick at its place and its text just before it.
void MainWindow::PlaceCapacityMarks()
{
    const int width = capacityGauge_->width();
    capacityBar_->setGeometry(0, 0, width, kCapacityBarHeight);
    const int end80 = width;
    const int end74 = width * mainwindow::kMark74Minutes / mainwindow::kMark80Minutes;
    tick74_->setGeometry(end74 - kTickWidth, kCapacityBarHeight, kTickWidth, kTickHeight);
    tick80_->setGeometry(end80 - kTickWidth, kCapacityBarHeight, kTickWidth, kTickHeight);
    const int top = kCapacityBarHeight + kTickHeight;
    const QSize size74 = mark74_->sizeHint();
    const QSize size80 = mark80_->sizeHint();
    mark74_->setGeometry(end74 - size74.width(), top, size74.width(), size74.height());
    mark80_->setGeometry(end80 - size80.width(), top, size80.width(), size80.height());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == capacityGauge_ && event->type() == QEvent::Resize)
        PlaceCapacityMarks();
    return QDialog::eventFilter(watched, event);
}

void MainWindow::ConnectSkin()
{
    connect(skin_, &SkinControl::ElementClicked, this, &MainWindow::OnSkinEvent);
    connect(skin_, &SkinControl::TitleMenuRequested, this, &MainWindow::ShowTitleMenu);
}

bool MainWindow::DrivesKnown() const
{
    return discovery_->HasEnded();
}

void MainWindow::OnDrivesFound()
{
    FillDriveCombo();
    skippedNotice_ = NoticeFor(setup_.skippedDrives ? setup_.skippedDrives() : writer_->GetSkippedDrives());
    if (!skippedNotice_.isEmpty())
        TellSkippedDrives();
    if (burnOnceDrivesAreKnown_) {
        burnOnceDrivesAreKnown_ = false;
        driveWait_.reset();
        StartBurnSession();
    }
}

// A writer whose ASPI layer is missing leaves the box empty.
void MainWindow::FillDriveCombo()
{
    const QSignalBlocker quiet(driveCombo_);
    driveCombo_->clear();
    if (!writer_->IsInitialized())
        return;
    const int count = writer_->GetDeviceCount();
    if (count == 0) {
        driveCombo_->addItem(QString::fromUtf8(mainwindow::kNoDriveText));
        driveCombo_->setCurrentIndex(0);
        return;
    }
    for (int i = 0; i < count; ++i)
        driveCombo_->addItem(QString::fromStdString(writer_->GetDeviceName(i)));
    driveCombo_->setCurrentIndex(writer_->GetSelectedDeviceIndex());
}

void MainWindow::OnFileTypeChanged(int index)
{
    filterIndex_ = index;
    FolderChosen(fileList_->CurrentFolder());
}

void MainWindow::OnDriveChanged(int index)
{
    if (DrivesKnown() && writer_->IsInitialized() && writer_->GetDeviceCount() >= 1)
        writer_->SelectDevice(index);
}

void MainWindow::FolderChosen(const QString& path)
{
    fileList_->ShowFolder(path);
}

void MainWindow::RevealFolder(const QString& path)
{
    folderTree_->SelectPath(path);
}

void MainWindow::ShowTotals(const QString& text, int barPosition)
{
    totalsLabel_->setText(text);
    capacityBar_->setValue(barPosition);
}

bool MainWindow::BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list, const QPoint& point)
{
    return dragDrop_->BeginDrag(source, list, point);
}

void MainWindow::RebuildFolderTree()
{
    folderTree_->Initialize();
}

void MainWindow::AddSelectionToBurnList()
{
    burnList_->AddSelectionToBurnList(*fileList_);
}

void MainWindow::Deliver(const WindowMessage& message)
{
    if (message.message < QEvent::User || message.message > QEvent::MaxUser)
        return;
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(message.message)));
}

bool MainWindow::event(QEvent* event)
{
    switch (static_cast<uint32_t>(event->type())) {
    case msg::WM_BURN_PROGRESS:
    case msg::WM_BURN_STOPPED:
        if (burnNow_)
            QCoreApplication::postEvent(burnNow_.get(), new QEvent(event->type()));
        return true;
    case msg::WM_BURN_FINISHED: {
        // Every burn ends with one finished message, in the order the burns
        // ran: a stopped burn that outlived its window comes first.
        BurnNowDialog* window = retired_.isEmpty() ? burnNow_.get() : retired_.takeFirst();
        if (window)
            QCoreApplication::postEvent(window, new QEvent(event->type()));
        return true;
    }
    default:
        return QDialog::event(event);
    }
}

void MainWindow::OnSkinEvent(const QString& name)
{
    struct SkinCommand {
        const char* name;
        void (MainWindow::*action)();
    };
    static constexpr SkinCommand kCommands[] = {
        {"Add", &MainWindow::AddToList},
        {"Del", &MainWindow::DeleteFromList},
        {"Play", &MainWindow::PlayTrack},
        {"New", &MainWindow::NewList},
        {"Load", &MainWindow::LoadList},
        {"Save", &MainWindow::RunSaveList},
        {"BurnNow", &MainWindow::StartBurnSession},
        {"CDCover", &MainWindow::PrintCover},
        {"Help", &MainWindow::OpenHelp},
        {"Homepage", &MainWindow::OpenHomepage},
        {"Min", &MainWindow::Minimize},
        {"Exit", &MainWindow::Exit},
        {"Title", &MainWindow::ShowAbout},
        {"MP3Ripper", &MainWindow::OpenRipper},
    };
    for (const SkinCommand& command : kCommands) {
        if (name.compare(QLatin1String(command.name), Qt::CaseInsensitive) == 0) {
            (this->*command.action)();
            return;
        }
    }
}

void MainWindow::AddToList()
{
    if (fileList_->SelectionHasMusic())
        burnList_->AddSelectionToBurnList(*fileList_);
}

void MainWindow::DeleteFromList()
{
    burnList_->DeleteSelection();
}

void MainWindow::PlayTrack()
{
    burnList_->OpenLastSelected();
}

void MainWindow::NewList()
{
    burnList_->ClearAll();
    trackList_.RemoveAll();
    MarkListSaved();
}

void MainWindow::MarkListSaved()
{
    burnList_->SyncTrackList();
    savedTracks_ = trackList_.Tracks();
}

// Times follow the files and are not the user's changes.
bool MainWindow::ListChanged()
{
    burnList_->SyncTrackList();
    const std::vector<TrackInfo>& tracks = trackList_.Tracks();
    const auto sameTrack = [](const TrackInfo& a, const TrackInfo& b) {
        return a.title == b.title && a.path == b.path;
    };
    return !tracks.empty() &&
           !std::equal(tracks.begin(), tracks.end(), savedTracks_.begin(), savedTracks_.end(), sameTrack);
}

// The track list is replaced only by a file that loaded whole; a damaged
// one leaves the burn list as it was and says what was wrong.
void MainWindow::LoadList()
{
    const QString chosen = AskForInfoFile(true);
    if (chosen.isEmpty())
        return;
    const std::string error = trackList_.LoadFile(QFile::encodeName(chosen).toStdString());
    if (!error.empty()) {
        ShowInfoFileError(infofile::kLoadCaption, error);
        return;
    }
    burnList_->LoadFromTrackList();
    MarkListSaved();
}

bool MainWindow::SaveList()
{
    if (burnList_->topLevelItemCount() == 0)
        return false;
    burnList_->SyncTrackList();
    const QString chosen = AskForInfoFile(false);
    if (chosen.isEmpty())
        return false;
    const QString path = QString::fromStdString(InfoFilePathFor(chosen.toStdString()));
    if (path != chosen && QFileInfo::exists(path) && !ConfirmReplace(path))
        return false;
    const std::string error = trackList_.SaveFile(QFile::encodeName(path).toStdString());
    if (!error.empty()) {
        ShowInfoFileError(infofile::kSaveCaption, error);
        return false;
    }
    MarkListSaved();
    return true;
}

QString MainWindow::AskForInfoFile(bool open)
{
    CFileDialogEx dialog(open, QString(), QString(), infofile::OFN_HIDEREADONLY | infofile::OFN_OVERWRITEPROMPT,
                         QString::fromUtf8(infofile::kFilter), this);
    return dialog.DoModal() == infofile::IDOK ? dialog.GetPathName() : QString();
}

bool MainWindow::ConfirmReplace(const QString& path)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(infofile::kSaveCaption),
                    QString::fromUtf8(infofile::kReplaceQuestion).arg(QDir::toNativeSeparators(path)),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QString::fromLatin1(infofile::kReplaceObjectName));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MainWindow::ShowInfoFileError(const char* caption, const std::string& error)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(caption), QString::fromStdString(error), QMessageBox::Ok,
                    this);
    box.setObjectName(QString::fromLatin1(infofile::kErrorObjectName));
    box.exec();
}

void MainWindow::PrintCover()
{
    burnList_->SyncTrackList();
    PrintNowDialog printNow(trackList_, this);
    printNow.exec();
    // The cover's album title is offered for the CD-TEXT of the next burn.
    if (printNow.AlbumTitle() != QString::fromUtf8(print::kDefaultAlbumTitle))
        burnChoices_.albumTitle = printNow.AlbumTitle().toStdString();
}

void MainWindow::OpenHelp()
{
    WinHelp(mainwindow::kHelpContext, mainwindow::HELP_CONTEXT);
}

bool MainWindow::WinHelp(int data, int command)
{
    return help_.WinHelp(this, data, command);
}

// A page or program that does not open is not reported.
void MainWindow::OpenHomepage()
{
    setup_.openUrl(QUrl(QString::fromLatin1(mainwindow::kHomepageUrl)));
}

void MainWindow::OpenRipper()
{
    setup_.openUrl(
        QUrl::fromLocalFile(QDir::current().absoluteFilePath(QString::fromLatin1(mainwindow::kRipperProgram))));
}

void MainWindow::Minimize()
{
    showMinimized();
}

void MainWindow::Exit()
{
    done(QDialog::Accepted);
}

void MainWindow::ShowAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::SystemCommand(int id)
{
    switch (id & mainwindow::kSystemCommandMask) {
    case mainwindow::IDM_ABOUTBOX:
        ShowAbout();
        break;
    case mainwindow::SC_MINIMIZE:
        showMinimized();
        break;
    case mainwindow::SC_CLOSE:
        close();
        break;
    default:
        break;
    }
}

void MainWindow::ShowTitleMenu(const QPoint& globalPosition)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("WindowMenu"));
    menu.addAction(QString::fromUtf8(mainwindow::kMinimizeMenuText))->setData(mainwindow::SC_MINIMIZE);
    menu.addAction(QString::fromUtf8(mainwindow::kCloseMenuText))->setData(mainwindow::SC_CLOSE);
    menu.addSeparator();
    menu.addAction(QString::fromUtf8(mainwindow::kAboutMenuText))->setData(mainwindow::IDM_ABOUTBOX);
    if (const QAction* chosen = menu.exec(globalPosition))
        SystemCommand(chosen->data().toInt());
}

void MainWindow::StartBurnSession()
{
    if (!DrivesKnown()) {
        BurnOnceDrivesAreKnown();
        return;
    }
    if (burnNow_ && burnNow_->FinishPending()) {
        burnNow_->Retire();
        retired_.append(burnNow_.release());
    }
    burnNow_.reset();
    if (!writer_ || !writer_->IsInitialized())
        return;
    if (writer_->GetDeviceCount() == 0) {
        ShowTip(burnsession::IDD_TIP_NO_DRIVES);
        return;
    }
    if (trackList_.GetCount() == 0) {
        ShowTip(burnsession::IDD_TIP_NO_FILES);
        return;
    }
    burnList_->SyncTrackList();
    burnNow_ = std::make_unique<BurnNowDialog>(
        *writer_, trackList_, burnChoices_,
        [this](const std::string& path) { return burnList_->Durations().Seconds(path); }, this);
    burnNow_->exec();
}

void MainWindow::ShowTip(int tipId)
{
    TipDialog tip(tipId, this);
    if (tipId == burnsession::IDD_TIP_NO_DRIVES && !skippedNotice_.isEmpty())
        tip.SetNotice(skippedNotice_);
    tip.exec();
}

void MainWindow::done(int result)
{
    if (!MayClose())
        return;
    if (burnNow_)
        burnNow_->EndForExit();
    QDialog::done(result);
}

bool MainWindow::MayClose()
{
    if (burnNow_ && burnNow_->IsBurning()) {
        QMessageBox stop(QMessageBox::Warning, QString::fromUtf8(mainwindow::kCaption),
                         QString::fromUtf8(mainwindow::kStopBurnQuestion), QMessageBox::Yes | QMessageBox::No, this);
        stop.setObjectName(QString::fromLatin1(mainwindow::kStopBurnObjectName));
        stop.setDefaultButton(QMessageBox::No);
        if (stop.exec() != QMessageBox::Yes)
            return false;
    }
    if (!ListChanged())
        return true;
    QMessageBox save(QMessageBox::Warning, QString::fromUtf8(mainwindow::kCaption),
                     QString::fromUtf8(mainwindow::kSaveChangesQuestion),
                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    save.setObjectName(QString::fromLatin1(mainwindow::kSaveChangesObjectName));
    save.button(QMessageBox::Save)->setText(QString::fromUtf8(mainwindow::kSaveButton));
    save.button(QMessageBox::Discard)->setText(QString::fromUtf8(mainwindow::kDontSaveButton));
    save.button(QMessageBox::Cancel)->setText(QString::fromUtf8(mainwindow::kCancelButton));
    save.setDefaultButton(QMessageBox::Save);
    switch (save.exec()) {
    case QMessageBox::Save:
        return SaveList();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void MainWindow::BringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

void MainWindow::BurnOnceDrivesAreKnown()
{
    discovery_->Start();
    if (burnOnceDrivesAreKnown_)
        return;
    burnOnceDrivesAreKnown_ = true;
    driveWait_ = std::make_unique<ProbeProgress>(this, QString::fromUtf8(mainwindow::kSearchingDrivesText),
                                                 std::chrono::milliseconds(burnlist::kProbeProgressDelayMs),
                                                 [this] { burnOnceDrivesAreKnown_ = false; });
}

// The window is up before the search starts, so nothing waits for a drive
// to show it.
void MainWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    discovery_->Start();
}

void MainWindow::TellSkippedDrives()
{
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromUtf8(mainwindow::kSkippedDrivesCaption),
                                skippedNotice_, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("SkippedDrives"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace quillstar
