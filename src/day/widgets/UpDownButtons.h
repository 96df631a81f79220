#pragma once

#include <QWidget>

class QToolButton;

namespace kalvo {

enum class UpDownArrow { up, down };

// A pair of arrow buttons, one above the other, that only reports which arrow was pressed: it
// holds no value of its own. Held down, an arrow repeats its report, as a scroll arrow does.
class UpDownButtons : public QWidget {
    Q_OBJECT

public:
    // The arrows are announced and hinted by what they move: "`subject` earlier" and
    // "`subject` later", so that a screen reader tells the pairs of a page apart.
    UpDownButtons(const QString& componentName, const QString& subject, QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    QSize sizeHint() const override;

signals:
    void arrowClicked(kalvo::UpDownArrow arrow);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace kalvo
