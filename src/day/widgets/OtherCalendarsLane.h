#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

#include "day/Timeline.h"

class QWidget;

namespace kalvo {

// One event of another calendar on the shown day, as the lane shows it.
struct LaneEvent {
    QString summary;
    QString location;
    QString description;
    QString calendar;  // the subscription's name
    QColor color;      // the subscription's colour
    std::int64_t day = 0;
    int start = 0;  // minutes of the day, the end up to 1440
    int end = 0;
};

// The events of other calendars at the left edge of the Actual column, in the strip its
// appointments leave free: read-only marks in their calendar's colour, overlapping ones side by
// side. Each mark takes the keyboard focus, is named for screen readers by its summary, times and
// calendar, shows them with its location as a tooltip, and is added as an appointment from its
// context menu ("Add as Appointment..."), with Enter, or when dragged onto the column.
class OtherCalendarsLane : public QObject {
    Q_OBJECT

public:
    explicit OtherCalendarsLane(QWidget& column, QObject* parent = nullptr);
    ~OtherCalendarsLane() override;

    // Shows `events` (in start order) at the zoom `scale`, in place of those shown before.
    void showEvents(std::vector<LaneEvent> events, TimelineScale scale);
    void setScale(TimelineScale scale);

    const std::vector<LaneEvent>& events() const { return events_; }
    // The mark of each event, in the order of events().
    std::vector<QWidget*> marks() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void addAsAppointmentRequested(const kalvo::LaneEvent& event);

private:
    void layOut();

    QWidget& column_;
    std::vector<LaneEvent> events_;
    std::vector<QPointer<QWidget>> marks_;
    TimelineScale scale_;
};

}  // namespace kalvo
