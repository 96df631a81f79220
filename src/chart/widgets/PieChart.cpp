#include "chart/widgets/PieChart.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/StoredColor.h"

namespace kalvo {
namespace {

constexpr qreal armLength = 8;    // the grey line from a slice to its mark
constexpr qreal markPadding = 2;  // between a mark's text and the edge of its white box
constexpr qreal legendGap = 8;    // between the pie's marks and the legend, and inside a line
const QColor armColor(0x80, 0x80, 0x80);
const QColor markFrameColor(0xc0, 0xc0, 0xc0);

struct Mark {
    QString text;
    QPointF edge;  // where the line leaves the slice
    QRectF box;    // the white box of the text
    bool rightOfPie = true;
};

double totalOf(const std::vector<PieSlice>& slices) {
    double total = 0;
    for (const PieSlice& slice : slices) {
        total += slice.value;
    }
    return total;
}

// Moves the boxes of one side of the pie apart, keeping their order from top to bottom, and
// inside `area` as far as their number allows.
void separate(std::vector<Mark*>& side, const QRectF& area) {
    std::sort(side.begin(), side.end(), [](const Mark* a, const Mark* b) {
        return a->box.center().y() < b->box.center().y();
    });
    qreal lowestTop = area.top();
    for (Mark* mark : side) {
        mark->box.moveTop(std::max(mark->box.top(), lowestTop));
        lowestTop = mark->box.bottom();
    }
    qreal highestBottom = area.bottom();
    for (auto it = side.rbegin(); it != side.rend(); ++it) {
        Mark* mark = *it;
        mark->box.moveBottom(std::min(mark->box.bottom(), highestBottom));
        highestBottom = mark->box.top();
    }
    // More marks than the side has room for overlap rather than leave the area.
    for (Mark* mark : side) {
        mark->box.moveTop(std::max(mark->box.top(), area.top()));
    }
}

// Draws the legend lines in a column at the right of `area`, in a smaller font when they would
// not fit its height, and returns the room it took.
qreal paintLegend(QPainter& painter, const QRectF& area, const std::vector<PieSlice>& slices) {
    painter.save();
    const qreal fullHeight =
        (QFontMetricsF(painter.font()).height() + markPadding) * static_cast<qreal>(slices.size());
    if (fullHeight > area.height()) {
        painter.setFont(scaledFont(painter.font(), area.height() / fullHeight));
    }
    const QFontMetricsF metrics(painter.font());
    const std::string decimalPoint = pieDecimalPoint().toStdString();
    const double total = totalOf(slices);
    QStringList lines;
    qreal widest = 0;
    for (const PieSlice& slice : slices) {
        lines << QString::fromStdString(legendText(slice, total, decimalPoint));
        widest = std::max(widest, metrics.horizontalAdvance(lines.back()));
    }
    const qreal lineHeight =
        std::min(metrics.height() + markPadding, area.height() / static_cast<qreal>(lines.size()));
    const qreal swatch = std::min(metrics.ascent(), lineHeight) * 0.8;
    const qreal width = std::min(swatch + legendGap + widest, area.width() / 2);
    const qreal left = area.right() - width;
    qreal top = std::max(area.top(), area.center().y() - lineHeight * lines.size() / 2);
    for (qsizetype i = 0; i < lines.size(); ++i, top += lineHeight) {
        const QRectF square(left, top + (lineHeight - swatch) / 2, swatch, swatch);
        painter.setPen(Qt::darkGray);
        painter.setBrush(colorFromStored(slices[static_cast<std::size_t>(i)].color));
        painter.drawRect(square);
        painter.setPen(Qt::black);
        const QRectF text(square.right() + legendGap / 2, top, width - swatch - legendGap / 2,
                          lineHeight);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(lines[i], Qt::ElideRight, text.width()));
    }
    painter.restore();
    return width + legendGap;
}

}  // namespace

QFont scaledFont(QFont font, qreal factor) {
    if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * factor)));
    } else {
        font.setPointSizeF(std::max(1.0, font.pointSizeF() * factor));
    }
    return font;
}

QString pieDecimalPoint() {
    return QLocale().decimalPoint();
}

