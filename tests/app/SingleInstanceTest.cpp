// One running program per user, with real processes: a second start hands
// over to the first and ends without a window; a start after the first one
// died takes over. Also the command line the program reads.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

#include "app/CommandLine.h"

using namespace quillstar;

namespace {

constexpr int kStartMs = 30000;

QString ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        QDir(folder_->path()).mkpath("run");
        QFile::setPermissions(folder_->path() + "/run",
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir(folder_->path()).mkpath("home");
    }

    void cleanup()
    {
        for (QProcess* process : processes_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
            delete process;
        }
        processes_.clear();
    }

    void ASecondStartHandsOverAndEndsAndAStartAfterTheFirstDiedTakesOver()
    {
        QProcess* first = Start("first");
        QTRY_VERIFY_WITH_TIMEOUT(Trace("first").contains("BurnerApp: main window open"), kStartMs);
        QProcess* second = Start("second");
        QVERIFY(second->waitForFinished(kStartMs));
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(Trace("second").contains("already running; the running program shows its window"));
        QVERIFY(!Trace("second").contains("main window open"));
        QTRY_VERIFY_WITH_TIMEOUT(Trace("first").contains("BurnerApp: shown at the request of another start"), kStartMs);

        ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(kStartMs));
        Start("after");
        QTRY_VERIFY_WITH_TIMEOUT(Trace("after").contains("BurnerApp: main window open"), kStartMs);
        QVERIFY(!Trace("after").contains("already running"));
    }

    void TheCommandLineNeedsNoDisplayForHelpRefusesWhatItDoesNotKnowAndMakesThePathAbsolute()
    {
        QProcess help;
        QProcessEnvironment environment = Environment("help");
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        help.setProcessEnvironment(environment);
        help.start(Program(), {"--help"});
        QVERIFY(help.waitForFinished(kStartMs));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(help.readAllStandardOutput())
                    .startsWith("Usage: quillstar [--image-recorder PATH]"));

        QProcess wrong;
        wrong.setProcessEnvironment(Environment("wrong"));
        wrong.start(Program(), {"--image-recorde", "x.bin"});
        QVERIFY(wrong.waitForFinished(kStartMs));
        QCOMPARE(wrong.exitCode(), 2);
        QVERIFY(QString::fromLocal8Bit(wrong.readAllStandardError()).contains("image-recorde"));
        QVERIFY(!Trace("wrong").contains("main window open"));
        // The image recorder's path is made absolute.
        CommandLine commandLine;
        QVERIFY(commandLine.Parse({"quillstar", "--image-recorder", "disc.bin"}));
        QCOMPARE(commandLine.ImageRecorder(), QDir::current().absoluteFilePath("disc.bin"));
    }

private:
    static QString Program() { return QCoreApplication::applicationDirPath() + "/quillstar"; }

    QString TracePath(const QString& name) const { return folder_->path() + "/" + name + ".trace"; }
    QString Trace(const QString& name) const { return ReadAll(TracePath(name)); }

    QProcessEnvironment Environment(const QString& name) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", folder_->path() + "/run");
        environment.insert("HOME", folder_->path() + "/home");
        environment.insert("QUILLSTAR_DRIVES", "");
        environment.remove("QUILLSTAR_IMAGE_RECORDER");
        environment.insert("QUILLSTAR_TRACE", TracePath(name));
        return environment;
    }

    QProcess* Start(const QString& name)
    {
        auto* process = new QProcess;
        processes_.append(process);
        process->setProcessEnvironment(Environment(name));
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(Program(), {});
        return process;
    }

    std::unique_ptr<QTemporaryDir> folder_;
    QList<QProcess*> processes_;
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
