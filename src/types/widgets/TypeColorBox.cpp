#include "types/widgets/TypeColorBox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

#include "gui/StoredColor.h"

namespace kalvo {
namespace {

QIcon swatch(std::int32_t stored, const QSize& size) {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.setBrush(colorFromStored(stored));
    painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    return QIcon(picture);
}

QString customColorName(std::int32_t stored) {
    const auto value = static_cast<std::uint32_t>(stored);
    if ((value & 0xFF000000U) != 0) {
        return QStringLiteral("0x%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
    }
    return colorFromStored(stored).name().toUpper();
}

}  // namespace

TypeColorBox::TypeColorBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(24, 12));
    addItem(customEntryText());
    for (const NamedStoredColor& color : namedStoredColors()) {
        addItem(swatch(color.stored, iconSize()), QString::fromUtf8(color.name), color.stored);
    }
    setMaxVisibleItems(16);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index != 0) {
            lastColorIndex_ = index;
        }
    });
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index == 0) {
            chooseCustomColor();
        }
    });
    setSelectedColor(0x008000);
}

std::optional<std::int32_t> TypeColorBox::selectedColor() const {
    const QVariant stored = currentData();
    if (currentIndex() <= 0 || !stored.isValid()) {
        return std::nullopt;
    }
    return stored.toInt();
}

void TypeColorBox::setSelectedColor(std::optional<std::int32_t> stored) {
    if (!stored) {
        setCurrentIndex(-1);
        return;
    }
    const int index = indexOfColor(*stored);
    if (index >= 0) {
        setCurrentIndex(index);
    } else {
        showCustomColor(*stored);
    }
}

int TypeColorBox::indexOfColor(std::int32_t stored) const {
    for (int index = 1; index < count(); ++index) {
        if (index != customIndex_ && itemData(index).toInt() == stored) {
            return index;
        }
    }
    return -1;
}

void TypeColorBox::showCustomColor(std::int32_t stored) {
    // One custom entry, right below "Custom...", reused for every colour outside the list.
    if (customIndex_ < 0) {
        customIndex_ = 1;
        insertItem(customIndex_, QString());
    }
    setItemText(customIndex_, customColorName(stored));
    setItemIcon(customIndex_, swatch(stored, iconSize()));
    setItemData(customIndex_, stored);
    setCurrentIndex(customIndex_);
}

void TypeColorBox::chooseCustomColor() {
    const int previous = lastColorIndex_;
    const QVariant current = previous > 0 ? itemData(previous) : QVariant();
    QColorDialog dialog(current.isValid() ? colorFromStored(current.toInt()) : QColor(Qt::black),
                        this);
    dialog.setObjectName(QStringLiteral("customColorDialog"));
    if (dialog.exec() == QDialog::Accepted) {
        setSelectedColor(storedFromRgb(dialog.selectedColor()));
    } else {
        setCurrentIndex(previous);
    }
}

}  // namespace kalvo
