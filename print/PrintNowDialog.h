#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QString>
#include <QTimer>

#include <memory>
#include <utility>

class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;

namespace quillstar {

class CoverPageLayout;
class CSerializer;
class PrintNowServices;

// The Print Now window: lays out a CD cover with an album title and the
// songs of the track list over a plain colour or a BMP picture, shows it in
// a preview frame and prints that preview. It only reads the track list.
class PrintNowDialog : public QDialog {
    Q_OBJECT
public:
    // Without services the window uses the desktop's own dialogs and
    // printers.
    explicit PrintNowDialog(const CSerializer& trackList, QWidget* parent = nullptr,
                            std::unique_ptr<PrintNowServices> services = nullptr);
    ~PrintNowDialog() override;

    const QString& AlbumTitle() const { return albumTitle_; }
    const QFont& TitleFont() const { return titleFont_; }
    QColor TitleColor() const { return titleColor_; }
    const QFont& ListFont() const { return listFont_; }
    QColor ListColor() const { return listColor_; }
    const QString& BackgroundPath() const { return backgroundPath_; }
    QColor BackColor() const { return backColor_; }
    // The cover as the preview frame shows it; null until it was first drawn.
    const QImage& Preview() const { return preview_; }

    // Draws the cover into the preview frame. Changes draw it through the
    // redraw timer, kRedrawDelayMs after the last of them.
    void DrawPreview();
    // Prints the preview as it is shown, scaled to the printer.
    void PrintCover();

private:
    void BuildControls();
    QFont InitialFont(const char* face, int points) const;
    void StartRedrawTimer();
    void ChooseTitleFont();
    void ChooseListFont();
    bool ChooseFont(QFont& font, QColor& color);
    void ChooseBackground();
    void ChooseBackColor();
    void ClearBackground();
    void DrawBackground(QPainter& painter, QSize size) const;
    int DrawHeading(QPainter& painter, int width) const;
    void DrawTrackLines(QPainter& painter, QSize size, int headingHeight) const;
    CoverPageLayout LayoutFor(const QPrinter& printer, QSize cover) const;
    static bool CanStartDocument(const QPrinter& printer);
    static std::pair<int, int> PagesToPrint(const QPrinter& printer, int pageCount);
    void ShowMessage(const char* text);

    QString albumTitle_;
    QFont titleFont_;
    QColor titleColor_;
    QFont listFont_;
    QColor listColor_;
    QString backgroundPath_;
    QColor backColor_;
    const CSerializer& trackList_;

    std::unique_ptr<PrintNowServices> services_;
    QLineEdit* titleEdit_ = nullptr;
    QLabel* previewFrame_ = nullptr;
    QTimer redrawTimer_;
    QImage preview_;
};

}  // namespace quillstar
