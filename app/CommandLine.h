#pragma once

#include <QString>
#include <QStringList>

namespace quillstar {

// The program's options: --image-recorder PATH and --help. The toolkit's own
// options are taken out before these are read.
class CommandLine {
public:
    // Looked for before the toolkit starts, so that --help works without a display.
    static bool AsksForHelp(int argc, char** argv);
    static QString HelpText();

    // False, with the reason in Error(), for an unknown option or a missing value.
    bool Parse(const QStringList& arguments);
    const QString& ImageRecorder() const { return imageRecorder_; }
    const QString& Error() const { return error_; }

private:
    QString imageRecorder_;
    QString error_;
};

}  // namespace quillstar
