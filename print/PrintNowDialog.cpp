#include "print/PrintNowDialog.h"

#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>

#include "print/CoverPageLayout.h"
#include "print/PrintNowServices.h"
#include "resources/PrintTexts.h"
#include "tracklist/BurnListModel.h"
#include "tracklist/Serializer.h"

namespace quillstar {

namespace {

constexpr int kPointsPerInch = 72;

// The window keeps the proportions of its original dialog units: a 6 × 13
// pixel base at 96 pixels per inch. The preview, and with it the printed
// cover, keeps its physical size whatever font the desktop uses.
constexpr int kBaseUnitWidth = 6;
constexpr int kBaseUnitHeight = 13;
constexpr int kBaseDpi = 96;

int MulDiv(int number, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(number) * numerator / denominator));
}

QSize DialogUnitsToPixels(int width, int height, const QWidget& widget)
{
    return {MulDiv(width * kBaseUnitWidth, widget.logicalDpiX(), 4 * kBaseDpi),
            MulDiv(height * kBaseUnitHeight, widget.logicalDpiY(), 8 * kBaseDpi)};
}

// Like the rest of the program, an extension is the path's last three
// characters in any case, without a test for the dot.
bool IsBitmapPath(const QString& path)
{
    return path.right(3).compare(QLatin1String(print::kBitmapExtension), Qt::CaseInsensitive) == 0;
}

int LineHeight(int fontHeight)
{
    return fontHeight * print::kLineHeightNumerator / print::kLineHeightDenominator;
}

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

QPushButton* AddButton(QWidget* parent, int id, const char* text)
{
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::number(id));
    return button;
}

}  // namespace

PrintNowDialog::PrintNowDialog(const CSerializer& trackList, QWidget* parent,
                               std::unique_ptr<PrintNowServices> services)
    : QDialog(parent),
      albumTitle_(QString::fromUtf8(print::kDefaultAlbumTitle)),
      titleColor_(QColor::fromRgb(print::kDefaultTextColor)),
      listColor_(QColor::fromRgb(print::kDefaultTextColor)),
      backColor_(QColor::fromRgb(print::kDefaultBackColor)),
      trackList_(trackList),
      services_(services ? std::move(services) : std::make_unique<PrintNowServices>())
{
    setObjectName(QString::number(print::IDD_PRINT_NOW));
    setWindowTitle(QString::fromUtf8(print::kCaption));
    BuildControls();

    titleFont_ = InitialFont(print::kTitleFontFace, print::kTitleFontPoints);
    listFont_ = InitialFont(print::kListFontFace, print::kListFontPoints);

    redrawTimer_.setSingleShot(true);
    redrawTimer_.setInterval(print::kRedrawDelayMs);
    connect(&redrawTimer_, &QTimer::timeout, this, &PrintNowDialog::DrawPreview);
    StartRedrawTimer();
}

PrintNowDialog::~PrintNowDialog() = default;

void PrintNowDialog::BuildControls()
{
    auto* titleLabel = new QLabel(QString::fromUtf8(print::kAlbumTitleLabel), this);
    titleEdit_ = new QLineEdit(albumTitle_, this);
    titleEdit_->setObjectName(QString::number(print::IDC_ALBUM_TITLE));
    connect(titleEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        albumTitle_ = text;
        StartRedrawTimer();
    });

    previewFrame_ = new QLabel(this);
    previewFrame_->setObjectName(QString::number(print::IDC_PREVIEW));
    previewFrame_->setFrameStyle(QFrame::Box | QFrame::Plain);
    previewFrame_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QSize frame(2 * previewFrame_->frameWidth(), 2 * previewFrame_->frameWidth());
    previewFrame_->setFixedSize(
        DialogUnitsToPixels(print::kPreviewWidthUnits, print::kPreviewHeightUnits, *previewFrame_) + frame);

    auto* titleFont = AddButton(this, print::IDC_TITLE_FONT, print::kTitleFontButton);
    auto* listFont = AddButton(this, print::IDC_LIST_FONT, print::kListFontButton);
    auto* background = AddButton(this, print::IDC_BACKGROUND, print::kBackgroundButton);
    auto* backColor = AddButton(this, print::IDC_BACK_COLOR, print::kBackColorButton);
    auto* clear = AddButton(this, print::IDC_CLEAR, print::kClearButton);
    auto* printNow = AddButton(this, print::IDC_PRINT_NOW, print::kPrintNowButton);
    auto* close = AddButton(this, print::IDCANCEL, print::kCloseButton);
    printNow->setDefault(true);
    connect(titleFont, &QPushButton::clicked, this, &PrintNowDialog::ChooseTitleFont);
    connect(listFont, &QPushButton::clicked, this, &PrintNowDialog::ChooseListFont);
    connect(background, &QPushButton::clicked, this, &PrintNowDialog::ChooseBackground);
    connect(backColor, &QPushButton::clicked, this, &PrintNowDialog::ChooseBackColor);
    connect(clear, &QPushButton::clicked, this, &PrintNowDialog::ClearBackground);
    connect(printNow, &QPushButton::clicked, this, &PrintNowDialog::PrintCover);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {titleFont, listFont, background, backColor, clear})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(printNow);
    buttons->addWidget(close);

    auto* layout = new QGridLayout(this);
    layout->addWidget(titleLabel, 0, 0);
    layout->addWidget(titleEdit_, 0, 1);
    layout->addWidget(previewFrame_, 1, 0, 1, 2);
    layout->addLayout(buttons, 1, 2);
    setFixedSize(
        layout->sizeHint().expandedTo(DialogUnitsToPixels(print::kDialogWidthUnits, print::kDialogHeightUnits, *this)));
}

