#include "types/widgets/WarningBox.h"

#include <QMessageBox>

namespace kalvo {

void showWarningBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok,
                    owner != nullptr && owner->isVisible() ? owner->window() : nullptr);
    box.exec();
}

}  // namespace kalvo
