#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "app/BurnTiming.h"
#include "recorder/BurnSettings.h"

class QCheckBox;
class QFormLayout;
class QLayout;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace quillstar {

class BurnJob;
class CDiscWriter;
struct DeviceInfo;
class CSerializer;

// The Burn Now window (dialog 133): times the track list's files beside the
// window, burns them with a burn job, reads the disc back after it when
// asked, follows each in a status line and a progress bar, stops them on
// request, and ends with the last text or a tip window. The burn reaches it
// only through the messages the main window passes on.
class BurnNowDialog : public QDialog {
    Q_OBJECT
public:
    // choices: the burn options last used while the program runs; the window
    // starts with them and keeps what the user picks there. Files are timed
    // for the burn with timeFile, on a thread of its own.
    BurnNowDialog(CDiscWriter& writer, const CSerializer& trackList, BurnSettings& choices,
                  BurnTiming::TimeFile timeFile, QWidget* parent = nullptr);
    ~BurnNowDialog() override;

    // Timing for a burn or burning.
    bool IsBurning() const { return burning_; }
    // A burn was started and its finished message has not come yet; until
    // then the writer's thread may still read the track source.
    bool FinishPending() const { return finishPending_; }
    // The main window lets go of the window while its burn is still ending:
    // it hides, waits for the finished message and then deletes itself.
    void Retire();
    // The "&Burn Now" and "&Stop Burning" buttons.
    void BurnNow();
    void StopBurning();
    // The writer's text and percent, as a progress message shows them.
    void ShowProgress(const QString& text, int percent);
    // The main window ends: a running burn is stopped and the window closes.
    void EndForExit();
    // The tip for a writer's result (1 to 3), modal over this window; other
    // results show none.
    void ShowResultTip(int result);

    QString StatusText() const;
    QString PercentText() const;
    int ProgressPosition() const;
    QString SkippedTracksText() const;
    QPushButton* BurnNowButton() const { return burnNowButton_; }
    QPushButton* StopBurningButton() const { return stopButton_; }
    QPushButton* CloseButton() const { return closeButton_; }
    QComboBox* WriteSpeedBox() const { return speedBox_; }
    QCheckBox* TestWriteBox() const { return testWriteBox_; }
    QSpinBox* CopiesBox() const { return copiesBox_; }
    QCheckBox* DiscAtOnceBox() const { return atOnceBox_; }
    QDoubleSpinBox* PauseBox() const { return pauseBox_; }
    QLineEdit* AlbumTitleEdit() const { return albumTitleEdit_; }
    QLineEdit* AlbumPerformerEdit() const { return albumPerformerEdit_; }
    // The speed the drive writes at, the copy being burned and, at the end,
    // how many copies were burned.
    QString BurnInfoText() const;
    QCheckBox* VerifyCheckBox() const { return verify_; }

public slots:
    // Refused while a burn runs, as the greyed "&Close" button is.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    QLayout* BuildOptions();
    void BuildAtOnceOptions(QFormLayout* options);
    void FillWriteSpeeds(const DeviceInfo& device);
    BurnSettings ChosenSettings() const;
    void AskForNextDisc();
    void ShowBurnInfo();
    void StartBurn();
    void OnTimed();
    void OnTimingStopped();
    void OnProgress();
    void OnStopped();
    void OnFinished();
    void HandleBurnMessage(uint32_t message);
    // The tracks that are not on the disc, the failed drive command and the
    // tracks that did not read back as written.
    void ShowSkippedTracks();
    void SetBurning(bool burning);

    QPushButton* closeButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* burnNowButton_ = nullptr;
    QCheckBox* verify_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* percent_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* skipped_ = nullptr;
    QLabel* burnInfo_ = nullptr;
    QComboBox* speedBox_ = nullptr;
    QCheckBox* testWriteBox_ = nullptr;
    QSpinBox* copiesBox_ = nullptr;
    QCheckBox* atOnceBox_ = nullptr;
    QDoubleSpinBox* pauseBox_ = nullptr;
    QLineEdit* albumTitleEdit_ = nullptr;
    QLineEdit* albumPerformerEdit_ = nullptr;
    std::unique_ptr<BurnJob> job_;
    const CSerializer& trackList_;
    BurnSettings& choices_;
    bool canTestWrite_ = false;
    BurnTiming::TimeFile timeFile_;
    // While the files are timed; a child of the window, gone with it.
    BurnTiming* timing_ = nullptr;
    bool burning_ = false;
    bool finishPending_ = false;
    // "Burn Now" after a stop, while the stopped burn is still ending: the
    // new burn starts once the old one has finished.
    bool startOnFinish_ = false;
    // Set by a stop until the next burn: the stop's text stays up.
    bool stopped_ = false;
    bool retired_ = false;
};

}  // namespace quillstar
