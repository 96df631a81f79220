#pragma once

#include <QLayout>
#include <QRect>
#include <vector>

namespace kalvo {

enum Anchor { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };

// Places widgets at fixed positions of a design size and lets each follow the edges it is
// anchored to when the container grows or shrinks: anchored to both opposite edges it
// stretches, anchored to the far edge alone it moves.
class AnchoredLayout : public QLayout {
public:
    explicit AnchoredLayout(QSize designSize, QWidget* parent = nullptr);
    ~AnchoredLayout() override;

    void addAnchored(QWidget* widget, QRect designGeometry, int anchors);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item;
        QRect design;
        int anchors;
    };
    QSize designSize_;
    std::vector<Entry> entries_;
};

}  // namespace kalvo
