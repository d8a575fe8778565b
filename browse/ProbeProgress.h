#pragma once

#include <QString>

#include <chrono>
#include <functional>

class QProgressDialog;
class QWidget;

namespace quillstar {

// The window that counts files while they are timed, or says what the
// program waits for. It appears only once the work has run (or promises to
// run) longer than the delay. Timed on the window's thread, the files are
// counted with Next, which lets windows repaint between files while what
// the user types or clicks waits until the work is done. Timed or waited
// for on another thread, the window answers as any other, and its Stop
// button, when it has one, calls the stop given.
class ProbeProgress {
public:
    using Stop = std::function<void()>;

    ProbeProgress(QWidget* owner, int fileCount, std::chrono::milliseconds delay, Stop stop = {});
    // A wait of unknown length, with its text.
    ProbeProgress(QWidget* owner, const QString& text, std::chrono::milliseconds delay, Stop stop);
    ~ProbeProgress();
    ProbeProgress(const ProbeProgress&) = delete;
    ProbeProgress& operator=(const ProbeProgress&) = delete;

    // Called before each file is timed on the window's thread.
    void Next();
    // The file now being timed on another thread, counted from 1.
    void ShowFile(int number);
    // Hides the window for good; safe from within its own Stop.
    void Close();

private:
    void SetUp(std::chrono::milliseconds delay, const Stop& stop);

    QProgressDialog* dialog_;
    int fileCount_;
    int started_ = 0;
};

}  // namespace quillstar
