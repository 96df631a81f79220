#include "day/widgets/PanelText.h"

#include <QLocale>
#include <QTime>

namespace kalvo {

QString longTimeText(DateTime value) {
    // The long format names the time zone, which a time of day does not have.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    const auto millisecond = static_cast<int>(splitDateTime(value).millisecondOfDay);
    return QLocale().toString(QTime::fromMSecsSinceStartOfDay(millisecond % 86'400'000), format);
}

QColor captionTextColor(const QColor& background) {
    return background.lightnessF() < 0.45 ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace kalvo
