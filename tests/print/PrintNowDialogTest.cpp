#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
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
    std::optional<std::pair<QFont, QColor>> fontAnswer;  // nullopt: cancel
    QString backgroundAnswer;                            // empty: cancel
    std::optional<QColor> colorAnswer;                   // nullopt: cancel
    QString defaultPrinter;
    bool acceptPrint = true;
    std::optional<QString> pdfPath;  // typed as "print to file" in the print dialog
    QString suggestedFile;
    int offeredPages = 0;
    QStringList messages;

    bool ChooseFont(QWidget*, QFont& font, QColor& color) override
    {
        if (!fontAnswer)
            return false;
        font = fontAnswer->first;
        color = fontAnswer->second;
        return true;
    }
    QString ChooseBackground(QWidget*) override { return backgroundAnswer; }
    QColor ChooseColor(QWidget*, const QColor& initial) override { return colorAnswer.value_or(initial); }
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
    const QImage& Drawn()
    {
        dialog->DrawPreview();
        return dialog->Preview();
    }

    ScriptedServices* services = nullptr;
    std::unique_ptr<PrintNowDialog> dialog;
};

bool IsDark(QRgb pixel)
{
    return qAlpha(pixel) > 128 && qGray(pixel) < 128;
}

bool HasDarkPixel(const QImage& image, const QRect& area)
{
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (IsDark(image.pixel(x, y)))
                return true;
    return false;
}

QImage SolidPicture(const QColor& color)
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

// A red BMP picture in the folder.
QString RedBitmap(const QTemporaryDir& folder, const QString& name = QStringLiteral("cover.bmp"))
{
    const QString path = folder.filePath(name);
    if (!SolidPicture(Qt::red).save(path, "BMP"))
        QTest::qFail("the picture could not be saved", __FILE__, __LINE__);
    return path;
}

QPair<QFont, QColor> PixelFont(int pixels, const QColor& color = Qt::black)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(pixels);
    return {font, color};
}

int LineTop(int index, int listPixels, int titlePixels)
{
    return index * listPixels * 5 / 4 + titlePixels * 5 / 4 + 5;
}

}  // namespace

class PrintNowDialogTest : public QObject {
    Q_OBJECT
private slots:
    void emptyListDrawsOnlyTheHeading()
    {
        Window window;
        const QImage& cover = window.Drawn();
        const int headingBottom = 5 + window.dialog->TitleFont().pixelSize() * 5 / 4;

        QVERIFY(HasDarkPixel(cover, QRect(5, 5, cover.width() - 5, headingBottom - 5)));
        QVERIFY(!HasDarkPixel(cover, QRect(0, headingBottom, cover.width(), cover.height())));
        QVERIFY(!HasDarkPixel(cover, QRect(0, 0, 5, cover.height())));
        QCOMPARE(cover.pixel(cover.width() - 1, cover.height() - 1), qRgb(255, 255, 255));
    }

    // Track 12 of 4:05: its line against the same texts drawn by hand where
    // the cover puts them.
    void trackLineShowsNumberTitleAndTime()
    {
        CSerializer tracks;
        for (int i = 1; i <= 11; ++i)
            tracks.AddTrackInfo("Song", 60, "/music/song.mp3");
        tracks.AddTrackInfo("Twelfth", 245, "/music/twelfth.mp3");
        Window window(tracks);
        const QImage& cover = window.Drawn();

        const QFont font = window.dialog->ListFont();
        const int h = font.pixelSize();
        QVERIFY(h < 24);
        const int top = LineTop(11, h, window.dialog->TitleFont().pixelSize());
        const QRect row(0, top, cover.width(), h * 5 / 4);

        QImage expected(cover.size(), cover.format());
        expected.fill(Qt::white);
        QPainter painter(&expected);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
        painter.drawText(QRect(5, top, cover.width() - 5, row.height()), flags, QStringLiteral("12 Twelfth"));
        painter.drawText(QRect(cover.width() - 5 * h, top, 5 * h, row.height()), flags, QStringLiteral("04:05"));
        painter.end();

        QCOMPARE(cover.copy(row), expected.copy(row));
        QVERIFY(HasDarkPixel(cover, QRect(cover.width() - 5 * h, top, 5 * h, row.height())));
    }

