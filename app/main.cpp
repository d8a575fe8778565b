#include <QApplication>

#include <cstdio>

#include "app/BurnerApp.h"
#include "app/CommandLine.h"

int main(int argc, char** argv)
{
    if (quillstar::CommandLine::AsksForHelp(argc, argv)) {
        std::fputs(quillstar::CommandLine::HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    quillstar::CommandLine commandLine;
    if (!commandLine.Parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "quillstar: %s (--help explains the options)\n",
                     commandLine.Error().toLocal8Bit().constData());
        return 2;
    }
    return quillstar::BurnerApp(std::move(commandLine)).Run();
}
