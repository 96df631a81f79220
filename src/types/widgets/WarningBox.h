#pragma once

class QString;
class QWidget;

namespace kalvo {

// showWarning: a modal message box captioned "Warning", with the warning icon and one OK
// button, over `owner` (none: over whatever window is active).
void showWarningBox(QWidget* owner, const QString& text);

}  // namespace kalvo
