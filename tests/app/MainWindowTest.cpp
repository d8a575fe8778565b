// The main window without a CD writer: its combos, the skin's commands, the
// window menu, help, the tip for no drives, and the messages it takes.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <cerrno>
#include <functional>
#include <map>

#include "BrowsingWindow.h"
#include "ModalWatcher.h"
#include "app/FileDialogEx.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "app/SkinButton.h"
#include "app/SkinControl.h"
#include "app/TipDialog.h"
#include "browse/BurnList.h"
#include "browse/FileList.h"
#include "browse/FolderTree.h"
#include "controls/ColorLabel.h"
#include "controls/LinkLabel.h"
#include "platform/PostMessage.h"
#include "recorder/DiscWriter.h"
#include "resources/BurnListControlTexts.h"
#include "resources/ImageRecorderTexts.h"
#include "resources/Messages.h"

using namespace quillstar;
using test::ListedNames;
using test::ModalWatcher;
using test::SelectNames;

namespace {

void MakeFile(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("data");
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        music_ = folder_->path() + "/";
        MakeFile(music_ + "one.mp3");
        MakeFile(music_ + "two.MP3");
        MakeFile(music_ + "three.wav");
        opened_.clear();
        MakeWindow();
    }

    void cleanup() { window_.reset(); }

    void WithoutAWriterTheDriveComboSaysSo()
    {
        QVERIFY(window_->Writer()->IsInitialized());
        QCOMPARE(window_->Writer()->GetDeviceCount(), 0);
        QComboBox* drives = window_->DriveCombo();
        QCOMPARE(drives->count(), 1);
        QCOMPARE(drives->itemText(0), QString("CD-R/RW drive not found"));
        QCOMPARE(drives->currentIndex(), 0);
    }

    void StartsWithAllFilesAndTheTotals()
    {
        QCOMPARE(window_->FileTypeCombo()->currentIndex(), 1);
        QCOMPARE(window_->filterIndex(), 1);
        QCOMPARE(window_->TotalsLabel()->text(), QString("00:00 - 0 Track"));
        // The 74-minute mark ends left of the 80-minute one, under the bar.
        QVERIFY(window_->Mark74Label()->geometry().right() < window_->Mark80Label()->geometry().left());
        QCOMPARE(window_->Mark80Label()->geometry().right(), window_->CapacityBar()->geometry().right());
        QCOMPARE(window_->Files()->CurrentFolder(), QString());
    }

    void TheFileTypeComboListsTheFolderAgain()
    {
        window_->FolderChosen(music_);
        QCOMPARE(ListedNames(*window_->Files()), (QStringList{"..", "one.mp3", "three.wav", "two.MP3"}));
        window_->FileTypeCombo()->setCurrentIndex(0);
        QCOMPARE(window_->filterIndex(), 0);
        QCOMPARE(window_->Files()->CurrentFolder(), music_);
        QCOMPARE(ListedNames(*window_->Files()), (QStringList{"..", "one.mp3", "two.MP3"}));
        window_->FileTypeCombo()->setCurrentIndex(1);
        QCOMPARE(ListedNames(*window_->Files()), (QStringList{"..", "one.mp3", "three.wav", "two.MP3"}));
        QCOMPARE(window_->FileTypeCombo()->itemText(2),
                 QString("Music Files {*.mp3;*.mp2;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.aac;*.wma;*.wav;*.aif;*.aiff;"
                         "*.aifc;*.au;*.wv;*.mka}"));
        window_->FileTypeCombo()->setCurrentIndex(2);
        QCOMPARE(window_->filterIndex(), 2);
        QCOMPARE(ListedNames(*window_->Files()), (QStringList{"..", "one.mp3", "three.wav", "two.MP3"}));
    }

    void AddTakesOnlyMusicFilesAndNewEmptiesTheList()
    {
        window_->FolderChosen(music_);
        SelectNames(*window_->Files(), {".."});
        window_->OnSkinEvent("Add");
        QCOMPARE(window_->TrackList().GetCount(), 0);

        SelectNames(*window_->Files(), {"one.mp3", "two.MP3"});
        window_->OnSkinEvent("add");
        QCOMPARE(window_->TrackList().GetCount(), 2);
        QCOMPARE(window_->TotalsLabel()->text(), QString("02:32 - 2 Tracks"));
        QCOMPARE(window_->CapacityBar()->value(), 3);

        window_->Burn()->selectAll();
        window_->OnSkinEvent("PLAY");
        QCOMPARE(opened_, QStringList{music_ + "two.MP3"});

        window_->OnSkinEvent("New");
        QCOMPARE(window_->TrackList().GetCount(), 0);
        QCOMPARE(window_->Burn()->topLevelItemCount(), 0);
        QCOMPARE(window_->TotalsLabel()->text(), QString("00:00 - 0 Track"));
        QCOMPARE(window_->CapacityBar()->value(), 0);
    }

