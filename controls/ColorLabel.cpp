#include "controls/ColorLabel.h"

#include <QGuiApplication>
#include <QPalette>

namespace quillstar {

namespace {

QColor OrSystemColor(const QColor& color, QPalette::ColorRole systemRole)
{
    return color.isValid() ? color : QGuiApplication::palette().color(systemRole);
}

}  // namespace

ColorLabel::ColorLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent),
      textColor_(OrSystemColor({}, QPalette::ButtonText)),
      backColor_(OrSystemColor({}, QPalette::Button))
{
    setAutoFillBackground(true);
    ApplyColors();
}

void ColorLabel::SetLabelTextColor(const QColor& color)
{
    textColor_ = OrSystemColor(color, QPalette::ButtonText);
    ApplyColors();
}

void ColorLabel::SetLabelBackColor(const QColor& color)
{
    backColor_ = OrSystemColor(color, QPalette::Button);
    ApplyColors();
}

void ColorLabel::ApplyColors()
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, textColor_);
    colors.setColor(QPalette::Window, backColor_);
    setPalette(colors);
    update();
}

}  // namespace quillstar
