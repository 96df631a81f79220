#pragma once

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QString>
#include <QWidget>

namespace kalvo {

// Screen readers announce a control by its accessible name: the caption the user sees, or
// the component name where the control shows none.
template <typename Widget>
Widget* named(Widget* widget, const QString& componentName, const QString& caption = {}) {
    widget->setObjectName(componentName);
    widget->setAccessibleName(caption.isEmpty() ? componentName : caption);
    return widget;
}

// A scroll area shows its text and scroll bars as controls of their own; without names they
// would be announced as nothing.
inline void nameScrollAreaParts(QAbstractScrollArea* area) {
    const QString name = area->accessibleName();
    area->viewport()->setAccessibleName(name);
    for (QScrollBar* bar : {area->verticalScrollBar(), area->horizontalScrollBar()}) {
        const QString barName =
            name + (bar->orientation() == Qt::Vertical ? QStringLiteral(" vertical scroll bar")
                                                       : QStringLiteral(" horizontal scroll bar"));
        bar->setAccessibleName(barName);
        if (QWidget* container = bar->parentWidget(); container && container != area) {
            container->setAccessibleName(barName);
        }
    }
}

}  // namespace kalvo
