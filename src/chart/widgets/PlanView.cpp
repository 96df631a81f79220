#include "chart/widgets/PlanView.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QSplitter>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/Calendar.h"
#include "chart/TimeSplit.h"
#include "chart/widgets/PieChart.h"
#include "day/DateFunctions.h"
#include "gui/AccessibleNames.h"
#include "gui/StoredColor.h"
#include "gui/ToolBarIcons.h"

namespace kalvo {
namespace {

constexpr qreal kGap = 4;
const QColor kAxisColor(0x80, 0x80, 0x80);
const QColor kGridColor(0xe0, 0xe0, 0xe0);

// `value` with `decimals` decimals and the locale's decimal point, as the table shows it.
QString localDecimalText(double value, int decimals = 2) {
    return QString::fromStdString(
        formatDecimal(value, decimals, false, pieDecimalPoint().toStdString()));
}

// A step of the hour axis that gives about `ticks` ticks up to `maximum`: 1, 2 or 5 times a
// power of ten.
double tickStep(double maximum, int ticks) {
    const double rough = std::max(maximum, 1.0) / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) {
            return factor * power;
        }
    }
    return 10 * power;
}

QString clockLabel(int minutes) {
    return QString::fromStdString(clockText(minutes));
}

QDate dateOfDay(std::int32_t day) {
    const CivilDate civil = civilFromDays(day);
    return QDate(civil.year, civil.month, civil.day);
}

// A cell that sorts by its number, not by its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text) {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

}  // namespace

void paintPlanBars(QPainter& painter, const QRectF& area, const std::vector<TypePlan>& types) {
    painter.save();
    painter.fillRect(area, Qt::white);
    // Many types in a low area: a smaller font, so that each pair keeps room for its name.
    const qreal fullLine = QFontMetricsF(painter.font()).height();
    const qreal needed = fullLine * (static_cast<qreal>(2 * types.size()) * 0.6 + 3) + 6 * kGap;
    if (needed > area.height()) {
        painter.setFont(scaledFont(painter.font(), std::max(0.6, area.height() / needed)));
    }
    const QFontMetricsF metrics(painter.font());
    const qreal line = metrics.height();

    // The legend: a hatched and a solid sample.
    const auto sample = [&](qreal left, Qt::BrushStyle style, const QString& text) {
        const QRectF box(left, area.top() + kGap, line * 0.8, line * 0.8);
        painter.setPen(kAxisColor);
        painter.setBrush(QBrush(Qt::darkGray, style));
        painter.drawRect(box);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(box.right() + kGap, area.top() + kGap + metrics.ascent()), text);
        return box.right() + 2 * kGap + metrics.horizontalAdvance(text) + 2 * kGap;
    };
    const qreal next = sample(area.left() + kGap, Qt::BDiagPattern, QStringLiteral("Planned"));
    sample(next, Qt::SolidPattern, QStringLiteral("Actual"));
    if (types.empty()) {
        painter.setPen(kAxisColor);
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("Nothing planned or done"));
        painter.restore();
        return;
    }

    double maximum = 0;
    qreal labelWidth = 0;
    for (const TypePlan& type : types) {
        maximum = std::max({maximum, type.plannedHours(), type.actualHours()});
        labelWidth =
            std::max(labelWidth, metrics.horizontalAdvance(QString::fromStdString(type.label)));
    }
    labelWidth = std::min(labelWidth, area.width() / 3);
    const double step = tickStep(maximum, 4);
    const double axisEnd = std::ceil(std::max(maximum, step) / step) * step;
    const QRectF plot(area.left() + labelWidth + 2 * kGap, area.top() + line + 3 * kGap,
                      area.width() - labelWidth - 3 * kGap - metrics.horizontalAdvance("0000 h"),
                      area.height() - 2 * line - 4 * kGap);
    const auto xOf = [&](double hours) {
        return plot.left() + plot.width() * std::max(hours, 0.0) / axisEnd;
    };

    // The hour axis with its grid; the last tick names the unit.
    for (double tick = 0; tick <= axisEnd + step / 2; tick += step) {
        const qreal x = xOf(tick);
        painter.setPen(tick == 0 ? kAxisColor : kGridColor);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        const QString text = localDecimalText(tick, step < 1 ? 1 : 0);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2,
                                 plot.bottom() + kGap + metrics.ascent()),
                         tick + step > axisEnd + step / 2 ? text + QStringLiteral(" h") : text);
    }

    // A pair of bars per type, from the top.
    const qreal pairHeight = plot.height() / static_cast<qreal>(types.size());
    const qreal barHeight = std::min(pairHeight * 0.4, line * 1.2);
    for (std::size_t i = 0; i < types.size(); ++i) {
        const TypePlan& type = types[i];
        const qreal middle = plot.top() + pairHeight * (static_cast<qreal>(i) + 0.5);
        const QColor color = colorFromStored(type.color);
        painter.setPen(color.darker(130));
        painter.setBrush(QBrush(color, Qt::BDiagPattern));
        painter.drawRect(QRectF(QPointF(plot.left(), middle - barHeight),
                                QPointF(xOf(type.plannedHours()), middle)));
        painter.setBrush(color);
        painter.drawRect(QRectF(QPointF(plot.left(), middle),
                                QPointF(xOf(type.actualHours()), middle + barHeight)));
        painter.setPen(Qt::black);
        const QString label =
            metrics.elidedText(QString::fromStdString(type.label), Qt::ElideRight, labelWidth);
        painter.drawText(QRectF(area.left() + kGap, middle - line / 2, labelWidth, line),
                         Qt::AlignRight | Qt::AlignVCenter, label);
    }
    painter.restore();
}

