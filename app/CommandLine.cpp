#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstring>

#include "resources/MainWindowTexts.h"

namespace quillstar {

namespace {

constexpr char kHelpLong[] = "--help";
constexpr char kHelpShort[] = "-h";

}  // namespace

bool CommandLine::AsksForHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kHelpLong) == 0 || std::strcmp(argv[i], kHelpShort) == 0)
            return true;
    }
    return false;
}

QString CommandLine::HelpText()
{
    return QStringLiteral(
               "Usage: quillstar [--%1 %2]\n%3\n\nOptions:\n  --%1 %2\n      %4\n  -h, --help\n"
               "      Show this help and end.\n")
        .arg(QLatin1String(mainwindow::kImageRecorderOption), QLatin1String(mainwindow::kImageRecorderValueName),
             QString::fromUtf8(mainwindow::kProgramDescription),
             QString::fromUtf8(mainwindow::kImageRecorderDescription));
}

bool CommandLine::Parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption imageRecorder(QString::fromLatin1(mainwindow::kImageRecorderOption),
                                           QString::fromUtf8(mainwindow::kImageRecorderDescription),
                                           QString::fromLatin1(mainwindow::kImageRecorderValueName));
    parser.addOption(imageRecorder);
    if (!parser.parse(arguments)) {
        error_ = parser.errorText();
        return false;
    }
    if (parser.isSet(imageRecorder)) {
        const QString path = parser.value(imageRecorder);
        if (path.isEmpty()) {
            error_ = QStringLiteral("--%1 needs a file path").arg(QLatin1String(mainwindow::kImageRecorderOption));
            return false;
        }
        // The layer may open the image long after the current folder changed.
        imageRecorder_ = QDir::current().absoluteFilePath(path);
    }
    return true;
}

}  // namespace quillstar
