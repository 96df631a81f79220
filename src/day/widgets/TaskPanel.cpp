#include "day/widgets/TaskPanel.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>
#include <vector>

#include "day/DateFunctions.h"
#include "day/widgets/DayView.h"
#include "day/widgets/PanelText.h"

namespace kalvo {
namespace {

const QColor kHoverFrame(0x80, 0x80, 0x80);
const QColor kTwinHoverFrame(0xFF, 0xFF, 0x00);  // yellow, stored as 0x00FFFF

}  // namespace

TaskPanel::TaskPanel(DayView& dayView, EventDataRow& row, bool isPlanned, QWidget* parent)
    : QWidget(parent), dayView_(dayView), row_(row), isPlanned_(isPlanned) {
    setObjectName(isPlanned ? QStringLiteral("plannedPanel") : QStringLiteral("TaskPanel"));
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setAcceptDrops(true);
    if (!isPlanned) {
        // Tab walks through the day's appointments; a click selects without taking the focus.
        setFocusPolicy(Qt::TabFocus);
    }
}

void TaskPanel::setAppearance(const QColor& color, const QString& caption) {
    color_ = color;
    caption_ = caption;
    setAccessibleName(caption);
    updateHint();
    update();
}

void TaskPanel::setBorderColor(const QColor& color) {
    if (borderColor_ != color) {
        borderColor_ = color;
        repaint();
    }
}

QString TaskPanel::hintText() const {
    const int minutes = pixelsToTime(isPlanned_ ? row_.plannedHeight : row_.height);
    const QString hours = QLocale().toString(minutes / 60.0, 'f', 1);
    PanelTimes times{row_.startTime, row_.endTime};
    if (isPlanned_) {
        const int index = dayView_.placement().indexOf(row_);
        if (index >= 0) {
            times = dayView_.placement().occurrences()[static_cast<std::size_t>(index)].planned;
        }
    }
    const QString first =
        isPlanned_ ? caption_ + QStringLiteral(" planned")
                   : QString::fromStdString(occurrenceCaption(row_.typeName, row_.comment));
    return first + QStringLiteral("\nDuration = ") + QString::number(minutes) +
           QStringLiteral(" min / ") + hours + QStringLiteral(" hour(s) \nStart time = ") +
           longTimeText(times.startTime) + QStringLiteral("\nEnd time = ") +
           longTimeText(times.endTime);
}

void TaskPanel::updateHint() {
    const QString hint = hintText();
    setToolTip(hint);
    setAccessibleDescription(hint);
}

QRect TaskPanel::captionRect() const {
    std::vector<std::pair<int, int>> covered;  // top and bottom of each sub-appointment
    for (const QObject* child : children()) {
        if (const auto* panel = qobject_cast<const TaskPanel*>(child);
            panel && !panel->isHidden()) {
            covered.emplace_back(panel->y(), panel->y() + panel->height());
        }
    }
    const int textHeight = fontMetrics().height();
    const int middleTop = (height() - textHeight) / 2;
    const bool middleFree = std::none_of(covered.begin(), covered.end(), [&](const auto& span) {
        return span.first < middleTop + textHeight && middleTop < span.second;
    });
    if (middleFree) {
        return rect();
    }
    std::sort(covered.begin(), covered.end());
    QRect tallest(0, 0, width(), 0);
    int freeFrom = 0;
    for (const auto& [top, bottom] : covered) {
        if (top - freeFrom > tallest.height()) {
            tallest = QRect(0, freeFrom, width(), top - freeFrom);
        }
        freeFrom = std::max(freeFrom, bottom);
    }
    if (height() - freeFrom > tallest.height()) {
        tallest = QRect(0, freeFrom, width(), height() - freeFrom);
    }
    return tallest.height() > 0 ? tallest : rect();
}

void TaskPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), color_);
    painter.setPen(captionTextColor(color_));
    const QRect captionArea = captionRect();
    painter.drawText(captionArea, Qt::AlignCenter,
                     fontMetrics().elidedText(caption_, Qt::ElideRight, captionArea.width() - 4));
    const bool selected = !isPlanned_ && dayView_.model().selectedPanel == &row_;
    painter.setPen(QPen(selected ? QColor(Qt::white) : borderColor_, 1));
    painter.drawRect(0, 0, width() - 1, height() - 1);
    if (hasFocus()) {
        painter.setPen(QPen(captionTextColor(color_), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void TaskPanel::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    dayView_.panelFocused(*this);
    update();
}

void TaskPanel::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TaskPanel::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setBorderColor(kHoverFrame);
    if (twin_ != nullptr) {
        twin_->setBorderColor(kTwinHoverFrame);
    }
}

void TaskPanel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setBorderColor(Qt::black);
    if (twin_ != nullptr) {
        twin_->setBorderColor(Qt::black);
    }
}

void TaskPanel::mousePressEvent(QMouseEvent* event) {
    if (isPlanned_) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton) {  // the right button opens the context menu only
        dayView_.panelPressed(*this, static_cast<int>(event->position().y()));
    }
    event->accept();
}

void TaskPanel::mouseMoveEvent(QMouseEvent* event) {
    dayView_.panelMoved(*this, static_cast<int>(event->position().y()),
                        event->buttons().testFlag(Qt::LeftButton));
    event->accept();
}

void TaskPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (isPlanned_) {
        event->ignore();
        return;
    }
    const bool click =
        event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    dayView_.panelReleased(*this);
    if (click) {
        dayView_.panelClicked(*this);
    }
    event->accept();
}

void TaskPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (isPlanned_) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        dayView_.panelDoubleClicked(*this);
    }
    event->accept();
}

void TaskPanel::contextMenuEvent(QContextMenuEvent* event) {
    if (isPlanned_) {
        event->ignore();
        return;
    }
    dayView_.panelHovered(*this);
    dayView_.panelMenu().popup(event->globalPos());
    event->accept();
}

void TaskPanel::dragEnterEvent(QDragEnterEvent* event) {
    event->setAccepted(dayView_.acceptsDropOn(this, *event->mimeData()));
}

void TaskPanel::dragMoveEvent(QDragMoveEvent* event) {
    event->setAccepted(dayView_.acceptsDropOn(this, *event->mimeData()));
}

void TaskPanel::dropEvent(QDropEvent* event) {
    if (!dayView_.acceptsDropOn(this, *event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dayView_.dropOn(this, *event->mimeData(), static_cast<int>(event->position().y()));
}

}  // namespace kalvo