    void timesAreLeftOutFromA24PixelListFont()
    {
        CSerializer tracks;
        tracks.AddTrackInfo("A", 245, "/music/a.mp3");
        Window window(tracks);

        const auto timeColumnInked = [&](int pixels) {
            window.services->fontAnswer = PixelFont(pixels);
            window.Click(print::IDC_LIST_FONT);
            const QImage& cover = window.Drawn();
            const int top = LineTop(0, pixels, window.dialog->TitleFont().pixelSize());
            return HasDarkPixel(cover, QRect(cover.width() - 5 * pixels, top, 5 * pixels, pixels * 5 / 4));
        };
        QVERIFY(timeColumnInked(23));
        QVERIFY(!timeColumnInked(24));
        QCOMPARE(window.dialog->ListFont().pixelSize(), 24);

        window.services->fontAnswer.reset();
        window.Click(print::IDC_LIST_FONT);
        QCOMPARE(window.dialog->ListFont().pixelSize(), 24);
    }

    void fontDialogInPointsBecomesPreviewPixels()
    {
        Window window;
        const int dpi = window.dialog->findChild<QLabel*>(QString::number(print::IDC_PREVIEW))->logicalDpiY();
        QFont chosen(QStringLiteral("Verdana"));
        chosen.setPointSize(18);
        window.services->fontAnswer = {{chosen, Qt::red}};
        window.Click(print::IDC_TITLE_FONT);
        QCOMPARE(window.dialog->TitleFont().pixelSize(), qRound(18.0 * dpi / 72));
        QCOMPARE(window.dialog->TitleColor(), QColor(Qt::red));
    }

    void titleEditRedrawsTheHeadingThroughTheTimer()
    {
        Window window;
        // The first drawing comes from the redraw timer, without any change.
        QTRY_VERIFY(!window.dialog->Preview().isNull());
        const QImage before = window.Drawn();
        window.dialog->findChild<QLineEdit*>(QString::number(print::IDC_ALBUM_TITLE))->setText(QStringLiteral("Road"));
        QCOMPARE(window.dialog->AlbumTitle(), QStringLiteral("Road"));
        QTRY_VERIFY(window.dialog->Preview() != before);
    }

