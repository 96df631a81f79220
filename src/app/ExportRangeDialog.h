#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;

namespace kalvo {

// Asks for the first and the last date an export writes; the last is never before the first.
class ExportRangeDialog : public QDialog {
    Q_OBJECT

public:
    ExportRangeDialog(const QString& caption, QDate from, QDate to, QWidget* parent);

    QDate from() const;
    QDate to() const;

    QDateEdit* pickerFrom = nullptr;
    QDateEdit* pickerTo = nullptr;
};

}  // namespace kalvo
