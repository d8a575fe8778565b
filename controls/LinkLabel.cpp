#include "controls/LinkLabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QUrl>

#include "resources/ControlTexts.h"

namespace quillstar {

LinkLabel::LinkLabel(const QString& text, const QString& url, QWidget* parent)
    : QLabel(text, parent),
      linkColor_(QColor::fromRgb(controls::kLinkColor)),
      visitedColor_(QColor::fromRgb(controls::kVisitedColor)),
      hoverColor_(QColor::fromRgb(controls::kHoverColor)),
      url_(url)
{
    setTextFormat(Qt::PlainText);
    if (url_.isEmpty())
        url_ = text;
    if (text.isEmpty())
        setText(url_);

    standardFont_ = font();
    underlinedFont_ = standardFont_;
    underlinedFont_.setUnderline(true);

    // In a layout the label keeps its text's size, so only the text is a
    // link; placed by hand, FitToText does the same.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    FitToText();
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setToolTip(url_);
    ApplyTextColor();
}

void LinkLabel::SetUrl(const QString& url)
{
    url_ = url;
    FitToText();
    setToolTip(url_);
}

void LinkLabel::SetVisited(bool visited)
{
    visited_ = visited;
    ApplyTextColor();
}

void LinkLabel::SetUnderline(Underline mode)
{
    if (mode == underlineMode_)
        return;
    setFont(mode == Underline::Always ? underlinedFont_ : standardFont_);
    update();
    underlineMode_ = mode;
}

QColor LinkLabel::TextColor() const
{
    if (overControl_)
        return hoverColor_;
    return visited_ ? visitedColor_ : linkColor_;
}

int LinkLabel::GotoUrl(const QString& target)
{
    if (target.trimmed().isEmpty())
        return controls::kErrorFileNotFound;
    const QUrl url = QUrl::fromUserInput(target, QDir::currentPath());
    if (!url.isValid())
        return controls::kErrorFileNotFound;
    if (url.isLocalFile()) {
        const QFileInfo file(url.toLocalFile());
        if (!file.exists())
            return file.absoluteDir().exists() ? controls::kErrorFileNotFound : controls::kErrorPathNotFound;
    }
    return QDesktopServices::openUrl(url) ? controls::kOpened : controls::kErrorNoAssociation;
}

QString LinkLabel::ErrorMessage(int code)
{
    QString reason = QString::asprintf(controls::kUnknownOpenErrorFormat, code);
    for (const controls::OpenErrorText& known : controls::kOpenErrorTexts) {
        if (known.code == code)
            reason = QString::fromUtf8(known.text);
    }
    return QString::fromUtf8(controls::kOpenErrorPrefix) + reason;
}

void LinkLabel::FitToText()
{
    const QRect frame = geometry();
    const QSize border = size() - contentsRect().size();
    const QSize fitted = QFontMetrics(underlinedFont_).size(Qt::TextSingleLine, text()) + border;

    QPoint topLeft = frame.topLeft();
    if (alignment() & Qt::AlignVCenter)
        topLeft.ry() += (frame.height() - fitted.height()) / 2;
    if (alignment() & Qt::AlignHCenter)
        topLeft.rx() += (frame.width() - fitted.width()) / 2;
    else if (alignment() & Qt::AlignRight)
        topLeft.rx() = frame.left() + frame.width() - fitted.width();

    setGeometry(QRect(topLeft, fitted));
}

void LinkLabel::ReportError(int code)
{
    QMessageBox::warning(this, QGuiApplication::applicationDisplayName(), ErrorMessage(code));
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    ShowHovered();
    QLabel::enterEvent(event);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    ShowHovered();
    QLabel::mouseMoveEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event)
{
    ShowLeft();
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::ShowHovered()
{
    if (overControl_)
        return;
    overControl_ = true;
    if (underlineMode_ == Underline::WhileHovered)
        setFont(underlinedFont_);
    ApplyTextColor();
}

// Runs on every leave, also after a click cleared the hover flag while the
// mouse stayed on the label, so the underline never outlives the hover.
void LinkLabel::ShowLeft()
{
    overControl_ = false;
    if (underlineMode_ != Underline::Always)
        setFont(standardFont_);
    ApplyTextColor();
}

void LinkLabel::Click()
{
    overControl_ = false;
    const int result = GotoUrl(url_);
    if (result > controls::kOpenedAbove) {
        SetVisited(true);
        return;
    }
    QApplication::beep();
    SetVisited(false);
    ReportError(result);
}

void LinkLabel::ApplyTextColor()
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, TextColor());
    setPalette(colors);
    update();
}

}  // namespace quillstar
