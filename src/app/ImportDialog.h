#pragma once

#include <QDate>
#include <QDialog>
#include <functional>
#include <utility>
#include <vector>

#include "calendars/ImportAppointments.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace kalvo {

// Before an iCalendar file's events are added, says what will be added and takes the choices
// that change it: the type of events whose categories name none of the database, whether the
// types they name are made, and the days over which events that recur other than daily become
// appointments. Every choice plans the import again; Import is offered only for a plan that
// adds something and is not refused.
class ImportDialog : public QDialog {
    Q_OBJECT

public:
    using Planner = std::function<ImportPlan(const ImportOptions&)>;
    // The types to choose from: id and path ("Work/Meeting").
    using TypeChoices = std::vector<std::pair<std::int32_t, QString>>;

    ImportDialog(const QString& fileName, const TypeChoices& types, bool asksForDays, QDate from,
                 QDate to, Planner planner, QWidget* parent);

    // The plan of the choices as they stand.
    const ImportPlan& plan() const { return plan_; }

    QLabel* labelSummary = nullptr;
    QComboBox* comboType = nullptr;
    QCheckBox* checkMakeTypes = nullptr;
    QDateEdit* pickerFrom = nullptr;
    QDateEdit* pickerTo = nullptr;
    QPushButton* buttonImport = nullptr;

private:
    void planAgain();

    Planner planner_;
    bool asksForDays_;
    ImportPlan plan_;
};

}  // namespace kalvo
