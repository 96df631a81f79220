#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace kalvo {

// Lets the main window's command keys reach their actions before the focused control, except
// for the keys that edit text while a text field has the focus: there Del, Ctrl+Del,
// Ctrl+Ins, Ctrl+Up, Ctrl+Down and the keys of Undo and Redo edit the text, so that typing a type's
// name can never delete an appointment or a type; Esc in the editor of a type being renamed cancels
// the rename. While `keysHeld` says so (the mouse drags a panel), no key reaches the window at
// all: a command or a typed character would change or build anew the day under the mouse, and
// end the drag's step halfway.
class CommandKeyFilter : public QObject {
public:
    // Watches the keys of `window` only; dialogs keep the toolkit's own handling.
    CommandKeyFilter(QWidget* window, std::function<bool()> keysHeld);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<bool()> keysHeld_;
};

}  // namespace kalvo
