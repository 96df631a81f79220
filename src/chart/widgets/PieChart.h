#pragma once

#include <QFont>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <vector>

#include "chart/TimeSplit.h"

class QPainter;

namespace kalvo {

// The pie of the time split, drawn the same on the screen and on the printed page: slices
// clockwise from twelve o'clock in the order given, each with its mark ("Work 8.0") on a white
// background, joined to the slice by a short grey line. With a legend, one line per slice
// ("75 % Work") stands right of the pie. Lengths are in the painter's units: pixels on the
// screen, points on paper.
enum class PieLegend { hidden, shown };

void paintPie(QPainter& painter, const QRectF& area, const std::vector<PieSlice>& slices,
              PieLegend legend);

// `font` made `factor` times as large, whether its size is in pixels or in points.
QFont scaledFont(QFont font, qreal factor);

// What a screen reader reads for the pie: each slice's mark, in order.
QString pieDescription(const std::vector<PieSlice>& slices);

// The decimal point of the marks and legend lines: the user's locale's.
QString pieDecimalPoint();

// The Chart page's pie: white, no title, legend or axes.
class PieChartView : public QWidget {
    Q_OBJECT

public:
    explicit PieChartView(QWidget* parent = nullptr);

    void setSlices(std::vector<PieSlice> slices);
    const std::vector<PieSlice>& slices() const { return slices_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<PieSlice> slices_;
};

}  // namespace kalvo
