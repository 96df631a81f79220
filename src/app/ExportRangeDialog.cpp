#include "app/ExportRangeDialog.h"

#include <algorithm>

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLocale>

#include "gui/AccessibleNames.h"

namespace kalvo {

ExportRangeDialog::ExportRangeDialog(const QString& caption, QDate from, QDate to, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ExportRangeDialog"));
    setWindowTitle(caption);
    const auto picker = [this](const QString& name, const QString& label, QDate date) {
        auto* edit = named(new QDateEdit(date, this), name, label);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        return edit;
    };
    pickerFrom = picker(QStringLiteral("pickerFrom"), QStringLiteral("From"), from);
    pickerTo = picker(QStringLiteral("pickerTo"), QStringLiteral("To"), std::max(from, to));
    pickerTo->setMinimumDate(from);
    connect(pickerFrom, &QDateEdit::dateChanged, pickerTo, &QDateEdit::setMinimumDate);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&From:"), pickerFrom);
    form->addRow(QStringLiteral("&To:"), pickerTo);
    form->addRow(buttons);
}

QDate ExportRangeDialog::from() const {
    return pickerFrom->date();
}

QDate ExportRangeDialog::to() const {
    return pickerTo->date();
}

}  // namespace kalvo
