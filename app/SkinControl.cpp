#include "app/SkinControl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QWindow>

#include "app/SkinButton.h"
#include "resources/MainWindowTexts.h"

// The pictures live in a static library; nothing else would pull them in.
static void LoadSkinResources()
{
    Q_INIT_RESOURCE(skin);
}

namespace quillstar {

namespace {

constexpr int kOuterMargin = 8;
constexpr int kGroupGap = 14;
constexpr qreal kPanelRadius = 7.0;

QColor Rgb(unsigned value)
{
    return QColor::fromRgb(value);
}

}  // namespace

SkinControl::SkinControl(QWidget* parent) : QWidget(parent)
{
    LoadSkinResources();
    setObjectName(QString::fromLatin1(mainwindow::kSkinName));
    QPalette colors = palette();
    colors.setColor(QPalette::Window, Rgb(mainwindow::kSkinBackColor));
    colors.setColor(QPalette::WindowText, Rgb(mainwindow::kSkinTextColor));
    setPalette(colors);
    setAutoFillBackground(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildTitleBand());
    auto* body = new QVBoxLayout;
    body->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    body->setSpacing(kOuterMargin);
    body->addWidget(BuildToolBar());
    clientArea_ = new QWidget(this);
    clientArea_->setObjectName(QStringLiteral("ClientArea"));
    body->addWidget(clientArea_, 1);
    layout->addLayout(body, 1);
}

QWidget* SkinControl::BuildTitleBand()
{
    titleBand_ = new QWidget(this);
    titleBand_->setObjectName(QStringLiteral("TitleBand"));
    auto* row = new QHBoxLayout(titleBand_);
    row->setContentsMargins(kOuterMargin, 4, 4, 4);
    row->setSpacing(2);
    SkinButton* title = AddElement(new SkinButton(mainwindow::kTitleElement, SkinButton::Kind::Title, titleBand_));
    title->installEventFilter(this);
    row->addWidget(title);
    row->addStretch(1);
    row->addWidget(AddElement(new SkinButton(mainwindow::kMinElement, SkinButton::Kind::Window, titleBand_)));
    row->addWidget(AddElement(new SkinButton(mainwindow::kExitElement, SkinButton::Kind::Window, titleBand_)));
    return titleBand_;
}

QWidget* SkinControl::BuildToolBar()
{
    toolBar_ = new QWidget(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    auto* row = new QHBoxLayout(toolBar_);
    row->setContentsMargins(6, 4, 6, 4);
    row->setSpacing(2);
    int group = mainwindow::kToolBarElements[0].group;
    for (const mainwindow::SkinElement& element : mainwindow::kToolBarElements) {
        SkinButton* button = AddElement(new SkinButton(element, SkinButton::Kind::ToolBar, toolBar_));
        if (element.group != group) {
            row->addSpacing(kGroupGap);
            groupStarts_.append(button);
            group = element.group;
        }
        row->addWidget(button);
    }
    row->addStretch(1);
    return toolBar_;
}

SkinButton* SkinControl::AddElement(SkinButton* element)
{
    elements_.append(element);
    connect(element, &QAbstractButton::clicked, this, [this, element] { emit ElementClicked(element->ElementName()); });
    return element;
}

SkinButton* SkinControl::Element(const QString& name) const
{
    for (SkinButton* element : elements_) {
        if (element->ElementName().compare(name, Qt::CaseInsensitive) == 0)
            return element;
    }
    return nullptr;
}

QStringList SkinControl::ElementNames() const
{
    QStringList names;
    for (const SkinButton* element : elements_)
        names.append(element->ElementName());
    return names;
}

void SkinControl::SetElementEnabled(const QString& name, bool enabled)
{
    if (SkinButton* element = Element(name))
        element->setEnabled(enabled);
}

QRect SkinControl::TitleBandRect() const
{
    return titleBand_->geometry();
}

void SkinControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Rgb(mainwindow::kSkinBackColor));

