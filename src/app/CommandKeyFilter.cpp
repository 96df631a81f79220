#include "app/CommandKeyFilter.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <utility>

namespace kalvo {
namespace {

bool isTextField(const QWidget* widget) {
    if (const auto* lineEdit = qobject_cast<const QLineEdit*>(widget)) {
        return !lineEdit->isReadOnly();
    }
    if (const auto* textEdit = qobject_cast<const QTextEdit*>(widget)) {
        return !textEdit->isReadOnly();
    }
    if (const auto* plainTextEdit = qobject_cast<const QPlainTextEdit*>(widget)) {
        return !plainTextEdit->isReadOnly();
    }
    return qobject_cast<const QAbstractSpinBox*>(widget) != nullptr;
}

bool isTextEditingKey(const QKeyEvent& key) {
    if (key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo) ||
        (key.key() == Qt::Key_Y && key.modifiers() == Qt::ControlModifier)) {
        return true;  // the text's own undo, not the window's
    }
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (key.key()) {
        case Qt::Key_Delete:
            return modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier;
        case Qt::Key_Insert:
        case Qt::Key_Up:
        case Qt::Key_Down:
            return modifiers == Qt::ControlModifier;
        default:
            return false;
    }
}

// The editor of an item being renamed in place (a type in the tree): Esc cancels the rename
// there instead of closing the window.
bool isItemEditorEscape(const QWidget* widget, const QKeyEvent& key) {
    return key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier &&
           qobject_cast<const QLineEdit*>(widget) != nullptr && widget->parentWidget() != nullptr &&
           qobject_cast<const QAbstractItemView*>(widget->parentWidget()->parentWidget()) !=
               nullptr;
}

}  // namespace

CommandKeyFilter::CommandKeyFilter(QWidget* window, std::function<bool()> keysHeld)
    : QObject(window), window_(window), keysHeld_(std::move(keysHeld)) {}

bool CommandKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const auto* widget = qobject_cast<const QWidget*>(watched);
    const QEvent::Type type = event->type();
    if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress) || widget == nullptr ||
        widget->window() != window_) {
        return QObject::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (keysHeld_()) {
        key->accept();  // taken as a key press, so no command runs; the press is dropped here
        return true;
    }
    if (type != QEvent::ShortcutOverride) {
        return QObject::eventFilter(watched, event);
    }
    const QWidget* focus = QApplication::focusWidget();
    if ((isTextField(focus) && isTextEditingKey(*key)) || isItemEditorEscape(focus, *key)) {
        key->accept();  // the key goes to the text field as a key press
        return true;
    }
    // Any other key is offered to the shortcuts first; a control that wanted it for itself
    // (a tree's search, a calendar's navigation) gets it only when no command uses it.
    key->ignore();
    return true;
}

}  // namespace kalvo
