#include "day/widgets/UpDownButtons.h"

#include <QToolButton>

namespace kalvo {
namespace {

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& componentName,
                         const QString& spokenName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(componentName);
    button->setAccessibleName(spokenName);
    button->setToolTip(spokenName);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // Reached by Tab, but a click leaves the focus where it was: shifting an occurrence while
    // typing its comment must not take the caret out of the comment.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

}  // namespace

UpDownButtons::UpDownButtons(const QString& componentName, const QString& subject, QWidget* parent)
    : QWidget(parent),
      up_(arrowButton(Qt::UpArrow, componentName + QStringLiteral(" up"),
                      subject + QStringLiteral(" earlier"), this)),
      down_(arrowButton(Qt::DownArrow, componentName + QStringLiteral(" down"),
                        subject + QStringLiteral(" later"), this)) {
    setObjectName(componentName);
    setAccessibleName(subject);
    setFocusProxy(up_);
    connect(up_, &QToolButton::clicked, this, [this] { emit arrowClicked(UpDownArrow::up); });
    connect(down_, &QToolButton::clicked, this, [this] { emit arrowClicked(UpDownArrow::down); });
}

QSize UpDownButtons::sizeHint() const {
    return {17, 25};
}

void UpDownButtons::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int upHeight = (height() + 1) / 2;
    up_->setGeometry(0, 0, width(), upHeight);
    down_->setGeometry(0, upHeight, width(), height() - upHeight);
}

}  // namespace kalvo
