#include "day/widgets/OtherCalendarsLane.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <functional>

#include "calendars/CalendarLane.h"
#include "day/DateFunctions.h"

namespace kalvo {
namespace {

// The strip the appointments leave free at the left of the column, less a pixel each side.
constexpr int kLaneLeft = 1;
constexpr int kLaneWidth = kPanelIndent - 2;

QString timesOf(const LaneEvent& event) {
    return QString::fromStdString(clockText(event.start)) + QChar(0x2013) +
           QString::fromStdString(clockText(event.end));
}

// The drag of a mark onto the Actual column: the event's place in the lane.
const QString kLaneEventMime = QStringLiteral("application/x-kalvo-lane-event");

class EventMark final : public QWidget {
public:
    EventMark(const LaneEvent& event, std::size_t index, std::function<void()> addAsAppointment,
              QWidget* parent)
        : QWidget(parent),
          color_(event.color),
          index_(index),
          addAsAppointment_(std::move(addAsAppointment)) {
        setObjectName(QStringLiteral("otherCalendarEvent"));
        setFocusPolicy(Qt::TabFocus);
        const QString times = timesOf(event);
        setAccessibleName(QStringLiteral("%1, %2, %3").arg(event.summary, times, event.calendar));
        QString hint = event.summary + QLatin1Char('\n') + times;
        if (!event.location.isEmpty()) {
            hint += QLatin1Char('\n') + event.location;
        }
        hint += QStringLiteral("\nCalendar: ") + event.calendar;
        setToolTip(hint);
        setAccessibleDescription(hint);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), color_);
        painter.setPen(color_.darker(160));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        if (hasFocus()) {
            painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
            painter.drawRect(rect().adjusted(1, 1, -2, -2));
        }
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        QMenu menu(this);
        menu.addAction(QStringLiteral("&Add as Appointment..."), addAsAppointment_);
        menu.exec(event->globalPos());
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            pressedAt_ = event->position().toPoint();
        }
        QWidget::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton) ||
            (event->position().toPoint() - pressedAt_).manhattanLength() <
                QApplication::startDragDistance()) {
            return;
        }
        auto* dragged = new QMimeData;
        dragged->setData(kLaneEventMime, QByteArray::number(static_cast<qulonglong>(index_)));
        auto* drag = new QDrag(this);
        drag->setMimeData(dragged);
        drag->exec(Qt::CopyAction);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            addAsAppointment_();
            return;
        }
        QWidget::keyPressEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override {
        QWidget::focusInEvent(event);
        update();
    }

    void focusOutEvent(QFocusEvent* event) override {
        QWidget::focusOutEvent(event);
        update();
    }

private:
    QColor color_;
    std::size_t index_;
    std::function<void()> addAsAppointment_;
    QPoint pressedAt_;
};

}  // namespace

OtherCalendarsLane::OtherCalendarsLane(QWidget& column, QObject* parent)
    : QObject(parent), column_(column) {
    // Installed after the day's own filter, so asked first: a mark dropped on the column is
    // this lane's, anything else goes on to the day.
    column_.installEventFilter(this);
}

bool OtherCalendarsLane::eventFilter(QObject* watched, QEvent* event) {
    const bool dragEvent = event->type() == QEvent::DragEnter ||
                           event->type() == QEvent::DragMove || event->type() == QEvent::Drop;
    if (watched != &column_ || !dragEvent) {
        return QObject::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    if (!drop->mimeData()->hasFormat(kLaneEventMime)) {
        return QObject::eventFilter(watched, event);
    }
    bool known = false;
    const qulonglong index = drop->mimeData()->data(kLaneEventMime).toULongLong(&known);
    known = known && index < events_.size();
    drop->setAccepted(known);
    if (known && event->type() == QEvent::Drop) {
        drop->acceptProposedAction();
        // Asked once the drag is over: a dialog inside the drop would hold the drag open.
        QMetaObject::invokeMethod(
            this, [this, dropped = events_[index]] { emit addAsAppointmentRequested(dropped); },
            Qt::QueuedConnection);
    }
    return true;
}

OtherCalendarsLane::~OtherCalendarsLane() {
    for (const QPointer<QWidget>& mark : marks_) {
        delete mark.data();
    }
}

void OtherCalendarsLane::showEvents(std::vector<LaneEvent> events, TimelineScale scale) {
    for (const QPointer<QWidget>& mark : marks_) {
        if (mark) {
            mark->hide();
            mark->deleteLater();
        }
    }
    marks_.clear();
    events_ = std::move(events);
    scale_ = scale;
    for (std::size_t i = 0; i < events_.size(); ++i) {
        auto* mark = new EventMark(
            events_[i], i, [this, i] { emit addAsAppointmentRequested(events_.at(i)); }, &column_);
        marks_.emplace_back(mark);
    }
    layOut();
}

void OtherCalendarsLane::setScale(TimelineScale scale) {
    scale_ = scale;
    layOut();
}

std::vector<QWidget*> OtherCalendarsLane::marks() const {
    std::vector<QWidget*> shown;
    for (const QPointer<QWidget>& mark : marks_) {
        shown.push_back(mark.data());
    }
    return shown;
}

void OtherCalendarsLane::layOut() {
    std::vector<LaneSpan> spans;
    for (const LaneEvent& event : events_) {
        spans.push_back({event.start, event.end});
    }
    const std::vector<LanePlace> places = layOutLane(spans);
    const double pixelsPerMinute = scale_.pixelsPerHour() / 60.0;
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        QWidget* mark = marks_[i];
        if (mark == nullptr) {
            continue;
        }
        const int width = std::max(2, kLaneWidth / places[i].columns);
        const int top = static_cast<int>(events_[i].start * pixelsPerMinute);
        const int bottom = static_cast<int>(events_[i].end * pixelsPerMinute);
        mark->setGeometry(kLaneLeft + places[i].column * width, top, std::max(1, width - 1),
                          std::max(3, bottom - top));
        mark->show();
    }
}

}  // namespace kalvo