QFont PrintNowDialog::InitialFont(const char* face, int points) const
{
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(MulDiv(points, previewFrame_->logicalDpiY(), kPointsPerInch));
    return font;
}

void PrintNowDialog::StartRedrawTimer()
{
    redrawTimer_.start();
}

void PrintNowDialog::ChooseTitleFont()
{
    if (ChooseFont(titleFont_, titleColor_))
        StartRedrawTimer();
}

void PrintNowDialog::ChooseListFont()
{
    if (ChooseFont(listFont_, listColor_))
        StartRedrawTimer();
}

// The cover's fonts are kept in preview pixels; the font dialog speaks points.
bool PrintNowDialog::ChooseFont(QFont& font, QColor& color)
{
    const int dpi = previewFrame_->logicalDpiY();
    QFont shown = font;
    shown.setPointSizeF(static_cast<double>(font.pixelSize()) * kPointsPerInch / dpi);
    QColor chosenColor = color;
    if (!services_->ChooseFont(this, shown, chosenColor))
        return false;
    if (shown.pixelSize() <= 0)
        shown.setPixelSize(std::max(1, static_cast<int>(std::lround(shown.pointSizeF() * dpi / kPointsPerInch))));
    font = shown;
    color = chosenColor;
    return true;
}

void PrintNowDialog::ChooseBackground()
{
    const QString path = services_->ChooseBackground(this);
    if (!path.isEmpty())
        backgroundPath_ = path;
    StartRedrawTimer();
}

// A cancelled colour dialog still drops the picture: the user asked for a
// plain background.
void PrintNowDialog::ChooseBackColor()
{
    backColor_ = services_->ChooseColor(this, backColor_);
    backgroundPath_.clear();
    StartRedrawTimer();
}

void PrintNowDialog::ClearBackground()
{
    backgroundPath_.clear();
    backColor_ = QColor::fromRgb(print::kDefaultBackColor);
    StartRedrawTimer();
}

void PrintNowDialog::DrawPreview()
{
    const QSize size = previewFrame_->contentsRect().size();
    QImage cover(size, QImage::Format_ARGB32_Premultiplied);
    if (cover.isNull())
        return;
    // Without a picture or a colour the cover stays clear: the frame's own
    // background shows on screen and the paper on a print.
    cover.fill(Qt::transparent);

    QPainter painter(&cover);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawBackground(painter, size);
    const int headingHeight = DrawHeading(painter, size.width());
    DrawTrackLines(painter, size, headingHeight);
    painter.end();

    preview_ = cover;
    previewFrame_->setPixmap(QPixmap::fromImage(preview_));
}

void PrintNowDialog::DrawBackground(QPainter& painter, QSize size) const
{
    const QRect area(QPoint(0, 0), size);
    if (backgroundPath_.isEmpty()) {
        painter.fillRect(area, backColor_);
        return;
    }
    if (!IsBitmapPath(backgroundPath_))
        return;
    const QImage picture(backgroundPath_, print::kBitmapFormat);
    if (!picture.isNull())
        painter.drawImage(area, picture);
}

int PrintNowDialog::DrawHeading(QPainter& painter, int width) const
{
    const int height = LineHeight(titleFont_.pixelSize());
    painter.setFont(titleFont_);
    painter.setPen(titleColor_);
    painter.drawText(QRect(print::kTextMargin, print::kTextMargin, width - print::kTextMargin, height), kTextFlags,
                     albumTitle_);
    return height;
}