    void bitmapBackgroundIsLoadedWhateverTheCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << QStringLiteral("cover.bmp");
        QTest::newRow("upper case") << QStringLiteral("COVER.BMP");
        QTest::newRow("mixed case") << QStringLiteral("cover.Bmp");
    }
    void bitmapBackgroundIsLoadedWhateverTheCase()
    {
        QFETCH(QString, name);
        QTemporaryDir folder;
        const QString path = RedBitmap(folder, name);

        Window window;
        window.services->backgroundAnswer = path;
        window.Click(print::IDC_BACKGROUND);
        QCOMPARE(window.dialog->BackgroundPath(), path);
        const QImage& cover = window.Drawn();
        QCOMPARE(cover.pixel(cover.width() - 1, cover.height() - 1), qRgb(255, 0, 0));
        QCOMPARE(cover.pixel(0, 0), qRgb(255, 0, 0));
    }

    // Neither a picture that is not a BMP, nor a BMP that cannot be read, nor
    // the background colour is drawn: the cover stays clear.
    void otherBackgroundsDrawNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpeg") << QStringLiteral("cover.jpg") << QByteArray("JPG");
        QTest::newRow("png named bmp") << QStringLiteral("cover.bmp") << QByteArray("PNG");
        QTest::newRow("missing bmp") << QStringLiteral("missing.bmp") << QByteArray();
    }
    void otherBackgroundsDrawNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        if (!format.isEmpty())
            QVERIFY(SolidPicture(Qt::red).save(path, format.constData()));

        Window window;
        window.services->colorAnswer = QColor(Qt::blue);
        window.Click(print::IDC_BACK_COLOR);
        window.services->backgroundAnswer = path;
        window.Click(print::IDC_BACKGROUND);
        const QImage& cover = window.Drawn();
        QCOMPARE(qAlpha(cover.pixel(cover.width() - 1, cover.height() - 1)), 0);
        QCOMPARE(window.dialog->BackColor(), QColor(Qt::blue));
    }

    void cancelledBackColorKeepsTheColourAndDropsThePicture()
    {
        QTemporaryDir folder;
        const QString path = RedBitmap(folder);
        Window window;
        window.services->colorAnswer = QColor(Qt::green);
        window.Click(print::IDC_BACK_COLOR);
        window.services->backgroundAnswer = path;
        window.Click(print::IDC_BACKGROUND);

        window.services->colorAnswer.reset();
        window.Click(print::IDC_BACK_COLOR);
        QCOMPARE(window.dialog->BackColor(), QColor(Qt::green));
        QVERIFY(window.dialog->BackgroundPath().isEmpty());
        const QImage& cover = window.Drawn();
        QCOMPARE(cover.pixel(cover.width() - 1, cover.height() - 1), qRgb(0, 255, 0));
    }

    void clearResetsOnlyTheBackground()
    {
        QTemporaryDir folder;
        const QString path = RedBitmap(folder);
        Window window;
        window.services->fontAnswer = PixelFont(20, Qt::blue);
        window.Click(print::IDC_TITLE_FONT);
        window.services->fontAnswer = PixelFont(14, Qt::darkGreen);
        window.Click(print::IDC_LIST_FONT);
        window.dialog->findChild<QLineEdit*>(QString::number(print::IDC_ALBUM_TITLE))->setText(QStringLiteral("Mix"));
        window.services->colorAnswer = QColor(Qt::yellow);
        window.Click(print::IDC_BACK_COLOR);
        window.services->backgroundAnswer = path;
        window.Click(print::IDC_BACKGROUND);

        window.Click(print::IDC_CLEAR);
        PrintNowDialog& dialog = *window.dialog;
        QVERIFY(dialog.BackgroundPath().isEmpty());
        QCOMPARE(dialog.BackColor(), QColor(Qt::white));
        QCOMPARE(dialog.TitleFont().pixelSize(), 20);
        QCOMPARE(dialog.TitleColor(), QColor(Qt::blue));
        QCOMPARE(dialog.ListFont().pixelSize(), 14);
        QCOMPARE(dialog.ListColor(), QColor(Qt::darkGreen));
        QCOMPARE(dialog.AlbumTitle(), QStringLiteral("Mix"));
        const QImage& cover = window.Drawn();
        QCOMPARE(cover.pixel(cover.width() - 1, cover.height() - 1), qRgb(255, 255, 255));
    }

    void printingToAFileWritesTheCoverAsOnePdfPage()
    {
        CSerializer tracks;
        tracks.AddTrackInfo("Opening", 245, "/music/opening.mp3");
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("cover.pdf"));
        Window window(tracks);
        window.services->pdfPath = pdf;
        window.Click(print::IDC_PRINT_NOW);

        QVERIFY2(window.services->messages.isEmpty(), qPrintable(window.services->messages.join('\n')));
        QCOMPARE(window.services->offeredPages, 1);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray document = file.readAll();
        QVERIFY(document.startsWith("%PDF"));
        QCOMPARE(document.count("/Type /Page\n") + document.count("/Type /Page\r") + document.count("/Type /Page "), 1);
    }

    void cancelledPrintDialogPrintsNothing()
    {
        QTemporaryDir folder;
        Window window;
        window.services->pdfPath = folder.filePath(QStringLiteral("cover.pdf"));
        window.services->acceptPrint = false;
        window.Click(print::IDC_PRINT_NOW);
        QVERIFY(!QFile::exists(*window.services->pdfPath));
        QVERIFY(window.services->messages.isEmpty());
    }

    // Without a printer the dialog suggests a PDF file in the home folder;
    // a user who empties the name gets the printing error.
    void noPrinterAndNoFileEndsWithThePrintingError()
    {
        Window window;
        window.services->pdfPath = QString();
        window.Click(print::IDC_PRINT_NOW);
        QVERIFY(window.services->offeredPages >= 1);
        QCOMPARE(QFileInfo(window.services->suggestedFile).dir(), QDir::home());
        QVERIFY(window.services->suggestedFile.endsWith(QStringLiteral(".pdf")));
        QCOMPARE(window.services->messages,
                 QStringList{QStringLiteral("Printing error occured. Unable to find printer.")});
    }

    void unknownDefaultPrinterIsReportedBeforeTheDialog()
    {
        Window window;
        window.services->defaultPrinter = QStringLiteral("Quillstar Test Printer That Does Not Exist");
        window.Click(print::IDC_PRINT_NOW);
        QCOMPARE(window.services->offeredPages, 0);
        QCOMPARE(window.services->messages,
                 QStringList{QStringLiteral("Can not find printer. Please check installed printers.")});
    }
};

QTEST_MAIN(PrintNowDialogTest)
#include "PrintNowDialogTest.moc"
