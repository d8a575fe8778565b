#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace quillstar::test {

// Watches for modal windows while it lives, so that no test waits on one:
// each new one is named in `seen` (its object name) and handed to the
// handler; unless the handler takes care of it, it is closed at once.
class ModalWatcher {
public:
    // True when the handler dealt with the window itself.
    using Handler = std::function<bool(QWidget* modal)>;

    explicit ModalWatcher(Handler handler = {}) : handler_(std::move(handler))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(10);
    }

    QStringList seen;
    QStringList titles;

private:
    void Look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->property("watched").toBool())
            return;
        modal->setProperty("watched", true);
        seen.append(modal->objectName());
        titles.append(modal->windowTitle());
        // A timer does not fire again while its own slot runs: the window is
        // dealt with from a timer of its own, so that the watch goes on
        // while a handler waits.
        QTimer::singleShot(0, modal, [this, modal] { Handle(modal); });
    }

    void Handle(QWidget* modal)
    {
        if (handler_ && handler_(modal))
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    Handler handler_;
    QTimer timer_;
};

}  // namespace quillstar::test
