#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QString>

#include "resources/MainWindowTexts.h"

namespace quillstar {

// One named element of the skin: a tool bar button (picture over caption),
// the title (picture beside the program's name) or a window button (picture
// only). It takes the keyboard focus with Tab and clicks on Space, Enter and
// Return as well as with the mouse.
class SkinButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { ToolBar, Title, Window };

    SkinButton(const mainwindow::SkinElement& element, Kind kind, QWidget* parent = nullptr);

    const QString& ElementName() const { return name_; }
    Kind ElementKind() const { return kind_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QSize IconSize() const;
    QFont CaptionFont() const;
    QColor BackgroundColor() const;

    QString name_;
    Kind kind_;
    QIcon picture_;
};

}  // namespace quillstar
