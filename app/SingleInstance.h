#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace quillstar {

// One running program per user. The first start holds a lock file and a
// local server beside it, both named from the instance name and the user id
// in the user's runtime folder; a later start finds the lock taken, asks the
// server to show the running window and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& name = DefaultName(), QObject* parent = nullptr);

    // "QuillstarMusicCDBurner-<user id>".
    static QString DefaultName();

    // True for the first start, which from now on answers later starts.
    bool Claim();
    // A later start: asks the running program to show its window. False when
    // it did not answer within the time.
    bool AskRunningToShow(int timeoutMilliseconds);
    const QString& ServerPath() const { return serverPath_; }

signals:
    void ShowRequested();

private:
    void Answer();

    QString serverPath_;
    QLockFile lock_;
    QLocalServer server_;
};

}  // namespace quillstar