void PrintNowDialog::DrawTrackLines(QPainter& painter, QSize size, int headingHeight) const
{
    const int fontHeight = listFont_.pixelSize();
    const int lineHeight = LineHeight(fontHeight);
    const int timeLeft = size.width() - print::kTimeColumnFontHeights * fontHeight;
    painter.setFont(listFont_);
    painter.setPen(listColor_);
    for (int i = 0; i < trackList_.GetCount(); ++i) {
        // Rounded once for all the lines above, so the spacing does not drift.
        const int top = LineHeight(i * fontHeight) + headingHeight + print::kTextMargin;
        if (top >= size.height())
            break;
        std::string title;
        std::string path;
        int seconds = 0;
        if (!trackList_.GetTrackInfo(i, title, seconds, path))
            continue;
        painter.drawText(QRect(print::kTextMargin, top, size.width() - print::kTextMargin, lineHeight), kTextFlags,
                         QString::asprintf(print::kTrackLineFormat, i + 1, title.c_str()));
        if (fontHeight < print::kNoTimesFontHeight) {
            painter.drawText(QRect(timeLeft, top, size.width() - timeLeft, lineHeight), kTextFlags,
                             QString::fromStdString(BurnListModel::TimeText(seconds)));
        }
    }
}

void PrintNowDialog::PrintCover()
{
    if (preview_.isNull())
        DrawPreview();
    const QImage cover = preview_;
    if (cover.isNull()) {
        ShowMessage(print::kNotEnoughResourceMessage);
        return;
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QGuiApplication::applicationDisplayName());
    const QString defaultPrinter = services_->DefaultPrinterName();
    if (defaultPrinter.isEmpty()) {
        // Without a printer the print dialog still offers a PDF file, so the
        // cover can be printed elsewhere.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir::home().filePath(printer.docName() + QStringLiteral(".pdf")));
    } else {
        printer.setPrinterName(defaultPrinter);
        if (printer.printerName() != defaultPrinter || !printer.isValid()) {
            ShowMessage(print::kCannotFindPrinterMessage);
            return;
        }
    }

    const int offeredPages = LayoutFor(printer, cover.size()).PageCount();
    if (offeredPages < 1) {
        ShowMessage(print::kPrintingErrorMessage);
        return;
    }
    if (!services_->ConfirmPrint(this, printer, offeredPages))
        return;

    // The user may have picked another printer or paper: measure again.
    const CoverPageLayout layout = LayoutFor(printer, cover.size());
    QPainter painter;
    if (layout.PageCount() < 1 || !CanStartDocument(printer) || !painter.begin(&printer)) {
        ShowMessage(print::kPrintingErrorMessage);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const auto [first, last] = PagesToPrint(printer, layout.PageCount());
    for (int number = first; number <= last; ++number) {
        if (number > first)
            printer.newPage();
        const CoverPage page = layout.Page(number);
        painter.drawImage(page.target, cover, page.source);
    }
    if (!painter.end())
        ShowMessage(print::kPrintingErrorMessage);
}

CoverPageLayout PrintNowDialog::LayoutFor(const QPrinter& printer, QSize cover) const
{
    const double scaleX = static_cast<double>(printer.logicalDpiX()) / previewFrame_->logicalDpiX();
    const double scaleY = static_cast<double>(printer.logicalDpiY()) / previewFrame_->logicalDpiY();
    return CoverPageLayout(CoverPageLayout::PageWidth(printer.logicalDpiX(), printer.widthMM()), cover, scaleX, scaleY);
}

// A PDF needs a file name and a printer must be one the system knows;
// anything else would fail later, or silently.
bool PrintNowDialog::CanStartDocument(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return !printer.outputFileName().isEmpty();
    return printer.isValid() && !printer.printerName().isEmpty();
}

std::pair<int, int> PrintNowDialog::PagesToPrint(const QPrinter& printer, int pageCount)
{
    if (printer.printRange() != QPrinter::PageRange || printer.fromPage() < 1)
        return {1, pageCount};
    const int first = std::min(printer.fromPage(), pageCount);
    return {first, std::clamp(printer.toPage(), first, pageCount)};
}

void PrintNowDialog::ShowMessage(const char* text)
{
    services_->ShowMessage(this, QString::fromUtf8(text));
}

}  // namespace quillstar