    void DelRemovesTheSelectedTracks()
    {
        window_->FolderChosen(music_);
        SelectNames(*window_->Files(), {"one.mp3", "two.MP3"});
        window_->OnSkinEvent("Add");
        window_->Burn()->setCurrentItem(window_->Burn()->topLevelItem(0));
        window_->OnSkinEvent("del");
        QCOMPARE(window_->TrackList().GetCount(), 1);
        QCOMPARE(window_->TrackList().Tracks().front().title, std::string("two"));
    }

    void SavedListsLoadBackWithTheirEditedTitles()
    {
        AddBothFiles();
        QVERIFY(window_->Burn()->ChangeTitle(0, "First song"));
        const QString totals = window_->TotalsLabel()->text();
        {
            InfoFileDialogs dialogs({music_ + "mylist"});
            window_->OnSkinEvent("Save");
            QCOMPARE(dialogs.watcher.seen, QStringList{"CFileDialogEx"});
        }
        QVERIFY(QFileInfo::exists(music_ + "mylist.tlm"));
        QVERIFY(!QFileInfo::exists(music_ + "mylist"));
        const std::vector<TrackInfo> saved = window_->TrackList().Tracks();
        QCOMPARE(saved.front().title, std::string("First song"));

        window_->OnSkinEvent("New");
        InfoFileDialogs dialogs({music_ + "mylist.tlm"});
        window_->OnSkinEvent("Load");
        QCOMPARE(window_->TrackList().Tracks(), saved);
        QCOMPARE(BurnTitles(), (QStringList{"First song", "two"}));
        QCOMPARE(window_->TotalsLabel()->text(), totals);
    }

    void NamesBeyondAsciiComeBackFromASavedList()
    {
        const QStringList names{"Ça ira — Édith.mp3", "Ünïcødé 歌 🎵.mp3"};
        for (const QString& name : names)
            MakeFile(music_ + name);
        window_->FolderChosen(music_);
        SelectNames(*window_->Files(), names);
        window_->OnSkinEvent("Add");
        const QStringList titles{"Ça ira — Édith", "Ünïcødé 歌 🎵"};
        QCOMPARE(BurnTitles(), titles);
        {
            InfoFileDialogs dialogs({music_ + "Liste à écouter"});
            window_->OnSkinEvent("Save");
        }
        window_->OnSkinEvent("New");
        InfoFileDialogs dialogs({music_ + "Liste à écouter.tlm"});
        window_->OnSkinEvent("Load");
        QCOMPARE(BurnTitles(), titles);
        for (int row = 0; row < 2; ++row)
            QCOMPARE(window_->Burn()->topLevelItem(row)->text(burnlist::kFromColumn), music_ + names[row]);
    }

    void SavingNamesTheFileAndAsksBeforeReplacingOne()
    {
        AddBothFiles();
        // A name ending in ".tlm" is kept; the dialog itself asks about replacing it.
        WriteListFile(music_ + "mylist.tlm", {{1, "old", "/old.mp3"}});
        {
            InfoFileDialogs dialogs({music_ + "mylist.tlm"}, QMessageBox::Yes);
            window_->OnSkinEvent("Save");
        }
        QCOMPARE(ListInFile(music_ + "mylist.tlm").GetCount(), 2);
        QVERIFY(!QFileInfo::exists(music_ + "mylist.tlm.saving"));

        // Other endings get ".tlm", case and all; the file that name makes is
        // asked about too, and a "No" keeps it.
        {
            InfoFileDialogs dialogs({music_ + "song.TLM"});
            window_->OnSkinEvent("Save");
        }
        QVERIFY(QFileInfo::exists(music_ + "song.TLM.tlm"));
        QVERIFY(!QFileInfo::exists(music_ + "song.TLM"));
        WriteListFile(music_ + "mylist.tlm", {{1, "old", "/old.mp3"}});
        {
            InfoFileDialogs dialogs({music_ + "mylist"}, QMessageBox::No);
            window_->OnSkinEvent("Save");
            QCOMPARE(dialogs.watcher.seen, (QStringList{"CFileDialogEx", "InfoFileReplace"}));
        }
        QCOMPARE(ListInFile(music_ + "mylist.tlm").GetCount(), 1);
        {
            InfoFileDialogs dialogs({music_ + "mylist"}, QMessageBox::Yes);
            window_->OnSkinEvent("Save");
        }
        QCOMPARE(ListInFile(music_ + "mylist.tlm").GetCount(), 2);
    }