QString pieDescription(const std::vector<PieSlice>& slices) {
    const std::string decimalPoint = pieDecimalPoint().toStdString();
    QStringList marks;
    for (const PieSlice& slice : slices) {
        marks << QString::fromStdString(markText(slice, decimalPoint));
    }
    return marks.join(QStringLiteral(", "));
}

void paintPie(QPainter& painter, const QRectF& area, const std::vector<PieSlice>& slices,
              PieLegend legend) {
    const double total = totalOf(slices);
    if (slices.empty() || total <= 0) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area, Qt::IntersectClip);  // what still does not fit is cut, not spilt
    QRectF pieArea = area;
    if (legend == PieLegend::shown) {
        pieArea.setRight(area.right() - paintLegend(painter, area, slices));
    }

    const QFontMetricsF metrics(painter.font());
    const std::string decimalPoint = pieDecimalPoint().toStdString();
    std::vector<Mark> marks;
    qreal widestMark = 0;
    for (const PieSlice& slice : slices) {
        Mark& mark = marks.emplace_back();
        mark.text = QString::fromStdString(markText(slice, decimalPoint));
        widestMark = std::max(widestMark, metrics.horizontalAdvance(mark.text));
    }
    const qreal markHeight = metrics.height() + 2 * markPadding;
    const qreal markRoom = armLength + widestMark + 2 * markPadding;
    // Long marks may reach the edges rather than shrink the pie out of sight.
    const qreal radius = std::max(
        std::min(pieArea.width() / 2 - markRoom, pieArea.height() / 2 - markHeight - armLength),
        std::min(pieArea.width(), pieArea.height()) / 6);
    const QPointF centre = pieArea.center();
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);

    // Clockwise from twelve o'clock; Qt counts angles anticlockwise from three o'clock in
    // sixteenths of a degree. Each edge is rounded from the running sum, so the slices close.
    painter.setPen(slices.size() > 1 ? QPen(Qt::white, 1) : QPen(Qt::NoPen));
    double before = 0;
    for (std::size_t i = 0; i < slices.size(); ++i) {
        const double after = before + slices[i].value;
        const int from = static_cast<int>(std::lround(90 * 16 - before / total * 360 * 16));
        const int to = static_cast<int>(std::lround(90 * 16 - after / total * 360 * 16));
        painter.setBrush(colorFromStored(slices[i].color));
        painter.drawPie(circle, from, to - from);

        const double middle = (90 - (before + after) / 2 / total * 360) * std::numbers::pi / 180;
        const QPointF direction(std::cos(middle), -std::sin(middle));
        Mark& mark = marks[i];
        mark.edge = centre + direction * radius;
        mark.rightOfPie = direction.x() >= 0;
        const QPointF anchor = centre + direction * (radius + armLength);
        const qreal room =
            mark.rightOfPie ? pieArea.right() - anchor.x() : anchor.x() - pieArea.left();
        mark.text = metrics.elidedText(mark.text, Qt::ElideRight,
                                       std::max<qreal>(room - 2 * markPadding, 0));
        const qreal width = metrics.horizontalAdvance(mark.text) + 2 * markPadding;
        mark.box = QRectF(mark.rightOfPie ? anchor.x() : anchor.x() - width,
                          anchor.y() - markHeight / 2, width, markHeight);
        before = after;
    }

    std::vector<Mark*> right;
    std::vector<Mark*> left;
    for (Mark& mark : marks) {
        (mark.rightOfPie ? right : left).push_back(&mark);
    }
    separate(right, pieArea);
    separate(left, pieArea);
    for (const Mark& mark : marks) {
        const QPointF end(mark.rightOfPie ? mark.box.left() : mark.box.right(),
                          mark.box.center().y());
        painter.setPen(QPen(armColor, 1));
        painter.drawLine(mark.edge, end);
        painter.setPen(QPen(markFrameColor, 1));
        painter.setBrush(Qt::white);
        painter.drawRect(mark.box);
        painter.setPen(Qt::black);
        painter.drawText(mark.box, Qt::AlignCenter, mark.text);
    }
    painter.restore();
}

PieChartView::PieChartView(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void PieChartView::setSlices(std::vector<PieSlice> slices) {
    slices_ = std::move(slices);
    setAccessibleDescription(pieDescription(slices_));
    update();
}

void PieChartView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintPie(painter, QRectF(rect()).adjusted(4, 4, -4, -4), slices_, PieLegend::hidden);
}

}  // namespace kalvo
