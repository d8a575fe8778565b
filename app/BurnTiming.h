#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recorder/BurnJob.h"

class QThread;
class QWidget;

namespace quillstar {

class ProbeProgress;

// Times the files of a burn on a thread of its own, so the window keeps
// answering however long the list or slow the files. The burn list's
// counting window shows once it takes longer than the delay, with a Stop.
// It ends with Done, or with Stopped at once when stopped; a stopped timing
// deletes itself once the file being timed is done.
class BurnTiming : public QObject {
    Q_OBJECT

public:
    using TimeFile = std::function<double(const std::string& path)>;

    // Starts at once; the timing and its counting window belong to `window`.
    BurnTiming(const std::vector<std::string>& paths, TimeFile time, QWidget* window, std::chrono::milliseconds delay);
    // Waits for the file being timed: the thread is joined, never killed.
    ~BurnTiming() override;

    void Stop();
    // Every file with its seconds, once Done came.
    const std::vector<TimedFile>& Files() const { return files_; }

signals:
    void Done();
    void Stopped();

private:
    void TimeAll();
    void OnThreadFinished();

    std::vector<TimedFile> files_;
    TimeFile time_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<ProbeProgress> progress_;
    QThread* thread_ = nullptr;
};

}  // namespace quillstar
