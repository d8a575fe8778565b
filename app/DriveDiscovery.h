#pragma once

#include <QObject>

class QThread;

namespace quillstar {

class CDiscWriter;

// Finds the disc writer's drives on a thread of its own: a real drive may
// take a second or more over its speed scan, and the window answers
// meanwhile. Nothing else touches the writer until Ended is emitted.
class DriveDiscovery : public QObject {
    Q_OBJECT

public:
    explicit DriveDiscovery(CDiscWriter& writer, QObject* parent = nullptr);
    // Waits for a search still running: the writer must outlive it.
    ~DriveDiscovery() override;

    // Starts the search once; later calls do nothing.
    void Start();
    // Started and not yet ended.
    bool IsSearching() const { return thread_ != nullptr && !ended_; }
    bool HasEnded() const { return ended_; }

signals:
    // The writer knows its drives (or that the ASPI layer is missing).
    void Ended();

private:
    void OnThreadFinished();

    CDiscWriter& writer_;
    QThread* thread_ = nullptr;
    bool ended_ = false;
};

}  // namespace quillstar
