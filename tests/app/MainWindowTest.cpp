// The main window without a CD writer: the burn list it fills from the file
// list, the track lists it saves and loads, and what it tells the user.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <functional>

#include "../browse/ModalWatcher.h"
#include "BrowsingWindow.h"
#include "app/FileDialogEx.h"
#include "app/MainWindow.h"
#include "app/TipDialog.h"
#include "controls/ColorLabel.h"
#include "controls/LinkLabel.h"
#include "platform/PostMessage.h"
#include "resources/BurnListControlTexts.h"
#include "resources/ImageRecorderTexts.h"
#include "resources/Messages.h"

using namespace quillstar;
using test::BrowsingWindow;
using test::ModalWatcher;

namespace {

// Answers each file dialog with the next path (cancels when none is left)
// and message boxes with the given button.
ModalWatcher FileDialogs(QStringList paths, QMessageBox::StandardButton answer = QMessageBox::Ok)
{
    return ModalWatcher(
        [paths](QWidget* modal) mutable {
            auto* dialog = qobject_cast<CFileDialogEx*>(modal);
            if (!dialog || paths.isEmpty())
                return false;
            const QFileInfo path(paths.takeFirst());
            dialog->setDirectory(path.path());
            // The name box has the focus, so it is typed into as the user would.
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path.fileName());
            static_cast<QDialog*>(dialog)->accept();
            return true;
        },
        answer);
}

void WriteList(const QString& path, int tracks)
{
    CSerializer list;
    for (int track = 0; track < tracks; ++track)
        list.AddTrackInfo("old", 225 - track, "/nowhere/old.mp3");
    QCOMPARE(list.SaveFile(path.toStdString()), std::string());
}

