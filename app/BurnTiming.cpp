#include "app/BurnTiming.h"

#include <QThread>
#include <QWidget>

#include "browse/ProbeProgress.h"

namespace quillstar {

BurnTiming::BurnTiming(const std::vector<std::string>& paths, TimeFile time, QWidget* window,
                       std::chrono::milliseconds delay)
    : QObject(window),
      time_(std::move(time)),
      progress_(std::make_unique<ProbeProgress>(window, static_cast<int>(paths.size()), delay, [this] { Stop(); }))
{
    for (const std::string& path : paths)
        files_.push_back({path, 0.0});
    thread_ = QThread::create([this] { TimeAll(); });
    // Delivered on this object's thread once the last file is timed.
    connect(thread_, &QThread::finished, this, &BurnTiming::OnThreadFinished);
    thread_->start();
}

BurnTiming::~BurnTiming()
{
    stop_ = true;
    thread_->wait();
    delete thread_;
}

void BurnTiming::TimeAll()
{
    for (size_t i = 0; i < files_.size() && !stop_; ++i) {
        QMetaObject::invokeMethod(
            this,
            [this, number = static_cast<int>(i) + 1] {
                if (!stop_)
                    progress_->ShowFile(number);
            },
            Qt::QueuedConnection);
        files_[i].seconds = time_(files_[i].path);
    }
}

void BurnTiming::Stop()
{
    if (stop_.exchange(true))
        return;
    progress_->Close();
    emit Stopped();
}

void BurnTiming::OnThreadFinished()
{
    progress_.reset();
    if (stop_)
        deleteLater();
    else
        emit Done();
}

}  // namespace quillstar
