#include "app/SkinButton.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace quillstar {

namespace {

constexpr int kToolBarIconSize = 32;
constexpr int kTitleIconSize = 26;
constexpr int kWindowIconSize = 16;
constexpr int kToolBarMinimumWidth = 72;
constexpr int kPadding = 6;
constexpr qreal kCornerRadius = 5.0;
// Closing is the one window button that warns in red while hovered.
constexpr unsigned kExitHoverColor = 0xc8323c;

QColor Rgb(unsigned value)
{
    return QColor::fromRgb(value);
}

bool IsActivationKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

SkinButton::SkinButton(const mainwindow::SkinElement& element, Kind kind, QWidget* parent)
    : QAbstractButton(parent),
      name_(QString::fromLatin1(element.name)),
      kind_(kind),
      picture_(QString::fromLatin1(element.icon))
{
    setObjectName(name_);
    setText(QString::fromUtf8(element.caption));
    setToolTip(QString::fromUtf8(element.toolTip));
    setAccessibleName(kind == Kind::Window ? toolTip() : text());
    // Clicking a button leaves the focus in the list it acts on.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SkinButton::IconSize() const
{
    switch (kind_) {
    case Kind::ToolBar:
        return {kToolBarIconSize, kToolBarIconSize};
    case Kind::Title:
        return {kTitleIconSize, kTitleIconSize};
    case Kind::Window:
        break;
    }
    return {kWindowIconSize, kWindowIconSize};
}

QFont SkinButton::CaptionFont() const
{
    QFont caption = font();
    if (kind_ == Kind::Title) {
        caption.setBold(true);
        caption.setPointSizeF(caption.pointSizeF() * 1.25);
    }
    return caption;
}

QSize SkinButton::sizeHint() const
{
    const QFontMetrics metrics(CaptionFont());
    const QSize icon = IconSize();
    switch (kind_) {
    case Kind::ToolBar:
        return {std::max(kToolBarMinimumWidth, metrics.horizontalAdvance(text()) + 2 * kPadding),
                icon.height() + metrics.height() + 3 * kPadding};
    case Kind::Title:
        return {icon.width() + metrics.horizontalAdvance(text()) + 3 * kPadding,
                std::max(icon.height(), metrics.height()) + kPadding};
    case Kind::Window:
        break;
    }
    return {icon.width() + 2 * kPadding + 4, icon.height() + kPadding + 2};
}

QColor SkinButton::BackgroundColor() const
{
    if (!isEnabled())
        return Qt::transparent;
    if (isDown())
        return Rgb(mainwindow::kSkinPressedColor);
    if (underMouse())
        return Rgb(kind_ == Kind::Window && name_ == QLatin1String(mainwindow::kExitElement.name)
                       ? kExitHoverColor
                       : mainwindow::kSkinHoverColor);
    return Qt::transparent;
}

void SkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);

    // The title stays flat: it reads as the window's name, not as a button.
    if (kind_ != Kind::Title) {
        QPainterPath shape;
        shape.addRoundedRect(frame, kCornerRadius, kCornerRadius);
        painter.fillPath(shape, BackgroundColor());
    }
    if (hasFocus()) {
        painter.setPen(QPen(Rgb(mainwindow::kSkinFocusColor), 1.5, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(1, 1, -1, -1), kCornerRadius, kCornerRadius);
    }

    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QSize icon = IconSize();
    const int shift = isDown() ? 1 : 0;
    painter.setFont(CaptionFont());
    painter.setPen(Rgb(isEnabled() ? mainwindow::kSkinTextColor : mainwindow::kSkinDisabledTextColor));
    switch (kind_) {
    case Kind::ToolBar: {
        const QRect iconRect((width() - icon.width()) / 2 + shift, kPadding + shift, icon.width(), icon.height());
        picture_.paint(&painter, iconRect, Qt::AlignCenter, mode);
        const QRect textRect(shift, iconRect.bottom() + kPadding / 2 + shift, width(),
                             height() - iconRect.bottom() - kPadding / 2);
        painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, text());
        break;
    }
    case Kind::Title: {
        const QRect iconRect(kPadding, (height() - icon.height()) / 2, icon.width(), icon.height());
        picture_.paint(&painter, iconRect, Qt::AlignCenter, mode);
        const QRect textRect(iconRect.right() + kPadding, 0, width() - iconRect.right() - kPadding, height());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text());
        break;
    }
    case Kind::Window: {
        const QRect iconRect((width() - icon.width()) / 2, (height() - icon.height()) / 2, icon.width(), icon.height());
        picture_.paint(&painter, iconRect.translated(shift, shift), Qt::AlignCenter, mode);
        break;
    }
    }
}

void SkinButton::keyPressEvent(QKeyEvent* event)
{
    if (IsActivationKey(event->key()) && !event->isAutoRepeat()) {
        setDown(true);
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void SkinButton::keyReleaseEvent(QKeyEvent* event)
{
    if (IsActivationKey(event->key()) && !event->isAutoRepeat()) {
        event->accept();
        if (isDown()) {
            setDown(false);
            click();
        }
        return;
    }
    QAbstractButton::keyReleaseEvent(event);
}

}  // namespace quillstar
