#include "print/FontEffectsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "resources/PrintTexts.h"

namespace quillstar {

namespace {

QIcon Swatch(const QColor& color)
{
    QPixmap swatch(16, 16);
    swatch.fill(color);
    return QIcon(swatch);
}

}  // namespace

FontEffectsDialog::FontEffectsDialog(const QFont& font, const QColor& color, QWidget* parent)
    : QDialog(parent), fontPicker_(new QFontDialog(this)), colorBox_(new QComboBox(this))
{
    setWindowTitle(QString::fromUtf8(print::kFontDialogCaption));

    // The font picker lives inside this window; its own Enter and Escape
    // end this window, not just the picker.
    fontPicker_->setWindowFlags(Qt::Widget);
    fontPicker_->setSizeGripEnabled(false);
    fontPicker_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fontPicker_->setCurrentFont(font);
    connect(fontPicker_, &QDialog::accepted, this, &QDialog::accept);
    connect(fontPicker_, &QDialog::rejected, this, &QDialog::reject);

    FillColors(color);

    auto* colorRow = new QFormLayout;
    auto* colorLabel = new QLabel(QString::fromUtf8(print::kFontColorLabel), this);
    colorLabel->setBuddy(colorBox_);
    colorRow->addRow(colorLabel, colorBox_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fontPicker_);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

QFont FontEffectsDialog::SelectedFont() const
{
    return fontPicker_->currentFont();
}

QColor FontEffectsDialog::SelectedColor() const
{
    return colorBox_->currentData().value<QColor>();
}

// The current colour is selected; one that is not among the standard
// colours is kept as a custom entry so that OK never changes it.
void FontEffectsDialog::FillColors(const QColor& current)
{
    for (const print::NamedColor& named : print::kFontColors) {
        const QColor color = QColor::fromRgb(named.rgb);
        colorBox_->addItem(Swatch(color), QString::fromUtf8(named.name), color);
    }
    int index = colorBox_->findData(current);
    if (index < 0) {
        colorBox_->addItem(Swatch(current), QString::fromUtf8(print::kCustomColorName), current);
        index = colorBox_->count() - 1;
    }
    colorBox_->setCurrentIndex(index);
}

}  // namespace quillstar
