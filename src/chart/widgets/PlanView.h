#pragma once

#include <QDate>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "chart/PlanComparison.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QPainter;
class QTableWidget;
class QToolButton;
class QTreeWidget;

namespace kalvo {

// The bars of the plan against what happened, drawn the same on the screen and on paper: per
// type a pair of horizontal bars in the type's colour, planned (hatched) above actual (solid),
// the type's name at their left, the hours along the bottom and a legend at the top. Lengths
// are in the painter's units.
void paintPlanBars(QPainter& painter, const QRectF& area, const std::vector<TypePlan>& types);

// What a screen reader reads for the bars: each type's planned and actual hours.
QString planBarsDescription(const std::vector<TypePlan>& types);

// The text of a deviation in the list: "09:00–12:00 → 09:10–13:00", or "… → skipped".
QString deviationText(const OccurrencePlan& occurrence);

// The share of the occurrences started on time, as the page states it.
QString onTimeText(const PlanComparison& comparison);

class PlanBarsView : public QWidget {
    Q_OBJECT

public:
    explicit PlanBarsView(QWidget* parent = nullptr);
    void setTypes(std::vector<TypePlan> types);
    const std::vector<TypePlan>& types() const { return types_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<TypePlan> types_;
};

// The Plan page: the bars, the table of the types (sortable by any column), the largest
// deviations of the range and the share started on time, above its own From and To pickers,
// which the window keeps on the Chart page's range.
class PlanPage : public QWidget {
    Q_OBJECT

public:
    explicit PlanPage(QWidget* parent = nullptr);

    void setComparison(const PlanComparison& comparison);
    SubTypes subTypes() const;
    // Shows the range without telling rangeChosen.
    void setRange(const QDate& from, const QDate& to);

    PlanBarsView* bars() const { return bars_; }
    QTableWidget* table() const { return table_; }
    QTreeWidget* deviations() const { return deviations_; }
    QDateEdit* pickerFrom() const { return pickerFrom_; }
    QDateEdit* pickerTo() const { return pickerTo_; }

signals:
    void rangeChosen(const QDate& from, const QDate& to);
    void subTypesChanged();
    // A deviation opened by a double-click or Enter: its day and its row.
    void dayRequested(const QDate& day, std::int32_t rowId);
    void printRequested();

private:
    PlanBarsView* bars_;
    QTableWidget* table_;
    QTreeWidget* deviations_;
    QLabel* onTime_;
    QCheckBox* subTypes_;
    QDateEdit* pickerFrom_;
    QDateEdit* pickerTo_;
    QToolButton* print_;
};

}  // namespace kalvo
