#pragma once

#include <QDialog>

namespace quillstar {

// The About window (dialog 100): the program's picture, its version line and
// a "&Close" button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace quillstar
