#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QVBoxLayout;

namespace quillstar {

class LinkLabel;

// One of the five tip windows (dialogs 151 to 155): a picture, a fixed text
// and a "&Close" button. Tip 151 names the drive report file and carries an
// "email us" link to the support address.
class TipDialog : public QDialog {
    Q_OBJECT
public:
    TipDialog(int tipId, QWidget* parent = nullptr);

    int TipId() const { return tipId_; }
    // The whole text as the window shows it, the link's text included.
    QString Text() const;
    // One more paragraph under the tip's text, such as why a drive was left out.
    void SetNotice(const QString& notice);
    LinkLabel* EmailLink() const { return emailLink_; }

private:
    QLabel* AddParagraph(const QString& text);
    void AddNoDrivesText();

    int tipId_;
    QVBoxLayout* textColumn_ = nullptr;
    LinkLabel* emailLink_ = nullptr;
    QLabel* notice_ = nullptr;
};

}  // namespace quillstar
