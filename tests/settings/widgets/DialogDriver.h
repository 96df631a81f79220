#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace kalvo::test {

// Runs `show`, a modal show operation that returns only when the dialog closes, and does
// `act` on the dialog once its event loop runs and it is the active window. A dialog that
// `act` leaves open is closed afterwards, so a failing test cannot hang; the result says
// whether it was left open.
inline bool whileShown(QDialog& dialog, const std::function<void()>& show,
                       const std::function<void()>& act) {
    bool acted = false;
    bool leftOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        acted = true;
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        act();
        leftOpen = dialog.isVisible();
        if (leftOpen) {
            dialog.reject();
        }
    });
    show();
    EXPECT_TRUE(acted) << "the show operation returned before its dialog ran";
    EXPECT_FALSE(dialog.isVisible());
    return leftOpen;
}

template <typename Widget = QWidget>
Widget* child(const QWidget& parent, const char* name) {
    auto* found = parent.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no control " << name;
    return found;
}

inline void click(const QWidget& dialog, const char* buttonName) {
    if (auto* button = child<QPushButton>(dialog, buttonName)) {
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

// A key as the user types it: into whatever control has the focus.
inline void pressKey(Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr) << "no control has the focus";
    QTest::keyClick(focus, key);
}

inline QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

}  // namespace kalvo::test