    void AnEmptyListOrACancelSavesNothing()
    {
        {
            InfoFileDialogs dialogs({music_ + "empty"});
            window_->OnSkinEvent("Save");
            QTest::qWait(50);
            QVERIFY(dialogs.watcher.seen.isEmpty());
        }
        AddBothFiles();
        InfoFileDialogs dialogs({});
        window_->OnSkinEvent("Save");
        QCOMPARE(dialogs.watcher.seen, QStringList{"CFileDialogEx"});
        QCOMPARE(QDir(music_).entryList(QDir::Files).size(), 3);
    }

    void LoadedTracksKeepTheirStoredTimesWhenTheirFilesAreGone()
    {
        WriteListFile(music_ + "gone.tlm",
                      {{225, "Gone one", "/nowhere/one.mp3"}, {10, "Gone two", "/nowhere/two.mp3"}});
        InfoFileDialogs dialogs({music_ + "gone.tlm"});
        window_->OnSkinEvent("Load");
        QCOMPARE(BurnTitles(), (QStringList{"Gone one", "Gone two"}));
        QCOMPARE(window_->TrackList().Tracks()[0].seconds, 225);
        QCOMPARE(window_->TrackList().Tracks()[1].seconds, 10);
        QCOMPARE(window_->TotalsLabel()->text(),
                 QString::fromStdString(BurnListModel::Totals(window_->TrackList()).text));
    }

    void ADamagedFileIsNamedAndTheListStaysAsItWas()
    {
        AddBothFiles();
        QFile damaged(music_ + "damaged.tlm");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("\x03\x00\x00\x00\x01\x61", 6));
        damaged.close();
        QString message;
        {
            InfoFileDialogs dialogs({music_ + "damaged.tlm"}, QMessageBox::Ok, &message);
            window_->OnSkinEvent("Load");
            QCOMPARE(dialogs.watcher.seen, (QStringList{"CFileDialogEx", "InfoFileError"}));
        }
        QVERIFY(message.contains(music_ + "damaged.tlm"));
        QVERIFY(message.contains("damaged"));
        QCOMPARE(BurnTitles(), (QStringList{"one", "two"}));
        QCOMPARE(window_->TrackList().GetCount(), 2);

