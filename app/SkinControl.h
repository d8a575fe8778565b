#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace quillstar {

class SkinButton;

// The main window's look: a dark purple frame with a title band (the
// program's name, Min and Exit), a tool bar of named buttons and a client
// area where the window places its own controls. Every click on an element
// is reported by the element's name. The band also moves the window, and a
// right click on it asks for the window menu.
class SkinControl : public QWidget {
    Q_OBJECT
public:
    explicit SkinControl(QWidget* parent = nullptr);

    QWidget* ClientArea() const { return clientArea_; }
    // The element of that name in any case; null when there is none.
    SkinButton* Element(const QString& name) const;
    QStringList ElementNames() const;
    // A disabled element is greyed and reports no clicks.
    void SetElementEnabled(const QString& name, bool enabled);

signals:
    void ElementClicked(const QString& name);
    void TitleMenuRequested(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildTitleBand();
    QWidget* BuildToolBar();
    SkinButton* AddElement(SkinButton* element);
    QRect TitleBandRect() const;
    void PaintToolBarPanel(QPainter& painter) const;
    // A left-button drag on the band or the title moves the window.
    void BeginWindowDrag(const QPoint& globalPosition);
    bool ContinueWindowDrag(const QPoint& globalPosition);
    void EndWindowDrag();

    QList<SkinButton*> elements_;
    QWidget* titleBand_ = nullptr;
    QWidget* toolBar_ = nullptr;
    QWidget* clientArea_ = nullptr;
    // The first button of every tool bar group after the first.
    QList<SkinButton*> groupStarts_;
    bool pressedOnBand_ = false;
    bool movingWindow_ = false;
    QPoint pressPosition_;
    QPoint windowStart_;
};

}  // namespace quillstar
