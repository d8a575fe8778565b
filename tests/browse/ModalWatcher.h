#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace quillstar::test {

// Watches for modal windows while it lives, so that no test waits on one:
// each new one is named in `seen` (its object name, its title in `titles`,
// a message box's text in `texts`) and handed to the handler; unless the
// handler takes care of it, a message box is answered with the watcher's
// button and any other window closed.
class ModalWatcher {
public:
    // True when the handler dealt with the window itself.
    using Handler = std::function<bool(QWidget* modal)>;

    explicit ModalWatcher(Handler handler = {}, QMessageBox::StandardButton answer = QMessageBox::Ok)
        : handler_(std::move(handler)), answer_(answer)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(10);
    }
    explicit ModalWatcher(QMessageBox::StandardButton answer) : ModalWatcher({}, answer) {}

    QStringList seen;
    QStringList titles;
    QStringList texts;
    QList<QMessageBox::Icon> icons;

private:
    void Look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->property("watched").toBool())
            return;
        modal->setProperty("watched", true);
        seen.append(modal->objectName());
        titles.append(modal->windowTitle());
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts.append(box->text());
            icons.append(box->icon());
        }
        // A timer does not fire again while its own slot runs: the window is
        // dealt with from a timer of its own, so that the watch goes on
        // while a handler waits.
        QTimer::singleShot(0, modal, [this, modal] { Handle(modal); });
    }

    void Handle(QWidget* modal)
    {
        if (handler_ && handler_(modal))
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (QAbstractButton* button = box ? box->button(answer_) : nullptr)
            button->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

    Handler handler_;
    QMessageBox::StandardButton answer_;
    QTimer timer_;
};

}  // namespace quillstar::test