        // Four zero bytes are an empty list.
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(4, '\0'));
        damaged.close();
        InfoFileDialogs again({music_ + "damaged.tlm"});
        window_->OnSkinEvent("Load");
        QCOMPARE(window_->Burn()->topLevelItemCount(), 0);
        QCOMPARE(window_->TotalsLabel()->text(), QString("00:00 - 0 Track"));
    }

    void TheFileDialogsFilterAndResults()
    {
        QCOMPARE(CFileDialogEx::NameFilters("Quillstar CD Info File {*.tlm}|*.tlm|"),
                 QStringList{"Quillstar CD Info File {*.tlm} (*.tlm)"});
        QCOMPARE(CFileDialogEx::NameFilters("Music|*.mp3;*.wav|All|*.*||"),
                 (QStringList{"Music (*.mp3 *.wav)", "All (*.*)"}));
        CFileDialogEx dialog(true, {}, {}, 6, "Quillstar CD Info File {*.tlm}|*.tlm|", window_.get());
        QVERIFY(dialog.testOption(QFileDialog::HideNameFilterDetails));
        QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QTimer::singleShot(50, &dialog, &QDialog::reject);
        QCOMPARE(dialog.DoModal(), 2);
        QCOMPARE(dialog.GetPathName(), QString());
        QVERIFY(window_->isEnabled());
    }

    void BurnNowWithoutADriveShowsTip151EvenForAnEmptyList()
    {
        ModalWatcher watcher([this](QWidget* modal) {
            if (auto* tip = qobject_cast<TipDialog*>(modal)) {
                tipText_ = tip->Text();
                emailTarget_ = tip->EmailLink() ? tip->EmailLink()->Url() : QString();
            }
            return false;
        });
        QCOMPARE(window_->TrackList().GetCount(), 0);
        window_->OnSkinEvent("BURNNOW");
        QCOMPARE(watcher.seen, QStringList{"Tip151"});
        QCOMPARE(watcher.titles, QStringList{"Tip - No CD-R/RW Drives"});
        QCOMPARE(window_->BurnNowWindow(), nullptr);
        QVERIFY(tipText_.contains(QDir::homePath() + "/QuillstarDrive.txt so that we can support your CD-R/RW drive"));
        QVERIFY(!tipText_.contains("C:\\"));
        QVERIFY(emailTarget_.startsWith("mailto:"));

        // With files in the list the tip is the same.
        window_->FolderChosen(music_);
        SelectNames(*window_->Files(), {"one.mp3"});
        window_->OnSkinEvent("Add");
        window_->OnSkinEvent("BurnNow");
        QCOMPARE(watcher.seen, (QStringList{"Tip151", "Tip151"}));
    }

    void UnknownNamesDoNothing()
    {
        ModalWatcher watcher;
        window_->FolderChosen(music_);
        SelectNames(*window_->Files(), {"one.mp3"});
        for (const char* name : {"Burn", "", "BurnNow ", "About", "Minimize"})
            window_->OnSkinEvent(name);
        QTest::qWait(50);
        QVERIFY(watcher.seen.isEmpty());
        QCOMPARE(window_->TrackList().GetCount(), 0);
        QVERIFY(!(window_->windowState() & Qt::WindowMinimized));
        QVERIFY(window_->isVisible());
        QVERIFY(opened_.isEmpty());
    }

    void TheSkinsClicksReachTheWindow()
    {
        QTest::mouseClick(window_->Skin()->Element("Homepage"), Qt::LeftButton);
        QCOMPARE(urls_, QList<QUrl>{QUrl("https://quillstar.example/")});
        window_->OnSkinEvent("mp3ripper");
        QCOMPARE(urls_.size(), 2);
        QVERIFY(urls_.back().isLocalFile());
        QCOMPARE(QFileInfo(urls_.back().toLocalFile()).fileName(), QString("QuillstarCD&MP3Ripper.exe"));
        QCOMPARE(QFileInfo(urls_.back().toLocalFile()).path(), QDir::currentPath());
    }

    void TheWindowMenusAboutIsCommand16()
    {
        ModalWatcher watcher;
        window_->SystemCommand(16);
        QCOMPARE(watcher.seen, QStringList{"AboutDialog"});
        window_->SystemCommand(31);
        QCOMPARE(watcher.seen.size(), 2);
        window_->SystemCommand(32);
        window_->SystemCommand(15);
        QTest::qWait(30);
        QCOMPARE(watcher.seen.size(), 2);
        window_->OnSkinEvent("title");
        QCOMPARE(watcher.seen.size(), 3);

        // The title band's menu carries the same command.
        QTimer::singleShot(50, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction* action : menu->actions()) {
                if (action->data().toInt() == 16) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                }
            }
        });
        emit window_->Skin()->TitleMenuRequested(window_->mapToGlobal(QPoint(20, 10)));
        QCOMPARE(watcher.seen, (QStringList{"AboutDialog", "AboutDialog", "AboutDialog", "AboutDialog"}));
    }

    void HelpOpensTheHelpFileAtItsContext()
    {
        window_->OnSkinEvent("Help");
        HelpWindow* help = window_->Help().Window();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->Browser()->source().fragment(), QString("context-131174"));
        QCOMPARE(help->Browser()->source().toLocalFile(), helpFile_);
        QVERIFY(help->Browser()->toPlainText().contains("The main window"));
        // Scrolled down to the anchor, which is not at the top of the page.
        QVERIFY(help->Browser()->verticalScrollBar()->value() > 0);
        QVERIFY(window_->WinHelp(0, 0));
        QCOMPARE(help->Browser()->source().fragment(), QString());
    }

    void AMissingHelpFileIsLookedForOnce()
    {
        window_.reset();
        const QString missing = folder_->path() + "/no-help.html";
        MakeWindow(missing);
        QVERIFY(!window_->WinHelp(131174, 1));
        QFile::copy(helpFile_, missing);
        QVERIFY(!window_->WinHelp(131174, 1));
        QCOMPARE(window_->Help().Window(), nullptr);
    }

    void MinAndExit()
    {
        window_->OnSkinEvent("Min");
        QTRY_VERIFY(window_->windowState() & Qt::WindowMinimized);
        window_->BringToFront();
        QTRY_VERIFY(!(window_->windowState() & Qt::WindowMinimized));
        QVERIFY(window_->isVisible());

        QSignalSpy finished(window_.get(), &QDialog::finished);
        window_->OnSkinEvent("EXIT");
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), 1);
        QVERIFY(!window_->isVisible());
    }

    void EscapeEndsTheWindowButEnterDoesNot()
    {
        QSignalSpy finished(window_.get(), &QDialog::finished);
        window_->Tree()->setFocus();
        QTest::keyClick(window_->Tree(), Qt::Key_Return);
        QTest::keyClick(window_.get(), Qt::Key_Enter);
        QCOMPARE(finished.count(), 0);
        QTest::keyClick(window_->Tree(), Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);
    }

    // Each way of closing asks about a changed list, and each answer does
    // what it says; an empty or unchanged list closes at once.
    void ClosingAsksToSaveAChangedBurnList()
    {
        QSignalSpy finished(window_.get(), &QDialog::finished);
        const QString saved = music_ + "kept.tlm";
        const struct {
            std::function<void()> change;
            std::function<void()> close;
            QMessageBox::StandardButton answer;
            bool asked;
            bool closes;
        } cases[] = {
            {[] {}, [this] { window_->close(); }, QMessageBox::Save, false, true},
            {[this] { AddBothFiles(); }, [this] { QTest::keyClick(window_->Tree(), Qt::Key_Escape); },
             QMessageBox::Cancel, true, false},
            {[] {}, [this] { window_->SystemCommand(0xF060); }, QMessageBox::Save, true, true},
            {[] {}, [this] { window_->close(); }, QMessageBox::Save, false, true},
            {[this] { window_->Burn()->ChangeTitle(0, "Renamed"); }, [this] { window_->OnSkinEvent("Exit"); },
             QMessageBox::Discard, true, true},
            {[this] { window_->OnSkinEvent("New"); }, [this] { window_->close(); }, QMessageBox::Save, false, true},
        };
        for (const auto& test : cases) {
            window_->show();
            test.change();
            const int closedBefore = finished.count();
            InfoFileDialogs dialogs({saved}, test.answer);
            test.close();
            QCOMPARE(dialogs.watcher.seen.contains("SaveChanges"), test.asked);
            QCOMPARE(finished.count() - closedBefore, test.closes ? 1 : 0);
            QCOMPARE(window_->isVisible(), !test.closes);
        }
        QCOMPARE(ListInFile(saved).Tracks().front().title, std::string("one"));
    }

    void CdCoverOpensThePrintWindowOnTheTrackList()
    {
        ModalWatcher watcher;
        window_->FolderChosen(music_);
        SelectNames(*window_->Files(), {"one.mp3"});
        window_->OnSkinEvent("Add");
        window_->OnSkinEvent("cdcover");
        QCOMPARE(watcher.titles, QStringList{"Quillstar Print Now"});
    }

    void BurnMessagesGoNowhereWhileNoBurnNowWindowExists()
    {
        for (uint32_t message : {msg::WM_BURN_PROGRESS, msg::WM_BURN_STOPPED, msg::WM_BURN_FINISHED})
            QVERIFY(PostMessage(window_->Handle(), message));
        QCoreApplication::processEvents();
        QVERIFY(window_->isVisible());
    }

    void DrivesLeftOutForWantOfPermissionAreExplained()
    {
        window_.reset();
        skipped_ = {{"/dev/sr0", EACCES, "cannot open: Permission denied"}};
        ModalWatcher watcher([this](QWidget* modal) {
            if (auto* tip = qobject_cast<TipDialog*>(modal))
                tipText_ = tip->Text();
            return false;
        });
        MakeWindow();
        // Told once, when the window first shows, without waiting for an answer.
        QTRY_COMPARE(watcher.seen, QStringList{"SkippedDrives"});
        QVERIFY(window_->SkippedDrivesNotice().contains("/dev/sr0: cannot open: Permission denied"));
        QVERIFY(window_->SkippedDrivesNotice().contains("\"cdrom\" group"));
        QVERIFY(window_->SkippedDrivesNotice().contains("sudo adduser "));
        window_->hide();
        window_->show();
        window_->OnSkinEvent("BurnNow");
        QCOMPARE(watcher.seen, (QStringList{"SkippedDrives", "Tip151"}));
        QVERIFY(tipText_.contains("sudo adduser "));

        window_.reset();
        skipped_ = {{"/home/ann/x/disc.bin", ENOENT, "cannot write into /home/ann/x: No such file or directory"}};
        MakeWindow();
        QVERIFY(window_->SkippedDrivesNotice().contains("/home/ann/x/disc.bin"));
        QVERIFY(!window_->SkippedDrivesNotice().contains("cdrom"));
    }

