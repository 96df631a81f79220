#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace kalvo::test {

// Arms a timer that hands the next modal dialog of the type `Dialog` to `act` once it is open
// and rejects it if `act` left it open, so that a failing test cannot hang; the caller may open
// the dialog right after this call.
template <typename Dialog>
void whenOpen(std::function<void(Dialog&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        act(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    timer->start();
}

// What a modal message box showed, and an answer given to it once it is open.
struct ModalMessage {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Arms a timer that answers the next message box with `button` and records it; the box is
// looked for until it appears (five seconds at most), so the caller may open it right after this
// call. Deleting the timer returned stops the looking, so that a box expected not to come is not
// answered when a later one comes.
inline QPointer<QTimer> answerNextMessageBox(ModalMessage& seen,
                                             QMessageBox::StandardButton button) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ticks, &seen, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (++*ticks > 500) {  // none came: stop looking
                timer->deleteLater();
            }
            return;
        }
        seen = {true, box->windowTitle(), box->text(), box->icon()};
        timer->stop();
        timer->deleteLater();
        box->button(button)->click();
    });
    timer->start();
    return timer;
}

// Answers every message box that opens while it lives with OK, each once it has been the
// active one for two looks in a row (so whatever runs inside its own loop has had its turn),
// and records them in the order they were dismissed.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box != seen_) {
                seen_ = box;
                return;
            }
            dismissed.push_back({true, box->windowTitle(), box->text(), box->icon()});
            seen_ = nullptr;
            box->button(QMessageBox::Ok)->click();
        });
        timer_.start();
    }

    std::vector<ModalMessage> dismissed;

private:
    QTimer timer_;
    QPointer<QMessageBox> seen_;
};

}  // namespace kalvo::test
