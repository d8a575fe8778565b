#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QComboBox;
class QFontDialog;

namespace quillstar {

// A font dialog with effects that also chooses the text colour from the
// sixteen standard colours, as the cover's font buttons need.
class FontEffectsDialog : public QDialog {
    Q_OBJECT
public:
    FontEffectsDialog(const QFont& font, const QColor& color, QWidget* parent = nullptr);

    QFont SelectedFont() const;
    QColor SelectedColor() const;

private:
    void FillColors(const QColor& current);

    QFontDialog* fontPicker_;
    QComboBox* colorBox_;
};

}  // namespace quillstar
