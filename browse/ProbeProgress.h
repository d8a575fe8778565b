#pragma once

#include <chrono>

class QProgressDialog;
class QWidget;

namespace quillstar {

// Counts the files while the burn list times them one after another. The
// window appears only once the work has run (or promises to run) longer than
// the delay. While it shows, windows repaint between files; what the user
// types or clicks waits until the work is done, as it did before there was
// a window.
class ProbeProgress {
public:
    ProbeProgress(QWidget* owner, int fileCount, std::chrono::milliseconds delay);
    ~ProbeProgress();
    ProbeProgress(const ProbeProgress&) = delete;
    ProbeProgress& operator=(const ProbeProgress&) = delete;

    // Called before each file is timed.
    void Next();

private:
    QProgressDialog* dialog_;
    int fileCount_;
    int started_ = 0;
};

}  // namespace quillstar
