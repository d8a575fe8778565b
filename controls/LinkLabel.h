#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

namespace quillstar {

// A label that behaves like a web link: blue, red while the mouse is over it,
// purple once it was opened, a hand cursor, the target as its tool tip, and
// a click that opens the target with the desktop's handler for it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    enum class Underline { WhileHovered = -1, Never = 0, Always = 1 };

    // The label shows its text; the target defaults to that text, and an
    // empty text shows the target instead.
    explicit LinkLabel(const QString& text, const QString& url = {}, QWidget* parent = nullptr);

    void SetUrl(const QString& url);
    const QString& Url() const { return url_; }
    void SetVisited(bool visited);
    bool IsVisited() const { return visited_; }
    bool IsHovered() const { return overControl_; }
    void SetUnderline(Underline mode);
    Underline UnderlineMode() const { return underlineMode_; }
    QColor TextColor() const;

    // Opens the target; a result above controls::kOpenedAbove is success,
    // anything else an error code for ReportError.
    int GotoUrl(const QString& target);
    // Tells the user, with a warning box, why the target did not open.
    virtual void ReportError(int code);
    // The whole text of that box.
    static QString ErrorMessage(int code);
    // Sizes the label to its text in the underlined font, keeping the edge
    // its alignment names. A dialog that places the label by hand sets its
    // geometry to the item's rectangle and then calls this.
    void FitToText();

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowHovered();
    void ShowLeft();
    void Click();
    void ApplyTextColor();

    QColor linkColor_;
    QColor visitedColor_;
    QColor hoverColor_;
    bool overControl_ = false;
    bool visited_ = false;
    Underline underlineMode_ = Underline::WhileHovered;
    QString url_;
    QFont underlinedFont_;
    QFont standardFont_;
};

}  // namespace quillstar
