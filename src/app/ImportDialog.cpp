#include "app/ImportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include "app/MainWindowParts.h"
#include "gui/AccessibleNames.h"

namespace kalvo {

ImportDialog::ImportDialog(const QString& fileName, const TypeChoices& types, bool asksForDays,
                           QDate from, QDate to, Planner planner, QWidget* parent)
    : QDialog(parent), planner_(std::move(planner)), asksForDays_(asksForDays) {
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("Import Appointments from iCalendar"));

    auto* labelFile =
        named(new QLabel(QFileInfo(fileName).fileName(), this), QStringLiteral("labelFile"));
    labelFile->setToolTip(fileName);
    labelSummary = named(new QLabel(this), QStringLiteral("labelSummary"));
    labelSummary->setWordWrap(true);
    labelSummary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    labelSummary->setMinimumWidth(380);

    comboType = named(new QComboBox(this), QStringLiteral("comboType"),
                      QStringLiteral("Type of events without a known type"));
    comboType->addItem(QStringLiteral("(none: such events are not imported)"));
    for (const auto& [id, path] : types) {
        comboType->addItem(path, id);
    }
    checkMakeTypes = named(
        new QCheckBox(QStringLiteral("&Make the types the events name that are missing"), this),
        QStringLiteral("checkMakeTypes"),
        QStringLiteral("Make the types the events name that are missing"));

    const auto picker = [this](const QString& name, const QString& label, QDate date) {
        auto* edit = named(new QDateEdit(date, this), name, label);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        connect(edit, &QDateEdit::dateChanged, this, &ImportDialog::planAgain);
        return edit;
    };
    pickerFrom =
        picker(QStringLiteral("pickerFrom"), QStringLiteral("Recurring events from"), from);
    pickerTo = picker(QStringLiteral("pickerTo"), QStringLiteral("Recurring events to"),
                      std::max(from, to));
    pickerTo->setMinimumDate(from);
    connect(pickerFrom, &QDateEdit::dateChanged, pickerTo, &QDateEdit::setMinimumDate);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttonImport = buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
    buttonImport->setObjectName(QStringLiteral("buttonImport"));
    buttonImport->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("File:"), labelFile);
    form->addRow(labelSummary);
    auto* typeLabel = new QLabel(QStringLiteral("&Type of events without a known type:"), this);
    typeLabel->setBuddy(comboType);
    form->addRow(typeLabel, comboType);
    form->addRow(checkMakeTypes);
    if (asksForDays_) {
        // Events that recur other than daily become single appointments over these dates.
        auto* days = new QHBoxLayout;
        days->addWidget(pickerFrom);
        auto* toLabel = new QLabel(QStringLiteral("t&o"), this);
        toLabel->setBuddy(pickerTo);
        days->addWidget(toLabel);
        days->addWidget(pickerTo);
        days->addStretch();
        auto* fromLabel =
            new QLabel(QStringLiteral("&Recurring events become appointments from"), this);
        fromLabel->setBuddy(pickerFrom);
        form->addRow(fromLabel, days);
    } else {
        pickerFrom->hide();
        pickerTo->hide();
    }
    form->addRow(buttons);

    connect(comboType, &QComboBox::currentIndexChanged, this, &ImportDialog::planAgain);
    connect(checkMakeTypes, &QCheckBox::toggled, this, &ImportDialog::planAgain);
    planAgain();
}

void ImportDialog::planAgain() {
    ImportOptions options;
    if (const QVariant id = comboType->currentData(); id.isValid()) {
        options.fallbackTypeId = id.toInt();
    }
    options.makeTypes = checkMakeTypes->isChecked();
    if (asksForDays_) {
        options.firstDay = static_cast<std::int64_t>(calendarDateOf(pickerFrom->date()));
        options.lastDay = static_cast<std::int64_t>(calendarDateOf(pickerTo->date()));
    }
    plan_ = planner_(options);
    const bool adds = !plan_.appointments.empty() || !plan_.typesToMake.empty();
    QString text;
    if (!plan_.refusal.empty()) {
        text = QString::fromStdString(plan_.refusal);
    } else {
        text = adds ? QString::fromStdString(plan_.additions()) + QStringLiteral(" will be added.")
                    : QStringLiteral("Nothing will be added.");
        if (const std::string notes = plan_.notes(); !notes.empty()) {
            text += QLatin1Char(' ') + QString::fromStdString(notes);
        }
    }
    labelSummary->setText(text);
    labelSummary->setAccessibleName(text);
    buttonImport->setEnabled(plan_.refusal.empty() && adds);
}

}  // namespace kalvo
