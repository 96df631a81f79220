#include "day/widgets/TimelineArea.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <tuple>

#include "gui/AccessibleNames.h"

namespace kalvo {
namespace {

constexpr int kContentWidth = 466;
constexpr int kRulerWidth = 20;

// A ruler of tick marks: every 5 minutes, longer at quarter and half hours, longest at hours.
QPixmap rulerPicture(TimelineScale scale) {
    QPixmap picture(kRulerWidth, scale.columnHeight());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 1));
    for (int y = 0; y < kColumnHeight; y += 2) {
        int start = 15;
        if (y % 24 == 0) {
            start = 0;
        } else if (y % 12 == 0) {
            start = 5;
        } else if (y % 6 == 0) {
            start = 10;
        }
        const int screenY = scale.toScreen(y);
        painter.drawLine(start, screenY, kRulerWidth, screenY);
    }
    return picture;
}

}  // namespace

TimelineArea::TimelineArea(QScrollArea& scrollArea)
    : QObject(&scrollArea), scrollArea_(scrollArea) {
    content_ = named(new QWidget, QStringLiteral("timeline"));
    for (int hour = 0; hour < 24; ++hour) {
        const QString text = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
        // The first label kept its designer name; the others were numbered from 4 on.
        const QString name =
            hour == 0 ? QStringLiteral("label0") : QStringLiteral("Label%1").arg(hour + 5);
        hourLabels_.push_back(named(new QLabel(text, content_), name, text));
    }
    for (const auto& [name, left] :
         {std::pair{QStringLiteral("image"), 45}, std::pair{QStringLiteral("imageRight"), 261}}) {
        auto* ruler = named(new QLabel(content_), name);
        ruler->move(left, 0);
        rulers_.push_back(ruler);
    }
    for (auto [column, name, left] :
         {std::tuple{&actualColumn_, QStringLiteral("panelMain"), 64},
          std::tuple{&plannedColumn_, QStringLiteral("panelDifference"), 280}}) {
        auto* panel = named(new QFrame(content_), name);
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));  // silver
        panel->setPalette(palette);
        panel->move(left, 0);
        *column = panel;
    }
    // Sized before it is set, so that the scroll bars know the day's height from the start.
    showScale(0);
    scrollArea_.setWidget(content_);
    scrollArea_.viewport()->installEventFilter(this);
}

void TimelineArea::setChosenScale(TimelineScale chosen) {
    zoomTo(chosen, scrollArea_.viewport()->height() / 2);
}

void TimelineArea::zoomIn() {
    zoomTo(shown_.zoomedIn(), scrollArea_.viewport()->height() / 2);
}

void TimelineArea::zoomOut() {
    zoomTo(shown_.zoomedOut(), scrollArea_.viewport()->height() / 2);
}

void TimelineArea::resetZoom() {
    zoomTo(TimelineScale(), scrollArea_.viewport()->height() / 2);
}

void TimelineArea::zoomTo(TimelineScale chosen, int anchorY) {
    // A zoom the hours exceed anyway to fill the scroll area is the one that fills it.
    if (chosen.filling(scrollArea_.viewport()->height()) ==
        TimelineScale().filling(scrollArea_.viewport()->height())) {
        chosen = TimelineScale();
    }
    if (chosen == chosen_) {
        return;
    }
    chosen_ = chosen;
    showScale(anchorY);
    emit chosenScaleChanged(chosen_);
}

void TimelineArea::showScale(int anchorY) {
    const TimelineScale shown = chosen_.filling(scrollArea_.viewport()->height());
    if (shown == shown_ && content_->height() == shown.columnHeight()) {
        return;
    }
    // The time under the anchor, in minutes, stays under it.
    QScrollBar* bar = scrollArea_.verticalScrollBar();
    const double anchorMinute =
        (bar->value() + anchorY) * 60.0 / static_cast<double>(shown_.pixelsPerHour());
    shown_ = shown;

    const int height = shown_.columnHeight();
    content_->setFixedSize(kContentWidth, height);
    for (int hour = 0; hour < 24; ++hour) {
        hourLabels_[static_cast<std::size_t>(hour)]->move(8,
                                                          shown_.toScreen(hour * kPixelsPerHour));
    }
    const QPixmap ruler = rulerPicture(shown_);
    for (QLabel* image : rulers_) {
        image->setPixmap(ruler);
        image->resize(kRulerWidth, height);
    }
    for (QWidget* column : {actualColumn_, plannedColumn_}) {
        column->resize(kColumnWidth, height);
    }
    emit scaleChanged(shown_);
    bar->setValue(static_cast<int>(anchorMinute * shown_.pixelsPerHour() / 60.0) - anchorY);
}

bool TimelineArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollArea_.viewport()) {
        if (event->type() == QEvent::Resize) {
            showScale(0);
        } else if (event->type() == QEvent::Wheel) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (wheel->modifiers().testFlag(Qt::ControlModifier) && wheel->angleDelta().y() != 0) {
                const int anchorY = static_cast<int>(wheel->position().y());
                zoomTo(wheel->angleDelta().y() > 0 ? shown_.zoomedIn() : shown_.zoomedOut(),
                       anchorY);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kalvo
