#pragma once

#include <QColor>
#include <QLabel>

namespace quillstar {

// A label drawn in a text colour and a background colour of its own, such as
// the main window's totals line and capacity marks.
class ColorLabel : public QLabel {
    Q_OBJECT
public:
    explicit ColorLabel(const QString& text = {}, QWidget* parent = nullptr);

    // An invalid colour stands for the system's button text colour, or for
    // its button face colour as the background.
    void SetLabelTextColor(const QColor& color);
    void SetLabelBackColor(const QColor& color);
    QColor LabelTextColor() const { return textColor_; }
    QColor LabelBackColor() const { return backColor_; }

private:
    void ApplyColors();

    QColor textColor_;
    QColor backColor_;
};

}  // namespace quillstar
