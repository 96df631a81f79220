#include "chart/widgets/PieChart.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <numbers>
#include <vector>

namespace kalvo {
namespace {

constexpr std::int32_t red = 0x0000FF;  // 0x00BBGGRR
constexpr std::int32_t blue = 0xFF0000;
const QColor grey(0x80, 0x80, 0x80);

// The colour 20 pixels from the pie's centre in the direction of a clock hand at `hour`.
QColor colourAt(const QImage& image, double hour) {
    const double angle = hour / 12 * 2 * std::numbers::pi;
    const QPointF centre = QRectF(image.rect()).center();
    const QPointF point = centre + QPointF(std::sin(angle), -std::cos(angle)) * 20;
    return image.pixelColor(point.toPoint());
}

TEST(PieChartTest, SlicesRunClockwiseFromTwelveInTheirOrderAndShare) {
    struct Case {
        const char* what;
        std::vector<PieSlice> slices;
        std::vector<std::pair<double, QColor>> probes;  // clock hour, colour seen there
    };
    const PieSlice work{18, "Work", red};
    const PieSlice notSpecified{6, "Not Specified", 0x808080};
    const Case cases[] = {
        {"three quarters, then the rest",
         {work, notSpecified},
         {{1.5, Qt::red}, {4.5, Qt::red}, {7.5, Qt::red}, {10.5, grey}}},
        {"the order given, not sorted",
         {notSpecified, work},
         {{1.5, grey}, {4.5, Qt::red}, {7.5, Qt::red}, {10.5, Qt::red}}},
        {"equal halves, right then left",
         {{1, "A", blue}, {1, "B", red}},
         {{3, Qt::blue}, {9, Qt::red}}},
        {"one slice fills the circle", {work}, {{0.5, Qt::red}, {6, Qt::red}, {11.5, Qt::red}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PieChartView view;
        view.resize(383, 200);
        view.setSlices(c.slices);
        const QImage image = view.grab().toImage();
        for (const auto& [hour, colour] : c.probes) {
            EXPECT_EQ(colourAt(image, hour), colour) << hour << " o'clock";
        }
    }
}

TEST(PieChartTest, AnEmptyPieDrawsNothingAndScreenReadersReadTheMarks) {
    PieChartView view;
    view.resize(383, 200);
    view.setSlices({});
    const QImage empty = view.grab().toImage();
    for (int y = 0; y < empty.height(); y += 7) {
        for (int x = 0; x < empty.width(); x += 7) {
            ASSERT_EQ(empty.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
        }
    }
    EXPECT_EQ(view.accessibleDescription(), "");

    view.setSlices({{7, "Work", red}, {0.25, "Call", blue}, {16.75, "Not Specified", 0x808080}});
    const QString point = pieDecimalPoint();
    EXPECT_EQ(view.accessibleDescription(),
              "Work 7" + point + "0, Call 0" + point + "3, Not Specified 16" + point + "8");
}

// Fifty types, some with long names, in a small area: the pie, its marks and the legend stay
// inside it, squeezed or shortened rather than running over the rest of the page.
TEST(PieChartTest, EverythingStaysInsideItsAreaHoweverManySlices) {
    std::vector<PieSlice> slices;
    for (int i = 0; i < 50; ++i) {
        const std::string name = i % 7 == 0 ? "Appointments of a type with a long name " : "Type ";
        slices.push_back({1.0 + i % 5, name + std::to_string(i), i * 0x050301});
    }
    for (const PieLegend legend : {PieLegend::hidden, PieLegend::shown}) {
        QImage page(600, 400, QImage::Format_RGB32);
        page.fill(Qt::white);
        const QRect area(100, 100, 400, 150);
        {
            QPainter painter(&page);
            paintPie(painter, area, slices, legend);
        }
        int inside = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const bool white = page.pixelColor(x, y) == QColor(Qt::white);
                if (area.adjusted(-1, -1, 1, 1).contains(x, y)) {
                    inside += white ? 0 : 1;
                } else {
                    ASSERT_TRUE(white)
                        << x << "," << y << (legend == PieLegend::shown ? " with legend" : "");
                }
            }
        }
        EXPECT_GT(inside, area.width() * area.height() / 5) << "the pie is drawn";
    }
}

}  // namespace
}  // namespace kalvo
