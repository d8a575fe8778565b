// Burn sessions on the image recorder, through the main window and the Burn
// Now window as the user drives them: the tips before a burn, the window's
// states and texts, whole burns of MP3 files, stops, the writer's results
// and the program ending during a burn.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <filesystem>
#include <functional>

#include "AudioFixtures.h"
#include "ModalWatcher.h"
#include "app/BurnNowDialog.h"
#include "app/MainWindow.h"
#include "app/TipDialog.h"
#include "browse/BurnList.h"
#include "decode/AudioTrackSource.h"
#include "decode/PluginRegistry.h"
#include "platform/Event.h"
#include "platform/PostMessage.h"
#include "recorder/DiscWriter.h"
#include "resources/ImageRecorderTexts.h"
#include "resources/Messages.h"
#include "resources/PrintTexts.h"

using namespace quillstar;
using test::ModalWatcher;

namespace {

constexpr int kBurnMs = 120000;
constexpr char kExpectedTipVariable[] = "QUILLSTAR_TEST_EXPECTED_TIP";
const QString kSuccess = "Congratulations! This Audio CD is burned successfully!";
// Verify after burning is on unless the user turns it off.
const QString kVerified = "Verified: all 2 tracks match the music files.";
const QString kStopped = "The burning process is stopped, the audio CD is not completed.";

// The image recorder writes into this folder; set before the ASPI layer starts.
QString& ImageFolder()
{
    static QString folder;
    return folder;
}

QStringList Images()
{
    return QDir(ImageFolder()).entryList({"*.bin"}, QDir::Files, QDir::Name);
}

int ThreadCount()
{
    return static_cast<int>(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

struct ButtonStates {
    bool burnNow;
    bool stop;
    bool close;
    bool operator==(const ButtonStates&) const = default;
};

ButtonStates StatesOf(const BurnNowDialog& window)
{
    return {window.BurnNowButton()->isEnabled(), window.StopBurningButton()->isEnabled(),
            window.CloseButton()->isEnabled()};
}

constexpr ButtonStates kReady{true, false, true};

void BurnUntilTrack1IsWritten(BurnNowDialog& burnNow)
{
    QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(burnNow.StatusText().startsWith("Writing Audio CD track 01"), kBurnMs);
}

void BurnToTheEnd(BurnNowDialog& burnNow)
{
    QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!burnNow.IsBurning(), kBurnMs);
}
constexpr ButtonStates kBurning{false, true, false};

}  // namespace

class BurnSessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!test::HaveProgram("lame"))
            QSKIP("lame is needed to make the MP3 files");
        const std::string& folder = fixtures_.Path();
        for (const auto& [name, seconds] : {std::pair{"first", 6.0}, std::pair{"second", 5.0}}) {
            const std::string wav = folder + "/" + name + ".wav";
            QVERIFY(test::WriteTestWav(wav, 44100, 2, seconds) > 0);
            QVERIFY(test::EncodeMp3(wav, folder + "/" + name + ".mp3", {"-b", "128"}));
        }
        QVERIFY(test::WriteTestWav(folder + "/long1.wav", 44100, 2, 35.0) > 0);
        QVERIFY(test::WriteTestWav(folder + "/long2.wav", 44100, 2, 35.0) > 0);
        QVERIFY(test::WriteFileBytes(folder + "/broken.mp3", std::vector<uint8_t>(5000, 0x55)));
        ScanDecoderPlugins();
    }

    void init()
    {
        slowTiming_ = false;
        timingGate_.Reset();
        MakeWindow();
    }

    void cleanup() { window_.reset(); }

    void TheImageRecorderIsListedAndSelected()
    {
        QComboBox* drives = window_->DriveCombo();
        QCOMPARE(drives->count(), 1);
        QVERIFY(drives->itemText(0).startsWith("QUILLSTR IMAGE RECORDER"));
        QCOMPARE(drives->currentIndex(), 0);
        QCOMPARE(window_->Writer()->GetSelectedDeviceIndex(), 0);
    }

    void AnEmptyListShowsTip152AndNoBurnNowWindow()
    {
        ModalWatcher watcher;
        window_->OnSkinEvent("BurnNow");
        QCOMPARE(watcher.seen, QStringList{"Tip152"});
        QCOMPARE(watcher.titles, QStringList{"Tip - No MP3 Files"});
        QCOMPARE(window_->BurnNowWindow(), nullptr);
    }

    void TheBurnNowWindowStartsReadyAndShowsPercentsAbove0()
    {
        AddTracks({"first.mp3"});
        RunSession([this](BurnNowDialog& burnNow) {
            QCOMPARE(StatesOf(burnNow), kReady);
            QCOMPARE(burnNow.StatusText(), QString());
            QCOMPARE(burnNow.PercentText(), QString());

            burnNow.ShowProgress("Writing Audio CD track 01...", 37);
            QCOMPARE(burnNow.PercentText(), QString("37%"));
            QCOMPARE(burnNow.ProgressPosition(), 37);
            burnNow.ShowProgress("Doing power calibration...", 0);
            QCOMPARE(burnNow.PercentText(), QString());
            QCOMPARE(burnNow.StatusText(), QString("Doing power calibration..."));
            QCOMPARE(burnNow.ProgressPosition(), 0);

            // The main window passes the writer's messages on; the window
            // reads the writer, which has nothing to tell yet.
            burnNow.ShowProgress("old", 37);
            QVERIFY(PostMessage(window_->Handle(), msg::WM_BURN_PROGRESS));
            QTRY_COMPARE(burnNow.StatusText(), QString());
            QCOMPARE(burnNow.PercentText(), QString());
            // The writer's results 1 to 3 each open their tip; others none.
            for (int result : {0, 1, 2, 3, 4})
                burnNow.ShowResultTip(result);
            // Escape cannot close the window while it burns, but can now.
            QTest::keyClick(&burnNow, Qt::Key_Escape);
            QVERIFY(!burnNow.isVisible());
        });
        QVERIFY(window_->BurnNowWindow());
        QCOMPARE(seen_, (QStringList{"BurnNowDialog", "Tip153", "Tip154", "Tip155"}));
        QCOMPARE(titles_, (QStringList{"Quillstar Burn Now", "Tip - Too Many MP3 Files", "Tip - No Right CD-R/RW Disc",
                                       "Tip - CD-R/RW Disc Not Empty"}));
    }

    void AFullBurnOfTwoMp3Files()
    {
        AddTracks({"first.mp3", "second.mp3"});
        const QStringList imagesBefore = Images();
        QList<ButtonStates> states;
        RunSession([&](BurnNowDialog& burnNow) {
            states.append(StatesOf(burnNow));
            QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
            states.append(StatesOf(burnNow));
            QTest::keyClick(&burnNow, Qt::Key_Escape);
            QVERIFY(burnNow.isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(!burnNow.IsBurning(), kBurnMs);
            states.append(StatesOf(burnNow));
            QCOMPARE(burnNow.StatusText(), kVerified);
            QCOMPARE(burnNow.ProgressPosition(), 100);
            QCOMPARE(burnNow.PercentText(), QString("100%"));
            QVERIFY(burnNow.SkippedTracksText().isEmpty());
        });
        QCOMPARE(states, (QList<ButtonStates>{kReady, kBurning, kReady}));
        const QStringList imagesAfter = Images();
        QCOMPARE(imagesAfter.size(), imagesBefore.size() + 1);
        const QString image = ImageFolder() + "/" + imagesAfter.back();
        // Two tracks of 6 and 5 seconds with the 2-second pause between them.
        QCOMPARE(QFileInfo(image).size(), qint64((6 + 2 + 5) * 75) * 2352);
        QFile cue(QString(image).replace(".bin", ".cue"));
        QVERIFY(cue.open(QIODevice::ReadOnly));
        const QString sheet = QString::fromUtf8(cue.readAll());
        QVERIFY(sheet.contains("TRACK 01 AUDIO"));
        QVERIFY(sheet.contains("TRACK 02 AUDIO"));
    }

    void TwoCopiesAtAChosenSpeed()
    {
        AddTracks({"first.mp3"});
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            QCOMPARE(burnNow.WriteSpeedBox()->itemText(0), QString("Maximum"));
            burnNow.WriteSpeedBox()->setCurrentIndex(burnNow.WriteSpeedBox()->findText("4x"));
            burnNow.CopiesBox()->setValue(2);
            burnNow.VerifyCheckBox()->setChecked(false);
            QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
            QVERIFY(!burnNow.CopiesBox()->isEnabled() && !burnNow.WriteSpeedBox()->isEnabled());
            QTRY_COMPARE_WITH_TIMEOUT(burnNow.BurnInfoText(), QString("Copy 2 of 2 \u2014 Writing at 4x"), kBurnMs);
            QTRY_VERIFY_WITH_TIMEOUT(!burnNow.IsBurning(), kBurnMs);
            QCOMPARE(burnNow.StatusText(), kSuccess);
            QCOMPARE(burnNow.BurnInfoText(), QString("2 of 2 copies burned."));
        });
        QVERIFY(seen_.contains("NextDisc"));
        QStringList images = Images();
        for (const QString& before : imagesBefore)
            images.removeOne(before);
        QCOMPARE(images.size(), 2);
        QFile first(ImageFolder() + "/" + images[0]);
        QFile second(ImageFolder() + "/" + images[1]);
        QVERIFY(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
        QVERIFY(first.readAll() == second.readAll());
    }

    void ADiscAtOnceTakesTheCoversAlbumTitleAndThePause()
    {
        AddTracks({"first.mp3", "second.mp3"});
        {
            ModalWatcher cover([](QWidget* modal) {
                modal->findChild<QLineEdit*>(QString::number(print::IDC_ALBUM_TITLE))->setText("Cover Title");
                return false;
            });
            window_->OnSkinEvent("cdcover");
        }
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            QVERIFY(!burnNow.PauseBox()->isEnabled() && !burnNow.AlbumTitleEdit()->isEnabled());
            burnNow.DiscAtOnceBox()->setChecked(true);
            QVERIFY(burnNow.PauseBox()->isEnabled() && burnNow.AlbumTitleEdit()->isEnabled());
            QCOMPARE(burnNow.AlbumTitleEdit()->text(), QString("Cover Title"));
            burnNow.PauseBox()->setValue(0.0);
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), QString("Verified: all 2 tracks match the music files."));
        });
        QStringList images = Images();
        for (const QString& before : imagesBefore)
            images.removeOne(before);
        QCOMPARE(images.size(), 1);
        QFile cue(ImageFolder() + "/" + QFileInfo(images[0]).completeBaseName() + ".cue");
        QVERIFY(cue.open(QIODevice::ReadOnly));
        const QString sheet = QString::fromUtf8(cue.readAll());
        QVERIFY2(sheet.startsWith("TITLE \"Cover Title\"\nCDTEXTFILE ") && sheet.contains("TITLE \"second\"") &&
                     !sheet.contains("INDEX 00"),
                 qPrintable(sheet));
    }

    void StopBurningMidTrack()
    {
        AddTracks({"first.mp3", "second.mp3"});
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            BurnUntilTrack1IsWritten(burnNow);
            QTest::mouseClick(burnNow.StopBurningButton(), Qt::LeftButton);
            QTRY_COMPARE(burnNow.StatusText(), kStopped);
            QCOMPARE(StatesOf(burnNow), kReady);
            // The stopped burn ends on the writer's thread; its text stays.
            QTRY_VERIFY_WITH_TIMEOUT(!burnNow.FinishPending(), kBurnMs);
            QCOMPARE(burnNow.StatusText(), kStopped);
            QCOMPARE(StatesOf(burnNow), kReady);
        });
        QCOMPARE(Images(), imagesBefore);
    }

    void BurningAgainAtOnceAfterAStopWaitsForTheStoppedBurn()
    {
        AddTracks({"first.mp3", "second.mp3"});
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            BurnUntilTrack1IsWritten(burnNow);
            QTest::mouseClick(burnNow.StopBurningButton(), Qt::LeftButton);
            QTRY_COMPARE(StatesOf(burnNow), kReady);
            QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
            QCOMPARE(StatesOf(burnNow), kBurning);
            QTRY_VERIFY_WITH_TIMEOUT(!burnNow.IsBurning(), kBurnMs);
            QCOMPARE(burnNow.StatusText(), kVerified);
        });
        QCOMPARE(Images().size(), imagesBefore.size() + 1);
    }

    void ANewSessionRightAfterAStoppedOneBurnsWhole()
    {
        AddTracks({"first.mp3", "second.mp3"});
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            BurnUntilTrack1IsWritten(burnNow);
            QTest::mouseClick(burnNow.StopBurningButton(), Qt::LeftButton);
            QTest::mouseClick(burnNow.CloseButton(), Qt::LeftButton);
        });
        // The first window's stopped burn may still be ending: its finish
        // must neither end the new burn early nor find its source gone.
        QVERIFY(window_->BurnNowWindow());
        RunSession([&](BurnNowDialog& burnNow) {
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), kVerified);
            QCOMPARE(burnNow.PercentText(), QString("100%"));
        });
        QCOMPARE(Images().size(), imagesBefore.size() + 1);
    }

    // The program asks first whether to stop the burn, then about the
    // unsaved list; "No" to the first keeps both running.
    void ClosingTheProgramDuringABurnStopsItWhenTheUserSaysSo()
    {
        window_.reset();
        const int threadsBefore = ThreadCount();
        MakeWindow();
        AddTracks({"first.mp3", "second.mp3"});
        const QStringList imagesBefore = Images();
        QMessageBox::StandardButton stop = QMessageBox::No;
        const auto answer = [&stop](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            box->button(box->objectName() == "StopBurnOnClose" ? stop : QMessageBox::Discard)->click();
            return true;
        };
        RunSession(
            [&](BurnNowDialog& burnNow) {
                BurnUntilTrack1IsWritten(burnNow);
                window_->OnSkinEvent("Exit");
                QVERIFY(window_->isVisible() && burnNow.IsBurning());
                stop = QMessageBox::Yes;
                window_->OnSkinEvent("Exit");
            },
            answer);
        QCOMPARE(seen_, (QStringList{"BurnNowDialog", "StopBurnOnClose", "StopBurnOnClose", "SaveChanges"}));
        QVERIFY(!window_->isVisible());
        QCOMPARE(window_->result(), 1);
        window_.reset();
        QCOMPARE(Images(), imagesBefore);
        QTRY_VERIFY(ThreadCount() <= threadsBefore);
    }

    void UnreadableTracksAreNamedAfterTheBurn()
    {
        AddTracks({"first.mp3", "broken.mp3"});
        RunSession([&](BurnNowDialog& burnNow) {
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), QString("Verified: all 1 tracks match the music files."));
            QVERIFY(burnNow.SkippedTracksText().contains("Track 02  \"broken\""));
        });
        window_->OnSkinEvent("New");
        AddTracks({"broken.mp3"});
        RunSession([&](BurnNowDialog& burnNow) {
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(),
                     QString("Nothing was burned: none of the tracks could be written. The disc is still blank."));
            QVERIFY(burnNow.SkippedTracksText().contains("Track 01  \"broken\""));
        });
        QCOMPARE(seen_, QStringList{"BurnNowDialog"});
    }

    // The recorder reads sector 1240 back damaged: 1 second into track 3,
    // after 5 + 2 + 6 + 2 seconds; shorter lists never reach it.
    void VerifyAfterBurningReadsTheDiscBackAndEndsWithItsVerdict()
    {
        AddTracks({"second.mp3", "first.mp3", "first.mp3"});
        RunSession([&](BurnNowDialog& burnNow) {
            QCheckBox* verify = burnNow.VerifyCheckBox();
            QCOMPARE(verify->text(), QString("Verify after burning"));
            QVERIFY(verify->isChecked());
            QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
            QVERIFY(!verify->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(burnNow.StatusText().startsWith("Verifying track 0"), kBurnMs);
            // Stopped while it reads back, the disc is complete all the same.
            QTest::mouseClick(burnNow.StopBurningButton(), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!burnNow.FinishPending(), kBurnMs);
            QCOMPARE(burnNow.StatusText(), QString("Verification stopped: the disc is burned but was not verified."));
            QCOMPARE(StatesOf(burnNow), kReady);

            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(),
                     QString("Verification failed: track 03 differs at 00:01 (1 second differs)."));
            QCOMPARE(burnNow.SkippedTracksText(), QString("Track 03: differs at 00:01 (1 second differs)"));

            // Turned off, nothing is read back and nothing noticed.
            QTest::mouseClick(verify, Qt::LeftButton, {}, QPoint(4, verify->height() / 2));
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), kSuccess);
        });
    }

    // Run with the recorder's options set for one result and the tip expected.
    void TheWritersResultOpensItsTip()
    {
        const int expectedTip = qEnvironmentVariableIntValue(kExpectedTipVariable);
        if (expectedTip == 0)
            QSKIP("needs QUILLSTAR_TEST_EXPECTED_TIP and the recorder's options for it");
        AddTracks({"long1.wav", "long2.wav"});
        RunSession([&](BurnNowDialog& burnNow) {
            BurnToTheEnd(burnNow);
            QCOMPARE(StatesOf(burnNow), kReady);
        });
        QCOMPARE(seen_, (QStringList{"BurnNowDialog", QString("Tip%1").arg(expectedTip)}));
    }

    // A long list of slow files is timed for the burn beside the window:
    // the counting window shows and its Stop is answered while a file is
    // still being timed; nothing is burned.
    void TimingForABurnLeavesTheWindowAnswering()
    {
        const std::string slow = fixtures_.Path() + "/slow.wav";
        QVERIFY(test::WriteTestWav(slow, 44100, 2, 1.0) > 0);
        // Changed in the future, never settled: timed afresh every time.
        QFile(QString::fromStdString(slow))
            .setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
        AddTracks(QStringList(40, "slow.wav"));
        const QStringList imagesBefore = Images();
        slowTiming_ = true;
        RunSession([&](BurnNowDialog& burnNow) {
            QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
            QCOMPARE(StatesOf(burnNow), kBurning);
            QProgressDialog* counting = nullptr;
            QTRY_VERIFY((counting = burnNow.findChild<QProgressDialog*>("ProbeProgress")) && counting->isVisible());
            QCOMPARE(counting->labelText(), QString("Reading the length of file 1 of 40..."));
            QTest::mouseClick(counting->findChild<QPushButton*>(), Qt::LeftButton);
            QCOMPARE(StatesOf(burnNow), kReady);
            QCOMPARE(burnNow.StatusText(), kStopped);
            QVERIFY(!counting->isVisible());
            timingGate_.Set();
        });
        QCOMPARE(Images(), imagesBefore);
    }

    // Run with the recorder's commands slowed down: finding the drive takes
    // seconds, and the window answers all the while. "Burn Now" pressed
    // meanwhile waits for the drives, then goes on.
    void TheWindowAnswersWhileASlowDriveIsFound()
    {
        if (!qEnvironmentVariable("QUILLSTAR_IMAGE_RECORDER_OPTIONS").contains("command-delay-ms"))
            QSKIP("needs command-delay-ms in the recorder's options");
        window_.reset();
        MakeWindow(false);
        QCOMPARE(window_->DriveCombo()->itemText(0), QString("Searching for CD-R/RW drives…"));
        QComboBox* fileType = window_->FileTypeCombo();
        QCoreApplication::postEvent(fileType, new QKeyEvent(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier));
        QTRY_COMPARE(window_->filterIndex(), 0);
        ModalWatcher watcher;
        window_->OnSkinEvent("BurnNow");
        auto* wait = window_->findChild<QProgressDialog*>("ProbeProgress");
        QVERIFY(wait);
        QTRY_VERIFY(wait->isVisible());
        QCOMPARE(wait->labelText(), QString("Searching for CD-R/RW drives…"));
        QVERIFY(!window_->DrivesKnown());
        QVERIFY(watcher.seen.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(watcher.seen, QStringList{"Tip152"}, kBurnMs);
        QVERIFY(window_->DriveCombo()->itemText(0).startsWith("QUILLSTR IMAGE RECORDER"));
    }

private:
    void MakeWindow(bool waitForDrives = true)
    {
        MainWindowSetup setup;
        setup.helpFile = QCoreApplication::applicationDirPath() + "/quillstar.html";
        setup.drives = [this] { return QStringList{QString::fromStdString(fixtures_.Path())}; };
        // The burn takes its lengths from the list's timings.
        setup.probe = [this](const std::string& path) {
            if (slowTiming_)
                timingGate_.Wait();
            return AudioTrackSource::TrackSeconds(path);
        };
        setup.openUrl = [](const QUrl&) { return false; };
        setup.skippedDrives = [] { return std::vector<SkippedDrive>{}; };
        window_ = std::make_unique<MainWindow>(std::move(setup));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        if (waitForDrives)
            QTRY_VERIFY_WITH_TIMEOUT(window_->DrivesKnown(), kBurnMs);
    }

    void AddTracks(const QStringList& names)
    {
        window_->Burn()->AddFiles(QString::fromStdString(fixtures_.Path()) + "/", names);
        QCOMPARE(window_->TrackList().GetCount(), names.size());
    }

    // Opens the Burn Now window from the skin and runs the script in it; the
    // window is closed afterwards if the script left it open. Tips are closed
    // as they come; every modal window is named in seen_.
    void RunSession(const std::function<void(BurnNowDialog&)>& script, const ModalWatcher::Handler& others = nullptr)
    {
        bool ran = false;
        ModalWatcher watcher([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->objectName() == "NextDisc") {
                for (QAbstractButton* button : box->buttons()) {
                    if (button->text() == "Continue")
                        button->click();
                }
                return true;
            }
            auto* burnNow = qobject_cast<BurnNowDialog*>(modal);
            if (!burnNow)
                return others && others(modal);
            ran = true;
            script(*burnNow);
            if (burnNow->isVisible())
                burnNow->EndForExit();
            return true;
        });
        window_->OnSkinEvent("BurnNow");
        seen_ = watcher.seen;
        titles_ = watcher.titles;
        QVERIFY(ran);
    }

    test::FixtureFolder fixtures_;
    // Set, every file timed waits for the gate: a slow file, for as long as
    // the test needs.
    std::atomic<bool> slowTiming_{false};
    Event timingGate_;
    std::unique_ptr<MainWindow> window_;
    QStringList seen_;
    QStringList titles_;
};

int main(int argc, char** argv)
{
    // A fresh image recorder for this process only, and no real drives.
    QTemporaryDir images;
    ImageFolder() = images.path();
    qputenv(aspi::kDrivesVariable, "");
    qputenv(aspi::kImageRecorderVariable, QFile::encodeName(images.filePath("disc.bin")));
    QApplication application(argc, argv);
    BurnSessionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BurnSessionTest.moc"