QString planBarsDescription(const std::vector<TypePlan>& types) {
    QStringList lines;
    for (const TypePlan& type : types) {
        lines << QStringLiteral("%1: planned %2 h, actual %3 h")
                     .arg(QString::fromStdString(type.label), localDecimalText(type.plannedHours()),
                          localDecimalText(type.actualHours()));
    }
    return lines.isEmpty() ? QStringLiteral("Nothing planned or done") : lines.join(u"; ");
}

QString deviationText(const OccurrencePlan& occurrence) {
    const QString planned = clockLabel(occurrence.plannedStart) + QStringLiteral("–") +
                            clockLabel(occurrence.plannedEnd);
    const QString done = occurrence.skipped
                             ? QStringLiteral("skipped")
                             : clockLabel(occurrence.actualStart) + QStringLiteral("–") +
                                   clockLabel(occurrence.actualEnd);
    return planned + QStringLiteral(" → ") + done;
}

QString onTimeText(const PlanComparison& comparison) {
    const std::optional<double> share = comparison.onTimeShare();
    if (!share) {
        return QStringLiteral("No occurrences in the range.");
    }
    return QStringLiteral("Started within %1 minutes of the plan: %2 of %3 (%4 %)")
        .arg(kOnTimeMinutes)
        .arg(comparison.startedOnTime)
        .arg(comparison.occurrences)
        .arg(localDecimalText(100.0 * *share, 0));
}

PlanBarsView::PlanBarsView(QWidget* parent) : QWidget(parent) {
    named(this, QStringLiteral("planBars"), QStringLiteral("Planned and Actual Hours"));
    setMinimumHeight(60);
    setAccessibleDescription(planBarsDescription({}));
}

void PlanBarsView::setTypes(std::vector<TypePlan> types) {
    types_ = std::move(types);
    setAccessibleDescription(planBarsDescription(types_));
    update();
}

void PlanBarsView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintPlanBars(painter, QRectF(rect()), types_);
}

