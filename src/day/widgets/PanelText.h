#pragma once

#include <QColor>
#include <QString>

#include "base/Calendar.h"

namespace kalvo {

// The time of day of `value` in the locale's long time format (hours, minutes, seconds), as
// the panels' hints and the Appointment page show a start or an end.
QString longTimeText(DateTime value);

// The colour a caption drawn on `background` takes: dark type colours get a light caption,
// so that every caption stays readable.
QColor captionTextColor(const QColor& background);

}  // namespace kalvo
