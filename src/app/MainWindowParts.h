#pragma once

// Small helpers the main window's sources share: names for screen readers, caption labels,
// and the calendar's dates as the model's date-times.

#include <QDate>
#include <QLabel>
#include <QString>
#include <initializer_list>
#include <utility>

#include "base/Calendar.h"

namespace kalvo {

// Names a control by its component name, and for screen readers by its caption where it
// shows one, else by the component name.
inline void nameForScreenReaders(QWidget* widget, const QString& componentName,
                                 const QString& caption = {}) {
    widget->setObjectName(componentName);
    widget->setAccessibleName(caption.isEmpty() ? componentName : caption);
}

// The parts that Qt's composite controls make for themselves, named for screen readers.
inline void nameInnerControls(QWidget* owner,
                              std::initializer_list<std::pair<const char*, const char*>> names) {
    for (const auto& [objectName, accessibleName] : names) {
        if (auto* part = owner->findChild<QWidget*>(QString::fromLatin1(objectName))) {
            part->setAccessibleName(QString::fromUtf8(accessibleName));
        }
    }
}

inline QLabel* captionLabel(const QString& componentName, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    nameForScreenReaders(label, componentName, text);
    return label;
}

inline DateTime calendarDateOf(const QDate& date) {
    return static_cast<DateTime>(daysFromCivil({date.year(), date.month(), date.day()}));
}

inline QDate qDateOf(DateTime day) {
    const CivilDate civil = civilFromDays(static_cast<std::int64_t>(day));
    return QDate(civil.year, civil.month, civil.day);
}

}  // namespace kalvo
