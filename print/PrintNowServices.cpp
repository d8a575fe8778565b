#include "print/PrintNowServices.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "print/FontEffectsDialog.h"
#include "resources/PrintTexts.h"

namespace quillstar {

namespace {

QString BackgroundFilter()
{
    const QString patterns = QStringLiteral(" (%1)").arg(QString::fromUtf8(print::kBitmapPatterns));
    return QString::fromUtf8(print::kAllPicturesFilter) + patterns + QStringLiteral(";;") +
           QString::fromUtf8(print::kBitmapFilesFilter) + patterns;
}

}  // namespace

bool PrintNowServices::ChooseFont(QWidget* parent, QFont& font, QColor& color)
{
    FontEffectsDialog dialog(font, color, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.SelectedFont();
    color = dialog.SelectedColor();
    return true;
}

QString PrintNowServices::ChooseBackground(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, {}, {}, BackgroundFilter());
}

QColor PrintNowServices::ChooseColor(QWidget* parent, const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? chosen : initial;
}

QString PrintNowServices::DefaultPrinterName()
{
    return QPrinterInfo::defaultPrinterName();
}

bool PrintNowServices::ConfirmPrint(QWidget* parent, QPrinter& printer, int pageCount)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, pageCount);
    dialog.setFromTo(1, pageCount);
    dialog.setPrintRange(QAbstractPrintDialog::PageRange);
    return dialog.exec() == QDialog::Accepted;
}

void PrintNowServices::ShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(), text);
}

}  // namespace quillstar
