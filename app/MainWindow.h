#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

#include "app/BurnListDragDrop.h"
#include "app/HtmlHelp.h"
#include "app/MainWindowSetup.h"
#include "browse/BrowserOwner.h"
#include "browse/BurnListOwner.h"
#include "platform/MessageTarget.h"
#include "platform/PostMessage.h"
#include "recorder/BurnSettings.h"
#include "tracklist/Serializer.h"

class QComboBox;
class QProgressBar;

namespace quillstar {

class BurnList;
class BurnNowDialog;
class CDiscWriter;
class ColorLabel;
class DriveDiscovery;
class FileList;
class FolderTree;
class ProbeProgress;
class SkinControl;

// The program's one window (dialog 102): the folder tree, the file list and
// the burn list, the file-type and drive choices, the totals line with the
// capacity bar, and the skin through which the user gives every command. It
// owns the disc writer and the track list for the whole run and receives
// the messages the writer and the plug-ins post.
class MainWindow : public QDialog, public BrowserOwner, public BurnListOwner, public MessageTarget {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    WindowHandle Handle() const { return handle_; }

    void FolderChosen(const QString& path) override;
    void RevealFolder(const QString& path) override;
    int filterIndex() const override { return filterIndex_; }
    CSerializer& TrackList() override { return trackList_; }
    void ShowTotals(const QString& text, int barPosition) override;
    bool BeginDrag(BurnListModel::DragSource source, QAbstractItemView& list, const QPoint& point) override;
    void RebuildFolderTree() override;
    void AddSelectionToBurnList() override;
    const DeleteGuard& Guard() const override { return deleteGuard_; }
    // Runs on the posting thread: queues the message as an event of the same number.
    void Deliver(const WindowMessage& message) override;

    // A click on a skin element, by its name in any case; unknown names do nothing.
    void OnSkinEvent(const QString& name);
    // A command of the window menu.
    void SystemCommand(int id);
    void StartBurnSession();
    // Help at a context (HELP_CONTEXT) or at the start; false when there is no help.
    bool WinHelp(int data, int command);
    // Another start of the program asked for this window.
    void BringToFront();

    SkinControl* Skin() const { return skin_; }
    FolderTree* Tree() const { return folderTree_; }
    FileList* Files() const { return fileList_; }
    BurnList* Burn() const { return burnList_; }
    QComboBox* DriveCombo() const { return driveCombo_; }
    QComboBox* FileTypeCombo() const { return fileTypeCombo_; }
    QProgressBar* CapacityBar() const { return capacityBar_; }
    ColorLabel* TotalsLabel() const { return totalsLabel_; }
    ColorLabel* Mark74Label() const { return mark74_; }
    ColorLabel* Mark80Label() const { return mark80_; }
    CDiscWriter* Writer() const { return writer_.get(); }
    BurnNowDialog* BurnNowWindow() const { return burnNow_.get(); }
    BurnListDragDrop* DragDrop() const { return dragDrop_.get(); }
    const HtmlHelp& Help() const { return help_; }
    // Why drives were left out, told once the drives are known; empty when none were.
    const QString& SkippedDrivesNotice() const { return skippedNotice_; }
    // The drives are looked for on a thread of their own once the window
    // shows; until they are known the drive box says so.
    bool DrivesKnown() const;

public slots:
    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildCapacityGauge(QWidget* parent);
    void PlaceCapacityMarks();
    void ConnectSkin();
    void OnDrivesFound();
    void FillDriveCombo();
    // "Burn Now" before the drives are known: the burn session starts once
    // they are, unless the user stops the wait.
    void BurnOnceDrivesAreKnown();
    void OnFileTypeChanged(int index);
    void OnDriveChanged(int index);
    void ShowTitleMenu(const QPoint& globalPosition);
    void ShowAbout();
    void ShowTip(int tipId);
    void TellSkippedDrives();

    void AddToList();
    void DeleteFromList();
    void PlayTrack();
    void NewList();
    void LoadList();
    // False when nothing was saved (cancelled, failed or an empty list).
    bool SaveList();
    void RunSaveList() { SaveList(); }
    // The burn list as it now stands counts as saved.
    void MarkListSaved();
    // Titles, files or their order changed since the list was last
    // loaded, saved or made new; an empty list never counts as changed.
    bool ListChanged();
    // Asks about a running burn and a changed burn list; false keeps the
    // program open.
    bool MayClose();
    // The file the user chose to load (open) or save to; empty after a cancel.
    QString AskForInfoFile(bool open);
    bool ConfirmReplace(const QString& path);
    void ShowInfoFileError(const char* caption, const std::string& error);
    void PrintCover();
    void OpenHelp();
    void OpenHomepage();
    void OpenRipper();
    void Minimize();
    void Exit();

    MainWindowSetup setup_;
    CSerializer trackList_;
    std::vector<TrackInfo> savedTracks_;
    ColorLabel* mark80_ = nullptr;
    ColorLabel* mark74_ = nullptr;
    ColorLabel* totalsLabel_ = nullptr;
    QProgressBar* capacityBar_ = nullptr;
    QComboBox* driveCombo_ = nullptr;
    QComboBox* fileTypeCombo_ = nullptr;
    BurnList* burnList_ = nullptr;
    FileList* fileList_ = nullptr;
    FolderTree* folderTree_ = nullptr;
    QWidget* capacityGauge_ = nullptr;
    QWidget* tick74_ = nullptr;
    QWidget* tick80_ = nullptr;
    SkinControl* skin_ = nullptr;
    // Gone before the window's base deletes the controls it works on.
    std::unique_ptr<BurnListDragDrop> dragDrop_;
    std::unique_ptr<CDiscWriter> writer_;
    // Gone before the writer it searches with.
    std::unique_ptr<DriveDiscovery> discovery_;
    std::unique_ptr<ProbeProgress> driveWait_;
    bool burnOnceDrivesAreKnown_ = false;
    // The burn options the user chose last, kept while the program runs.
    BurnSettings burnChoices_{.verify = true};
    int filterIndex_;
    std::unique_ptr<BurnNowDialog> burnNow_;
    // Earlier Burn Now windows whose stopped burns are still ending, oldest
    // first; each takes the next finished message and then deletes itself.
    QList<BurnNowDialog*> retired_;
    HtmlHelp help_;
    DeleteGuard deleteGuard_;
    QString skippedNotice_;
    WindowHandle handle_ = nullptr;
};

}  // namespace quillstar