private:
    // Answers each file dialog with the next path (cancels when none is
    // left), message boxes with the given button, and keeps their texts.
    struct InfoFileDialogs {
        InfoFileDialogs(QStringList paths, QMessageBox::StandardButton answer = QMessageBox::Ok,
                        QString* message = nullptr)
            : watcher([this, paths, answer, message](QWidget* modal) mutable {
                  if (auto* dialog = qobject_cast<CFileDialogEx*>(modal)) {
                      if (paths.isEmpty())
                          return false;
                      const QFileInfo path(paths.takeFirst());
                      dialog->setDirectory(path.path());
                      // The name box has the focus, so it is typed into as the user would.
                      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path.fileName());
                      static_cast<QDialog*>(dialog)->accept();
                      return true;
                  }
                  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                      if (message)
                          *message = box->text();
                      box->button(answer)->click();
                      return true;
                  }
                  return false;
              })
        {
        }
        ModalWatcher watcher;
    };

    void AddBothFiles()
    {
        window_->FolderChosen(music_);
        SelectNames(*window_->Files(), {"one.mp3", "two.MP3"});
        window_->OnSkinEvent("Add");
        QCOMPARE(window_->Burn()->topLevelItemCount(), 2);
    }

    QStringList BurnTitles() const
    {
        QStringList titles;
        for (int row = 0; row < window_->Burn()->topLevelItemCount(); ++row)
            titles.append(window_->Burn()->topLevelItem(row)->text(burnlist::kTitleColumn));
        return titles;
    }

    static void WriteListFile(const QString& path, const std::vector<TrackInfo>& tracks)
    {
        CSerializer list;
        for (const TrackInfo& track : tracks)
            list.AddTrackInfo(track.title, track.seconds, track.path);
        QCOMPARE(list.SaveFile(path.toStdString()), std::string());
    }

    static CSerializer ListInFile(const QString& path)
    {
        CSerializer list;
        list.LoadFile(path.toStdString());
        return list;
    }

    void MakeWindow(const QString& helpFile = {})
    {
        MainWindowSetup setup;
        setup.helpFile = helpFile.isEmpty() ? helpFile_ : helpFile;
        setup.drives = [this] { return QStringList{folder_->path()}; };
        setup.probe = [](const std::string& path) { return path.find("one") != std::string::npos ? 61 : 89; };
        setup.openFile = [this](const QString& path) {
            opened_.append(path);
            return true;
        };
        setup.openUrl = [this](const QUrl& url) {
            urls_.append(url);
            return false;
        };
        setup.skippedDrives = [this] { return skipped_; };
        window_ = std::make_unique<MainWindow>(std::move(setup));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QTRY_VERIFY(window_->DrivesKnown());
    }

    const QString helpFile_ = QCoreApplication::applicationDirPath() + "/quillstar.html";
    std::unique_ptr<QTemporaryDir> folder_;
    QString music_;
    std::unique_ptr<MainWindow> window_;
    QStringList opened_;
    QList<QUrl> urls_;
    std::vector<SkippedDrive> skipped_;
    QString tipText_;
    QString emailTarget_;
};

int main(int argc, char** argv)
{
    // No real drive and no image recorder: the ASPI layer finds nothing.
    qputenv(aspi::kDrivesVariable, "");
    qunsetenv(aspi::kImageRecorderVariable);
    QApplication application(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
