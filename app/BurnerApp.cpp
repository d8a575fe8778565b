#include "app/BurnerApp.h"

#include <QApplication>
#include <QIcon>

#include <cstdlib>

#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "decode/AudioTrackSource.h"
#include "decode/PluginRegistry.h"
#include "platform/ProgramPath.h"
#include "platform/Trace.h"
#include "resources/ImageRecorderTexts.h"
#include "resources/MainWindowTexts.h"

namespace quillstar {

namespace {

// How long a second start waits for the running one to answer.
constexpr int kHandOverTimeoutMs = 10000;
constexpr char kDesktopFileName[] = "quillstar";

}  // namespace

BurnerApp::BurnerApp(CommandLine commandLine) : commandLine_(std::move(commandLine)) {}

int BurnerApp::Run()
{
    QApplication::setApplicationDisplayName(QString::fromUtf8(mainwindow::kCaption));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(mainwindow::kProgramIcon)));

    SingleInstance instance;
    if (!instance.Claim()) {
        const bool shown = instance.AskRunningToShow(kHandOverTimeoutMs);
        Trace("BurnerApp: already running; the running program %s\n", shown ? "shows its window" : "did not answer");
        return 0;
    }

    MainWindowSetup setup;
    setup.helpFile = QString::fromStdString(ProgramPath()) + QString::fromLatin1(mainwindow::kHelpExtension);
    setup.probe = AudioTrackSource::TrackSeconds;
    // The ASPI layer reads the variable when the writer first starts it.
    if (!commandLine_.ImageRecorder().isEmpty())
        setenv(aspi::kImageRecorderVariable, commandLine_.ImageRecorder().toLocal8Bit().constData(), 1);

    MainWindow window(std::move(setup));
    ScanDecoderPlugins();
    QObject::connect(&instance, &SingleInstance::ShowRequested, &window, [&window] {
        Trace("BurnerApp: shown at the request of another start\n");
        window.BringToFront();
    });
    Trace("BurnerApp: main window open\n");
    window.exec();
    Trace("BurnerApp: main window closed\n");
    return 0;
}

}  // namespace quillstar