PlanPage::PlanPage(QWidget* parent)
    : QWidget(parent),
      bars_(new PlanBarsView(this)),
      table_(named(new QTableWidget(0, static_cast<int>(kPlanTableHeader.size()), this),
                   QStringLiteral("tablePlan"),
                   QStringLiteral("Planned and Actual Hours by Type"))),
      deviations_(named(new QTreeWidget(this), QStringLiteral("listDeviations"),
                        QStringLiteral("Largest Deviations"))),
      onTime_(named(new QLabel(this), QStringLiteral("labelOnTime"))),
      subTypes_(named(new QCheckBox(QStringLiteral("&Sub-types"), this),
                      QStringLiteral("checkBoxPlanSubTypes"),
                      QStringLiteral("Sub-types on lines of their own"))),
      pickerFrom_(named(new QDateEdit(QDate::currentDate(), this),
                        QStringLiteral("pickerPlanStart"), QStringLiteral("From"))),
      pickerTo_(named(new QDateEdit(QDate::currentDate(), this), QStringLiteral("pickerPlanEnd"),
                      QStringLiteral("To"))),
      print_(named(new QToolButton(this), QStringLiteral("buttonPrintPlan"),
                   QStringLiteral("Print Plan and Time Split"))) {
    QStringList header;
    for (const std::string_view title : kPlanTableHeader) {
        header << QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    }
    table_->setHorizontalHeaderLabels(header);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setIconSize(QSize(10, 10));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSortingEnabled(true);
    // The types' own order (that of the pie) until the user sorts by a column.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    nameScrollAreaParts(table_);

    deviations_->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Type"), QStringLiteral("Planned → Actual")});
    deviations_->setRootIsDecorated(false);
    deviations_->setAllColumnsShowFocus(true);
    deviations_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    deviations_->setToolTip(QStringLiteral("Double-click or press Enter to open the day"));
    nameScrollAreaParts(deviations_);
    connect(deviations_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        emit dayRequested(item->data(0, Qt::UserRole).toDate(),
                          item->data(1, Qt::UserRole).toInt());
    });

    onTime_->setWordWrap(true);
    subTypes_->setToolTip(
        QStringLiteral("Count sub-appointments on lines of their own types; otherwise their time "
                       "counts only within their top-level appointments"));
    connect(subTypes_, &QCheckBox::toggled, this, &PlanPage::subTypesChanged);

    for (QDateEdit* picker : {pickerFrom_, pickerTo_}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        connect(picker, &QDateEdit::dateChanged, this,
                [this] { emit rangeChosen(pickerFrom_->date(), pickerTo_->date()); });
    }
    print_->setIcon(toolBarIcon(ToolBarPicture::Print));
    print_->setToolTip(QStringLiteral("Print Plan and Time Split"));
    print_->setFocusPolicy(Qt::StrongFocus);
    connect(print_, &QToolButton::clicked, this, &PlanPage::printRequested);

    auto* deviationsCaption = new QLabel(QStringLiteral("&Largest deviations"), this);
    deviationsCaption->setBuddy(deviations_);
    deviations_->setMinimumHeight(40);
    table_->setMinimumHeight(40);
    auto* range = new QHBoxLayout;
    for (auto [caption, picker] : {std::pair{QStringLiteral("F&rom"), pickerFrom_},
                                   std::pair{QStringLiteral("T&o"), pickerTo_}}) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(picker);
        range->addWidget(label);
        range->addWidget(picker);
    }
    range->addWidget(subTypes_);
    range->addStretch(1);
    range->addWidget(print_);

    // The user shares the page's height among the bars, the table and the deviations.
    auto* parts = named(new QSplitter(Qt::Vertical, this), QStringLiteral("splitterPlan"),
                        QStringLiteral("Plan"));
    parts->setChildrenCollapsible(false);
    auto* deviationsPart = new QWidget(parts);
    auto* deviationsLayout = new QVBoxLayout(deviationsPart);
    deviationsLayout->setContentsMargins(0, 0, 0, 0);
    deviationsLayout->setSpacing(2);
    deviationsLayout->addWidget(deviationsCaption);
    deviationsLayout->addWidget(deviations_);
    parts->addWidget(bars_);
    parts->addWidget(table_);
    parts->addWidget(deviationsPart);
    parts->setSizes({3000, 2000, 2000});  // shares of the height the page is first given

    // Reading order: the numbers, the deviations, then the controls below them.
    const QList<QWidget*> order = {table_, deviations_, pickerFrom_, pickerTo_, subTypes_, print_};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(parts, 1);
    layout->addWidget(onTime_);
    layout->addLayout(range);
}

void PlanPage::setComparison(const PlanComparison& comparison) {
    bars_->setTypes(comparison.types);

    table_->setSortingEnabled(false);  // rows are filled in the comparison's order, then sorted
    table_->setRowCount(static_cast<int>(comparison.types.size()));
    const std::vector<PlanTableRow> texts = planTable(comparison, pieDecimalPoint().toStdString());
    for (std::size_t i = 0; i < comparison.types.size(); ++i) {
        const TypePlan& type = comparison.types[i];
        const int row = static_cast<int>(i);
        const auto text = [&](int column) {
            return QString::fromStdString(texts[i][static_cast<std::size_t>(column)]);
        };
        auto* name = new QTableWidgetItem(text(0));
        QPixmap swatch(10, 10);
        swatch.fill(colorFromStored(type.color));
        name->setIcon(QIcon(swatch));
        table_->setItem(row, 0, name);
        table_->setItem(row, 1, new NumberItem(text(1), type.plannedHours()));
        table_->setItem(row, 2, new NumberItem(text(2), type.actualHours()));
        table_->setItem(row, 3, new NumberItem(text(3), type.differenceHours()));
        table_->setItem(row, 4, new NumberItem(text(4), type.ratio().value_or(-1)));
    }
    table_->setSortingEnabled(true);

    deviations_->clear();
    for (const OccurrencePlan& occurrence : comparison.largestDeviations) {
        const QDate day = dateOfDay(occurrence.day);
        auto* item = new QTreeWidgetItem(
            deviations_,
            {QLocale().toString(day, QLocale::ShortFormat),
             QString::fromStdString(occurrence.row->event->type->name), deviationText(occurrence)});
        item->setData(0, Qt::UserRole, day);
        item->setData(1, Qt::UserRole, occurrence.row->id);
    }
    onTime_->setText(onTimeText(comparison));
}

SubTypes PlanPage::subTypes() const {
    return subTypes_->isChecked() ? SubTypes::shown : SubTypes::folded;
}

void PlanPage::setRange(const QDate& from, const QDate& to) {
    for (auto [picker, date] : {std::pair{pickerFrom_, from}, std::pair{pickerTo_, to}}) {
        const QSignalBlocker quiet(picker);
        picker->setDate(date);
    }
}

}  // namespace kalvo
