#include "app/AnchoredLayout.h"

#include <QWidget>

namespace kalvo {

AnchoredLayout::AnchoredLayout(QSize designSize, QWidget* parent)
    : QLayout(parent), designSize_(designSize) {
    setContentsMargins(0, 0, 0, 0);
}

AnchoredLayout::~AnchoredLayout() {
    for (const Entry& entry : entries_) {
        delete entry.item;
    }
}

void AnchoredLayout::addAnchored(QWidget* widget, QRect designGeometry, int anchors) {
    addChildWidget(widget);
    entries_.push_back({new QWidgetItem(widget), designGeometry, anchors});
    invalidate();
}

void AnchoredLayout::addItem(QLayoutItem* item) {
    entries_.push_back({item, item->geometry(), AnchorLeft | AnchorTop});
}

QLayoutItem* AnchoredLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].item : nullptr;
}

QLayoutItem* AnchoredLayout::takeAt(int index) {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    QLayoutItem* item = entries_[static_cast<std::size_t>(index)].item;
    entries_.erase(entries_.begin() + index);
    return item;
}

int AnchoredLayout::count() const {
    return static_cast<int>(entries_.size());
}

QSize AnchoredLayout::sizeHint() const {
    return designSize_;
}

QSize AnchoredLayout::minimumSize() const {
    return {0, 0};
}

void AnchoredLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const int grownWidth = rect.width() - designSize_.width();
    const int grownHeight = rect.height() - designSize_.height();
    for (const Entry& entry : entries_) {
        QRect placed = entry.design;
        if (entry.anchors & AnchorRight) {
            if (entry.anchors & AnchorLeft) {
                placed.setWidth(std::max(0, placed.width() + grownWidth));
            } else {
                placed.moveLeft(placed.left() + grownWidth);
            }
        }
        if (entry.anchors & AnchorBottom) {
            if (entry.anchors & AnchorTop) {
                placed.setHeight(std::max(0, placed.height() + grownHeight));
            } else {
                placed.moveTop(placed.top() + grownHeight);
            }
        }
        entry.item->setGeometry(placed.translated(rect.topLeft()));
    }
}

}  // namespace kalvo
