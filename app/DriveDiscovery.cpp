#include "app/DriveDiscovery.h"

#include <QThread>

#include "recorder/DiscWriter.h"

namespace quillstar {

DriveDiscovery::DriveDiscovery(CDiscWriter& writer, QObject* parent) : QObject(parent), writer_(writer) {}

DriveDiscovery::~DriveDiscovery()
{
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
}

void DriveDiscovery::Start()
{
    if (thread_)
        return;
    thread_ = QThread::create([this] { writer_.Initialize(); });
    // Delivered on this object's thread once the search has returned.
    connect(thread_, &QThread::finished, this, &DriveDiscovery::OnThreadFinished);
    thread_->start();
}

void DriveDiscovery::OnThreadFinished()
{
    ended_ = true;
    emit Ended();
}

}  // namespace quillstar
