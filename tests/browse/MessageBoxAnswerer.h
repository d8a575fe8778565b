#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace quillstar {

// Answers every message box that opens while it lives with one button and
// keeps the boxes' texts, so a test sees what the user would have been told.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
        timer_.start(5);
    }

    QStringList texts;
    QList<QMessageBox::Icon> icons;

private:
    void Answer()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool())
            return;
        box->setProperty("answered", true);
        texts.append(box->text());
        icons.append(box->icon());
        if (QAbstractButton* button = box->button(answer_))
            button->click();
        else
            box->reject();
    }

    QMessageBox::StandardButton answer_;
    QTimer timer_;
};

}  // namespace quillstar
