#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPrinter;
class QWidget;

namespace quillstar {

// What the Print Now window asks of the desktop: its choosers, the default
// printer, the print dialog and message boxes. Tests give the window their
// own answers so that no modal window waits for a user.
class PrintNowServices {
public:
    virtual ~PrintNowServices() = default;

    // The font dialog with the text colour; false when cancelled. The font
    // comes and goes in points.
    virtual bool ChooseFont(QWidget* parent, QFont& font, QColor& color);
    // The chosen picture's path; empty when cancelled.
    virtual QString ChooseBackground(QWidget* parent);
    // The chosen colour, or the initial one when cancelled.
    virtual QColor ChooseColor(QWidget* parent, const QColor& initial);
    // Empty when the system has no printer.
    virtual QString DefaultPrinterName();
    // The print dialog offering pages 1 to pageCount; true when the user
    // chose to print. The printer carries the user's choices out.
    virtual bool ConfirmPrint(QWidget* parent, QPrinter& printer, int pageCount);
    virtual void ShowMessage(QWidget* parent, const QString& text);
};

}  // namespace quillstar