    const QRect band = TitleBandRect();
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0.0, Rgb(mainwindow::kSkinTitleTopColor));
    shade.setColorAt(1.0, Rgb(mainwindow::kSkinBackColor));
    painter.fillRect(band, shade);
    painter.setPen(Rgb(mainwindow::kSkinEdgeColor));
    painter.drawLine(band.bottomLeft(), band.bottomRight());

    PaintToolBarPanel(painter);

    painter.setPen(QPen(Rgb(mainwindow::kSkinEdgeColor), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(clientArea_->geometry()).adjusted(-3.5, -3.5, 3.5, 3.5), kPanelRadius, kPanelRadius);
    // Without a window frame of its own, the skin draws the window's edge.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SkinControl::PaintToolBarPanel(QPainter& painter) const
{
    const QRectF panel = QRectF(toolBar_->geometry()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient shade(panel.topLeft(), panel.bottomLeft());
    shade.setColorAt(0.0, Rgb(mainwindow::kSkinPanelColor).lighter(125));
    shade.setColorAt(1.0, Rgb(mainwindow::kSkinPanelColor));
    QPainterPath shape;
    shape.addRoundedRect(panel, kPanelRadius, kPanelRadius);
    painter.fillPath(shape, shade);
    painter.setPen(QPen(Rgb(mainwindow::kSkinEdgeColor), 1.0));
    painter.drawPath(shape);

    for (const SkinButton* start : groupStarts_) {
        const QRect button = start->geometry().translated(toolBar_->pos());
        const qreal x = button.left() - kGroupGap / 2.0 - 1.0;
        painter.drawLine(QPointF(x, button.top() + 6), QPointF(x, button.bottom() - 6));
    }
}

void SkinControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && TitleBandRect().contains(event->position().toPoint())) {
        BeginWindowDrag(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SkinControl::mouseMoveEvent(QMouseEvent* event)
{
    if (ContinueWindowDrag(event->globalPosition().toPoint())) {
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void SkinControl::mouseReleaseEvent(QMouseEvent* event)
{
    EndWindowDrag();
    QWidget::mouseReleaseEvent(event);
}

void SkinControl::contextMenuEvent(QContextMenuEvent* event)
{
    if (TitleBandRect().contains(event->pos())) {
        emit TitleMenuRequested(event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

// The title element is a button and a handle at once: a click on it
// reports "Title", a drag that starts on it moves the window instead.
bool SkinControl::eventFilter(QObject* watched, QEvent* event)
{
    auto* title = qobject_cast<SkinButton*>(watched);
    if (!title)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            BeginWindowDrag(mouse->globalPosition().toPoint());
        break;
    }
    case QEvent::MouseMove:
        if (ContinueWindowDrag(static_cast<QMouseEvent*>(event)->globalPosition().toPoint())) {
            // Released after a drag, the title must not count as clicked.
            title->setDown(false);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (movingWindow_) {
            EndWindowDrag();
            return true;
        }
        EndWindowDrag();
        break;
    case QEvent::ContextMenu:
        emit TitleMenuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void SkinControl::BeginWindowDrag(const QPoint& globalPosition)
{
    pressedOnBand_ = true;
    movingWindow_ = false;
    pressPosition_ = globalPosition;
    windowStart_ = window()->pos();
}

bool SkinControl::ContinueWindowDrag(const QPoint& globalPosition)
{
    if (!pressedOnBand_)
        return false;
    if (!movingWindow_) {
        if ((globalPosition - pressPosition_).manhattanLength() < QApplication::startDragDistance())
            return false;
        movingWindow_ = true;
        // The window manager moves the window when it can; it then keeps the
        // mouse until the button goes up.
        QWindow* handle = window()->windowHandle();
        if (handle && handle->startSystemMove()) {
            EndWindowDrag();
            return true;
        }
    }
    window()->move(windowStart_ + globalPosition - pressPosition_);
    return true;
}

void SkinControl::EndWindowDrag()
{
    pressedOnBand_ = false;
    movingWindow_ = false;
}

}  // namespace quillstar
