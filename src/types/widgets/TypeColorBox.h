#pragma once

#include <QComboBox>
#include <cstdint>
#include <optional>

namespace kalvo {

// The colour list of the type page: "Custom..." first, then the named colours (standard,
// extended, system), each with a swatch. A stored value that is none of them is shown as a
// custom colour entry, so that any value the files hold comes back unchanged.
class TypeColorBox : public QComboBox {
    Q_OBJECT

public:
    explicit TypeColorBox(QWidget* parent = nullptr);

    // The stored 0x00BBGGRR value (or system colour value) of the selection; none without one.
    std::optional<std::int32_t> selectedColor() const;
    void setSelectedColor(std::optional<std::int32_t> stored);

    static QString customEntryText() { return QStringLiteral("Custom..."); }

private:
    void chooseCustomColor();
    int indexOfColor(std::int32_t stored) const;
    void showCustomColor(std::int32_t stored);

    int customIndex_ = -1;     // the entry of a colour outside the list, once there is one
    int lastColorIndex_ = -1;  // what to go back to when the colour dialog is cancelled
};

}  // namespace kalvo
