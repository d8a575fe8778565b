// Burn sessions on the image recorder, through the main window and the Burn
// Now window as the user drives them: the tips before a burn, the window's
// buttons and texts, whole burns of MP3 files, stops, the writer's results
// and the program ending during a burn.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <functional>

#include "../browse/ModalWatcher.h"
#include "AudioFixtures.h"
#include "BrowsingWindow.h"
#include "app/BurnNowDialog.h"
#include "decode/AudioTrackSource.h"
#include "decode/PluginRegistry.h"
#include "platform/Event.h"
#include "resources/ImageRecorderTexts.h"
#include "resources/PrintTexts.h"

using namespace quillstar;
using test::BrowsingWindow;
using test::ModalWatcher;

namespace {

constexpr int kBurnMs = 120000;
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

// Burn Now, Stop Burning, Close: which the user can press.
QList<bool> Buttons(const BurnNowDialog& window)
{
    return {window.BurnNowButton()->isEnabled(), window.StopBurningButton()->isEnabled(),
            window.CloseButton()->isEnabled()};
}

const QList<bool> kReady{true, false, true};
const QList<bool> kBurning{false, true, false};

void BurnUntilTrack1IsWritten(BurnNowDialog& burnNow)
{
    QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(burnNow.StatusText().startsWith("Writing Audio CD track 01"), kBurnMs);
}

void BurnToTheEnd(BurnNowDialog& burnNow)
{
    QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
    QCOMPARE(Buttons(burnNow), kBurning);
    QTRY_VERIFY_WITH_TIMEOUT(!burnNow.IsBurning(), kBurnMs);
    QCOMPARE(Buttons(burnNow), kReady);
}

}  // namespace

class BurnSessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!test::HaveProgram("lame"))
            QSKIP("lame is needed to make the MP3 files");
        for (const auto& [name, seconds] : {std::pair{"first", 6}, std::pair{"second", 5}}) {
            const std::string wav = fixtures_.File(std::string(name) + ".wav");
            QVERIFY(test::WriteWav(wav, 44100, 2, 16, 44100 * seconds));
            QVERIFY(test::EncodeMp3(wav, fixtures_.File(std::string(name) + ".mp3"), {"-b", "128"}));
        }
        for (const char* name : {"long1.wav", "long2.wav"})
            QVERIFY(test::WriteWav(fixtures_.File(name), 44100, 2, 16, 44100 * 35));
        QVERIFY(test::WriteFileBytes(fixtures_.File("broken.mp3"), std::vector<uint8_t>(5000, 0x55)));
        ScanDecoderPlugins();
    }

    void init()
    {
        slowTiming_ = false;
        timingGate_.Reset();
        MakeWindow();
    }
    void cleanup() { w_.reset(); }

    void TheImageRecorderIsSelectedAndAnEmptyListShowsTip152()
    {
        QComboBox* drives = w_->window->DriveCombo();
        QCOMPARE(drives->count(), 1);
        QVERIFY(drives->currentText().startsWith("QUILLSTR IMAGE RECORDER"));
        ModalWatcher watcher;
        w_->window->OnSkinEvent("BurnNow");
        QCOMPARE(watcher.titles, QStringList{"Tip - No MP3 Files"});
        QCOMPARE(w_->window->BurnNowWindow(), nullptr);
    }

    void AFullBurnOfTwoMp3FilesWithTheResultTipsOfTheWriter()
    {
        AddTracks({"first.mp3", "second.mp3"});
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            QCOMPARE(Buttons(burnNow), kReady);
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), kVerified);
            QCOMPARE(burnNow.PercentText(), QString("100%"));
            QVERIFY(burnNow.SkippedTracksText().isEmpty());
            // The writer's results 1 to 3 each open their tip; others none.
            for (int result : {0, 1, 2, 3, 4})
                burnNow.ShowResultTip(result);
        });
        QCOMPARE(titles_, (QStringList{"Quillstar Burn Now", "Tip - Too Many MP3 Files", "Tip - No Right CD-R/RW Disc",
                                       "Tip - CD-R/RW Disc Not Empty"}));
        const QStringList imagesAfter = Images();
        QCOMPARE(imagesAfter.size(), imagesBefore.size() + 1);
        const QString image = ImageFolder() + "/" + imagesAfter.back();
        // Two tracks of 6 and 5 seconds with the 2-second pause between them.
        QCOMPARE(QFileInfo(image).size(), qint64((6 + 2 + 5) * 75) * 2352);
        const QString sheet =
            QString::fromStdString(test::ReadText(QString(image).replace(".bin", ".cue").toStdString()));
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
        QCOMPARE(test::ReadFileBytes(ImageFolder().toStdString() + "/" + images[0].toStdString()),
                 test::ReadFileBytes(ImageFolder().toStdString() + "/" + images[1].toStdString()));
    }

    void AStoppedBurnKeepsItsTextLeavesNoImageAndABurnRightAfterItIsWhole()
    {
        AddTracks({"first.mp3", "second.mp3"});
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            BurnUntilTrack1IsWritten(burnNow);
            QTest::keyClick(&burnNow, Qt::Key_Escape);
            QVERIFY2(burnNow.isVisible(), "Escape cannot close the window while it burns");
            QTest::mouseClick(burnNow.StopBurningButton(), Qt::LeftButton);
            QTRY_COMPARE(burnNow.StatusText(), kStopped);
            QCOMPARE(Buttons(burnNow), kReady);
            // The stopped burn ends on the writer's thread; its text stays.
            QTRY_VERIFY_WITH_TIMEOUT(!burnNow.FinishPending(), kBurnMs);
            QCOMPARE(burnNow.StatusText(), kStopped);
        });
        QCOMPARE(Images(), imagesBefore);

        // Burned again at once, in the same window or in a new one: the
        // stopped burn may still be ending, and its finish must neither end
        // the new burn early nor find its source gone.
        RunSession([&](BurnNowDialog& burnNow) {
            BurnUntilTrack1IsWritten(burnNow);
            QTest::mouseClick(burnNow.StopBurningButton(), Qt::LeftButton);
            QTRY_COMPARE(Buttons(burnNow), kReady);
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), kVerified);
            BurnUntilTrack1IsWritten(burnNow);
            QTest::mouseClick(burnNow.StopBurningButton(), Qt::LeftButton);
            QTest::mouseClick(burnNow.CloseButton(), Qt::LeftButton);
        });
        RunSession([&](BurnNowDialog& burnNow) {
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), kVerified);
        });
        QCOMPARE(Images().size(), imagesBefore.size() + 2);
    }

    // The program asks first whether to stop the burn, then about the
    // unsaved list; "No" to the first keeps both running.
    void ClosingTheProgramDuringABurnStopsItWhenTheUserSaysSoAndLeavesNoThread()
    {
        w_.reset();
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
                w_->window->OnSkinEvent("Exit");
                QVERIFY(w_->window->isVisible() && burnNow.IsBurning());
                stop = QMessageBox::Yes;
                w_->window->OnSkinEvent("Exit");
            },
            answer);
        QCOMPARE(seen_, (QStringList{"BurnNowDialog", "StopBurnOnClose", "StopBurnOnClose", "SaveChanges"}));
        QVERIFY(!w_->window->isVisible());
        QCOMPARE(w_->window->result(), 1);
        w_.reset();
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
        w_->window->OnSkinEvent("New");
        AddTracks({"broken.mp3"});
        RunSession([&](BurnNowDialog& burnNow) {
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(),
                     QString("Nothing was burned: none of the tracks could be written. The disc is still blank."));
            QVERIFY(burnNow.SkippedTracksText().contains("Track 01  \"broken\""));
        });
        QCOMPARE(seen_, QStringList{"BurnNowDialog"});
    }

    void ADiscAtOnceTakesTheCoversAlbumTitleAndThePause()
    {
        AddTracks({"first.mp3", "second.mp3"});
        {
            ModalWatcher cover([](QWidget* modal) {
                modal->findChild<QLineEdit*>(QString::number(print::IDC_ALBUM_TITLE))->setText("Cover Title");
                return false;
            });
            w_->window->OnSkinEvent("cdcover");
        }
        const QStringList imagesBefore = Images();
        RunSession([&](BurnNowDialog& burnNow) {
            QVERIFY(!burnNow.PauseBox()->isEnabled() && !burnNow.AlbumTitleEdit()->isEnabled());
            burnNow.DiscAtOnceBox()->setChecked(true);
            QVERIFY(burnNow.PauseBox()->isEnabled() && burnNow.AlbumTitleEdit()->isEnabled());
            QCOMPARE(burnNow.AlbumTitleEdit()->text(), QString("Cover Title"));
            burnNow.PauseBox()->setValue(0.0);
            BurnToTheEnd(burnNow);
            QCOMPARE(burnNow.StatusText(), kVerified);
        });
        QStringList images = Images();
        for (const QString& before : imagesBefore)
            images.removeOne(before);
        QCOMPARE(images.size(), 1);
        const QString sheet = QString::fromStdString(test::ReadText(
            ImageFolder().toStdString() + "/" + QFileInfo(images[0]).completeBaseName().toStdString() + ".cue"));
        QVERIFY2(sheet.startsWith("TITLE \"Cover Title\"\nCDTEXTFILE ") && sheet.contains("TITLE \"second\"") &&
                     !sheet.contains("INDEX 00"),
                 qPrintable(sheet));
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
            QCOMPARE(Buttons(burnNow), kReady);

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
        const int expectedTip = qEnvironmentVariableIntValue("QUILLSTAR_TEST_EXPECTED_TIP");
        if (expectedTip == 0)
            QSKIP("needs QUILLSTAR_TEST_EXPECTED_TIP and the recorder's options for it");
        AddTracks({"long1.wav", "long2.wav"});
        RunSession([&](BurnNowDialog& burnNow) { BurnToTheEnd(burnNow); });
        QCOMPARE(seen_, (QStringList{"BurnNowDialog", QString("Tip%1").arg(expectedTip)}));
    }

    // A long list of slow files is timed for the burn beside the window:
    // the counting window shows and its Stop is answered while a file is
    // still being timed; nothing is burned.
    void TimingForABurnLeavesTheWindowAnswering()
    {
        const std::string slow = fixtures_.File("slow.wav");
        QVERIFY(test::WriteWav(slow, 44100, 2, 16, 44100));
        // Changed in the future, never settled: timed afresh every time.
        QFile(QString::fromStdString(slow))
            .setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
        AddTracks(QStringList(40, "slow.wav"));
        const QStringList imagesBefore = Images();
        slowTiming_ = true;
        RunSession([&](BurnNowDialog& burnNow) {
            QTest::mouseClick(burnNow.BurnNowButton(), Qt::LeftButton);
            QCOMPARE(Buttons(burnNow), kBurning);
            QProgressDialog* counting = nullptr;
            QTRY_VERIFY((counting = burnNow.findChild<QProgressDialog*>("ProbeProgress")) && counting->isVisible());
            QCOMPARE(counting->labelText(), QString("Reading the length of file 1 of 40..."));
            QTest::mouseClick(counting->findChild<QPushButton*>(), Qt::LeftButton);
            QCOMPARE(Buttons(burnNow), kReady);
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
        w_.reset();
        MakeWindow(false);
        QCOMPARE(w_->window->DriveCombo()->itemText(0), QString("Searching for CD-R/RW drives…"));
        QComboBox* fileType = w_->window->FileTypeCombo();
        QCoreApplication::postEvent(fileType, new QKeyEvent(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier));
        QTRY_COMPARE(w_->window->filterIndex(), 0);
        ModalWatcher watcher;
        w_->window->OnSkinEvent("BurnNow");
        auto* wait = w_->window->findChild<QProgressDialog*>("ProbeProgress");
        QVERIFY(wait);
        QTRY_VERIFY(wait->isVisible());
        QCOMPARE(wait->labelText(), QString("Searching for CD-R/RW drives…"));
        QVERIFY(!w_->window->DrivesKnown());
        QVERIFY(watcher.seen.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(watcher.seen, QStringList{"Tip152"}, kBurnMs);
        QVERIFY(w_->window->DriveCombo()->itemText(0).startsWith("QUILLSTR IMAGE RECORDER"));
    }

private:
    void MakeWindow(bool waitForDrives = true)
    {
        const auto adjust = [this](MainWindowSetup& setup) {
            setup.drives = [this] { return QStringList{QString::fromStdString(fixtures_.Path())}; };
            // The burn takes its lengths from the list's timings.
            setup.probe = [this](const std::string& path) {
                if (slowTiming_)
                    timingGate_.Wait();
                return AudioTrackSource::TrackSeconds(path);
            };
        };
        w_ = std::make_unique<BrowsingWindow>(QStringList{}, adjust, waitForDrives);
    }

    void AddTracks(const QStringList& names)
    {
        w_->Burn().AddFiles(QString::fromStdString(fixtures_.Path()) + "/", names);
        QCOMPARE(w_->window->TrackList().GetCount(), names.size());
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
        w_->window->OnSkinEvent("BurnNow");
        seen_ = watcher.seen;
        titles_ = watcher.titles;
        QVERIFY(ran);
    }

    test::TemporaryFolder fixtures_;
    // Set, every file timed waits for the gate: a slow file, for as long as
    // the test needs.
    std::atomic<bool> slowTiming_{false};
    Event timingGate_;
    std::unique_ptr<BrowsingWindow> w_;
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
