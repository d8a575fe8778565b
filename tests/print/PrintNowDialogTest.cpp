#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#include "print/PrintNowDialog.h"
#include "print/PrintNowServices.h"
#include "resources/PrintTexts.h"
#include "tracklist/Serializer.h"

using namespace quillstar;

namespace {

// Answers the window's questions the way a test wants, and records what it
// was asked; no modal window is ever opened.
class ScriptedServices : public PrintNowServices {
public:
    QString defaultPrinter;
    bool acceptPrint = true;
    std::optional<QString> pdfPath;  // typed as "print to file" in the print dialog
    QString suggestedFile;
    int offeredPages = 0;
    QStringList messages;

    bool ChooseFont(QWidget*, QFont&, QColor&) override { return false; }
    QString ChooseBackground(QWidget*) override { return {}; }
    QColor ChooseColor(QWidget*, const QColor& initial) override { return initial; }
    QString DefaultPrinterName() override { return defaultPrinter; }
    bool ConfirmPrint(QWidget*, QPrinter& printer, int pageCount) override
    {
        offeredPages = pageCount;
        suggestedFile = printer.outputFileName();
        if (pdfPath) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(*pdfPath);
        }
        return acceptPrint;
    }
    void ShowMessage(QWidget*, const QString& text) override { messages << text; }
};

const CSerializer& NoTracks()
{
    static const CSerializer empty;
    return empty;
}

struct Window {
    explicit Window(const CSerializer& tracks = NoTracks())
    {
        auto owned = std::make_unique<ScriptedServices>();
        services = owned.get();
        dialog = std::make_unique<PrintNowDialog>(tracks, nullptr, std::move(owned));
    }
    void Click(int id) { dialog->findChild<QPushButton*>(QString::number(id))->click(); }

    ScriptedServices* services = nullptr;
    std::unique_ptr<PrintNowDialog> dialog;
};

}  // namespace

class PrintNowDialogTest : public QObject {
    Q_OBJECT
private slots:
    void printingToAFileWritesTheCoverAsOnePdfPageAndACancelPrintsNothing()
    {
        CSerializer tracks;
        tracks.AddTrackInfo("Opening", 245, "/music/opening.mp3");
        QTemporaryDir folder;
        for (const bool accept : {false, true}) {
            Window window(tracks);
            window.services->pdfPath = folder.filePath(QStringLiteral("cover.pdf"));
            window.services->acceptPrint = accept;
            window.Click(print::IDC_PRINT_NOW);
            QVERIFY2(window.services->messages.isEmpty(), qPrintable(window.services->messages.join('\n')));
            QCOMPARE(window.services->offeredPages, 1);
            QCOMPARE(QFile::exists(*window.services->pdfPath), accept);
        }
        QFile file(folder.filePath(QStringLiteral("cover.pdf")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray document = file.readAll();
        QVERIFY(document.startsWith("%PDF"));
        QCOMPARE(document.count("/Type /Page\n") + document.count("/Type /Page\r") + document.count("/Type /Page "), 1);
    }

    // Without a printer the dialog suggests a PDF file in the home folder; a
    // user who empties the name gets the printing error. A default printer
    // that is not installed is reported before the dialog.
    void aMissingPrinterIsReportedWithItsText()
    {
        Window noPrinter;
        noPrinter.services->pdfPath = QString();
        noPrinter.Click(print::IDC_PRINT_NOW);
        QCOMPARE(QFileInfo(noPrinter.services->suggestedFile).dir(), QDir::home());
        QVERIFY(noPrinter.services->suggestedFile.endsWith(QStringLiteral(".pdf")));
        QCOMPARE(noPrinter.services->messages,
                 QStringList{QStringLiteral("Printing error occured. Unable to find printer.")});

        Window unknown;
        unknown.services->defaultPrinter = QStringLiteral("Quillstar Test Printer That Does Not Exist");
        unknown.Click(print::IDC_PRINT_NOW);
        QCOMPARE(unknown.services->offeredPages, 0);
        QCOMPARE(unknown.services->messages,
                 QStringList{QStringLiteral("Can not find printer. Please check installed printers.")});
    }
};

QTEST_MAIN(PrintNowDialogTest)
#include "PrintNowDialogTest.moc"
