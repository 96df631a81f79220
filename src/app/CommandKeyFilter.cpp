#include "app/CommandKeyFilter.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

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

}  // namespace

CommandKeyFilter::CommandKeyFilter(QWidget* window) : QObject(window), window_(window) {}

bool CommandKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (event->type() != QEvent::ShortcutOverride || widget == nullptr ||
        widget->window() != window_) {
        return QObject::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (isTextField(QApplication::focusWidget()) && isTextEditingKey(*key)) {
        key->accept();  // the key goes to the text field as a key press
        return true;
    }
    // Any other key is offered to the shortcuts first; a control that wanted it for itself
    // (a tree's search, a calendar's navigation) gets it only when no command uses it.
    key->ignore();
    return true;
}

}  // namespace kalvo
