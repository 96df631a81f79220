#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <memory>

namespace kalvo::test {

// What a modal message box showed, and an answer given to it once it is open.
struct ModalMessage {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Arms a timer that answers the next message box with `button` and records it; the box is
// looked for until it appears, so the caller may open it right after this call.
inline void answerNextMessageBox(ModalMessage& seen, QMessageBox::StandardButton button) {
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
}

}  // namespace kalvo::test