int TracksIn(const QString& path)
{
    CSerializer list;
    return list.LoadFile(path.toStdString()).empty() ? list.GetCount() : -1;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { w_ = std::make_unique<BrowsingWindow>(QStringList{"one.mp3", "two.MP3", "three.wav"}); }
    void cleanup() { w_.reset(); }

    void TheBurnListTakesOnlyMusicFilesAndShowsTheirTotal()
    {
        QCOMPARE(w_->window->DriveCombo()->currentText(), QString("CD-R/RW drive not found"));
        w_->window->FolderChosen(w_->Drive() + "/");
        QCOMPARE(w_->Names(), (QStringList{"..", "one.mp3", "three.wav", "two.MP3"}));
        w_->window->FileTypeCombo()->setCurrentIndex(0);
        QCOMPARE(w_->Names(), (QStringList{"..", "one.mp3", "two.MP3"}));
        QCOMPARE(w_->window->FileTypeCombo()->itemText(2),
                 QString("Music Files {*.mp3;*.mp2;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.aac;*.wma;*.wav;*.aif;*.aiff;"
                         "*.aifc;*.au;*.wv;*.mka}"));
        w_->window->FileTypeCombo()->setCurrentIndex(2);
        QCOMPARE(w_->Names(), (QStringList{"..", "one.mp3", "three.wav", "two.MP3"}));
        w_->Select({".."});
        w_->window->OnSkinEvent("Add");
        QCOMPARE(w_->window->TrackList().GetCount(), 0);

        w_->Select({"one.mp3", "two.MP3"});
        w_->window->OnSkinEvent("add");
        QCOMPARE(w_->TrackTitles(), (QStringList{"one", "two"}));
        QCOMPARE(w_->window->TotalsLabel()->text(), QString("02:32 - 2 Tracks"));
        QCOMPARE(w_->window->CapacityBar()->value(), 3);
        w_->Burn().selectAll();
        w_->window->OnSkinEvent("PLAY");
        QCOMPARE(w_->opened, QStringList{w_->Drive("two.MP3")});
        w_->Burn().setCurrentItem(w_->Burn().topLevelItem(0));
        w_->window->OnSkinEvent("del");
        QCOMPARE(w_->TrackTitles(), QStringList{"two"});
        w_->window->OnSkinEvent("New");
        QCOMPARE(w_->window->TrackList().GetCount(), 0);
        QCOMPARE(w_->Burn().topLevelItemCount(), 0);
        QCOMPARE(w_->window->TotalsLabel()->text(), QString("00:00 - 0 Track"));
    }

    void ASavedListLoadsBackWithItsEditedTitlesAndTimes()
    {
        AddBoth();
        QVERIFY(w_->Burn().ChangeTitle(0, "First song"));
        const QString totals = w_->window->TotalsLabel()->text();
        {
            ModalWatcher dialogs = FileDialogs({w_->Drive("mylist")});
            w_->window->OnSkinEvent("Save");
            QCOMPARE(dialogs.seen, QStringList{"CFileDialogEx"});
        }
        QVERIFY(!QFileInfo::exists(w_->Drive("mylist")));
        const std::vector<TrackInfo> saved = w_->window->TrackList().Tracks();
        w_->window->OnSkinEvent("New");
        // Tracks whose files are gone keep the times they were saved with.
        WriteList(w_->Drive("gone.tlm"), 2);
        ModalWatcher dialogs = FileDialogs({w_->Drive("mylist.tlm"), w_->Drive("gone.tlm")});
        w_->window->OnSkinEvent("Load");
        QCOMPARE(w_->window->TrackList().Tracks(), saved);
        QCOMPARE(w_->Burn().topLevelItem(0)->text(burnlist::kTitleColumn), QString("First song"));
        QCOMPARE(w_->window->TotalsLabel()->text(), totals);
        w_->window->OnSkinEvent("Load");
        QCOMPARE(w_->window->TotalsLabel()->text(), QString("07:31 - 2 Tracks"));
    }

    void NamesBeyondAsciiComeBackFromASavedList()
    {
        const QStringList names{"Ça ira — Édith.mp3", "Ünïcødé 歌 🎵.mp3"};
        for (const QString& name : names)
            QVERIFY(QFile(w_->Drive(name)).open(QIODevice::WriteOnly));
        w_->window->FolderChosen(w_->Drive() + "/");
        w_->Select(names);
        w_->window->OnSkinEvent("Add");
        const QStringList titles{"Ça ira — Édith", "Ünïcødé 歌 🎵"};
        QCOMPARE(w_->TrackTitles(), titles);
        {
            ModalWatcher dialogs = FileDialogs({w_->Drive("Liste à écouter")});
            w_->window->OnSkinEvent("Save");
        }
        w_->window->OnSkinEvent("New");
        ModalWatcher dialogs = FileDialogs({w_->Drive("Liste à écouter.tlm")});
        w_->window->OnSkinEvent("Load");
        QCOMPARE(w_->TrackTitles(), titles);
        for (int row = 0; row < 2; ++row)
            QCOMPARE(w_->Burn().topLevelItem(row)->text(burnlist::kFromColumn), w_->Drive(names[row]));
    }

    void SavingNeverReplacesAFileWithoutAYesNorSavesAnEmptyListOrACancel()
    {
        {
            ModalWatcher dialogs = FileDialogs({w_->Drive("empty")});
            w_->window->OnSkinEvent("Save");
            QVERIFY(dialogs.seen.isEmpty());
        }
        AddBoth();
        {
            ModalWatcher dialogs = FileDialogs({});
            w_->window->OnSkinEvent("Save");
            QCOMPARE(dialogs.seen, QStringList{"CFileDialogEx"});
        }
        QCOMPARE(QDir(w_->Drive()).entryList(QDir::Files).size(), 3);

        // A name ending in ".tlm" is kept, and the dialog itself asks about
        // replacing it; other endings get ".tlm", case and all, and the file
        // that name makes is asked about too.
        WriteList(w_->Drive("mylist.tlm"), 1);
        struct Case {
            QString typed;
            QMessageBox::StandardButton answer;
            QString file;
            int tracks;
        };
        for (const Case& c : {Case{"mylist.tlm", QMessageBox::Yes, "mylist.tlm", 2},
                              Case{"song.TLM", QMessageBox::Ok, "song.TLM.tlm", 2}}) {
            ModalWatcher dialogs = FileDialogs({w_->Drive(c.typed)}, c.answer);
            w_->window->OnSkinEvent("Save");
            QCOMPARE(TracksIn(w_->Drive(c.file)), c.tracks);
        }
        WriteList(w_->Drive("mylist.tlm"), 1);
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            ModalWatcher dialogs = FileDialogs({w_->Drive("mylist")}, answer);
            w_->window->OnSkinEvent("Save");
            QCOMPARE(dialogs.seen, (QStringList{"CFileDialogEx", "InfoFileReplace"}));
            QCOMPARE(TracksIn(w_->Drive("mylist.tlm")), answer == QMessageBox::Yes ? 2 : 1);
        }
        QVERIFY(!QFileInfo::exists(w_->Drive("mylist.tlm.saving")));
    }

    void ADamagedListIsNamedAndTheListStaysAsItWas()
    {
        AddBoth();
        QFile damaged(w_->Drive("damaged.tlm"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("\x03\x00\x00\x00\x01\x61", 6));
        damaged.close();
        ModalWatcher dialogs = FileDialogs({w_->Drive("damaged.tlm")});
        w_->window->OnSkinEvent("Load");
        QCOMPARE(dialogs.seen, (QStringList{"CFileDialogEx", "InfoFileError"}));
        QVERIFY(dialogs.texts.value(0).contains(w_->Drive("damaged.tlm")));
        QVERIFY(dialogs.texts.value(0).contains("damaged"));
        QCOMPARE(w_->TrackTitles(), (QStringList{"one", "two"}));
        QCOMPARE(w_->Burn().topLevelItemCount(), 2);
    }

    // Each way of closing asks about a changed list, and each answer does
    // what it says; an empty or unchanged list closes at once.
    void ClosingAsksToSaveAChangedBurnList()
    {
        QSignalSpy finished(w_->window.get(), &QDialog::finished);
        MainWindow& window = *w_->window;
        const QString saved = w_->Drive("kept.tlm");
        const struct {
            std::function<void()> change;
            std::function<void()> close;
            QMessageBox::StandardButton answer;
            bool asked;
            bool closes;
        } cases[] = {
            {[] {}, [&] { window.close(); }, QMessageBox::Save, false, true},
            {[this] { AddBoth(); }, [&] { QTest::keyClick(window.Tree(), Qt::Key_Escape); }, QMessageBox::Cancel, true,
             false},
            {[] {}, [&] { window.SystemCommand(0xF060); }, QMessageBox::Save, true, true},
            {[] {}, [&] { window.close(); }, QMessageBox::Save, false, true},
            {[this] { w_->Burn().ChangeTitle(0, "Renamed"); }, [&] { window.OnSkinEvent("Exit"); },
             QMessageBox::Discard, true, true},
            {[&] { window.OnSkinEvent("New"); }, [&] { window.close(); }, QMessageBox::Save, false, true},
        };
        for (const auto& test : cases) {
            window.show();
            test.change();
            const int closedBefore = finished.count();
            ModalWatcher dialogs = FileDialogs({saved}, test.answer);
            test.close();
            QCOMPARE(dialogs.seen.contains("SaveChanges"), test.asked);
            QCOMPARE(finished.count() - closedBefore, test.closes ? 1 : 0);
            QCOMPARE(window.isVisible(), !test.closes);
        }
        CSerializer list;
        QCOMPARE(list.LoadFile(saved.toStdString()), std::string());
        QCOMPARE(list.Tracks().front().title, std::string("one"));
    }

    void BurnNowWithoutADriveShowsTip151()
    {
        QString tipText;
        QString emailTarget;
        ModalWatcher watcher([&](QWidget* modal) {
            if (auto* tip = qobject_cast<TipDialog*>(modal)) {
                tipText = tip->Text();
                emailTarget = tip->EmailLink() ? tip->EmailLink()->Url() : QString();
            }
            return false;
        });
        for (const char* name : {"BURNNOW", "BurnNow"}) {
            w_->window->OnSkinEvent(name);
            AddBoth();
        }
        QCOMPARE(watcher.seen, (QStringList{"Tip151", "Tip151"}));
        QCOMPARE(watcher.titles.value(0), QString("Tip - No CD-R/RW Drives"));
        QCOMPARE(w_->window->BurnNowWindow(), nullptr);
        QVERIFY(tipText.contains(QDir::homePath() + "/QuillstarDrive.txt so that we can support your CD-R/RW drive"));
        QVERIFY(emailTarget.startsWith("mailto:"));
    }

    void DrivesLeftOutAreExplainedOnceWithWhatToDo()
    {
        struct Case {
            SkippedDrive drive;
            QString notice;
            bool cdromGroup;
        };
        for (const Case& c :
             {Case{{"/dev/sr0", EACCES, "cannot open: Permission denied"},
                   "/dev/sr0: cannot open: Permission denied",
                   true},
              Case{{"/home/ann/x/disc.bin", ENOENT, "cannot write into /home/ann/x: No such file or directory"},
                   "/home/ann/x/disc.bin",
                   false}}) {
            w_.reset();
            ModalWatcher watcher;
            w_ = std::make_unique<BrowsingWindow>(QStringList{}, [&c](MainWindowSetup& setup) {
                setup.skippedDrives = [drive = c.drive] { return std::vector<SkippedDrive>{drive}; };
            });
            // Told once, when the window first shows, without waiting for an answer.
            QTRY_COMPARE(watcher.seen, QStringList{"SkippedDrives"});
            const QString notice = w_->window->SkippedDrivesNotice();
            QVERIFY(notice.contains(c.notice));
            QCOMPARE(notice.contains("\"cdrom\" group") && notice.contains("sudo adduser "), c.cdromGroup);
            w_->window->hide();
            w_->window->show();
            w_->window->OnSkinEvent("BurnNow");
            QCOMPARE(watcher.seen, (QStringList{"SkippedDrives", "Tip151"}));
        }
    }

    void BurnMessagesGoNowhereWhileNoBurnNowWindowExists()
    {
        for (uint32_t message : {msg::WM_BURN_PROGRESS, msg::WM_BURN_STOPPED, msg::WM_BURN_FINISHED})
            QVERIFY(PostMessage(w_->window->Handle(), message));
        QCoreApplication::processEvents();
        QVERIFY(w_->window->isVisible());
    }

private:
    void AddBoth()
    {
        w_->window->FolderChosen(w_->Drive() + "/");
        w_->Select({"one.mp3", "two.MP3"});
        w_->window->OnSkinEvent("Add");
    }

    std::unique_ptr<BrowsingWindow> w_;
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
