#include "gui/SectionedToolBar.h"

#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QMenu>
#include <QSet>
#include <QToolButton>
#include <QWidgetAction>
#include <algorithm>
#include <stdexcept>

namespace kalvo {

namespace {

void keepButtonLayout(QToolBar& toolBar) {
    // The toolbar's layout takes its spacing and margins from the style, and again on every
    // style change.
    if (QLayout* layout = toolBar.layout()) {
        layout->setSpacing(SectionedToolBar::buttonSpacing);
        const int margin = SectionedToolBar::margin;
        layout->setContentsMargins(margin, margin, margin, margin);
    }
}

}  // namespace

SectionedToolBar::SectionedToolBar(const QStringList& sections, QWidget* parent)
    : QToolBar(parent), sections_(sections) {
    setObjectName(QStringLiteral("toolBar"));
    setWindowTitle(tr("Toolbar"));
    setAccessibleName(tr("Toolbar"));
    // The toolbar stays along the top of the window; its arrangement is changed in the
    // customisation dialog, not by dragging it elsewhere.
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(pictureSize);
    keepButtonLayout(*this);
}

void SectionedToolBar::addButton(const ToolBarButton& button) {
    if (button.name.isEmpty() || button.action == nullptr) {
        throw std::invalid_argument("a toolbar button needs a name and an action");
    }
    if (placeOf(button.name) != nullptr) {
        throw std::invalid_argument("two toolbar buttons named " + button.name.toStdString());
    }
    if (!sections_.contains(button.section)) {
        sections_.append(button.section);
    }

    auto* widget = new QToolButton(this);
    widget->setObjectName(button.name);
    widget->setText(button.caption);
    widget->setIcon(button.icon);
    widget->setIconSize(pictureSize);
    widget->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    widget->setAutoRaise(true);
    // Like the buttons QToolBar makes itself: every command has its key, and the focus belongs
    // to the window's controls.
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setFixedSize(buttonSize);
    widget->setToolTip(button.hint);
    widget->setAccessibleName(button.caption);
    widget->setAccessibleDescription(button.longCaption);
    if (button.dropDown != nullptr) {
        widget->setMenu(button.dropDown);
        widget->setPopupMode(QToolButton::MenuButtonPopup);
    }
    QAction* const action = button.action;
    widget->setEnabled(action->isEnabled());
    connect(action, &QAction::changed, widget,
            [widget, action] { widget->setEnabled(action->isEnabled()); });
    connect(widget, &QToolButton::clicked, action, [action] {
        if (action->isEnabled()) {
            action->trigger();
        }
    });

    auto* place = new QWidgetAction(this);
    place->setObjectName(button.name + QStringLiteral("Place"));
    place->setDefaultWidget(widget);
    buttons_.append(button);
    places_.append(place);

    apply(customised_ ? completed(arrangement_) : initialArrangement());
}

QToolButton* SectionedToolBar::button(const QString& name) const {
    QWidgetAction* const place = placeOf(name);
    return place != nullptr ? qobject_cast<QToolButton*>(place->defaultWidget()) : nullptr;
}

QWidgetAction* SectionedToolBar::placeOf(const QString& name) const {
    for (qsizetype i = 0; i < buttons_.size(); ++i) {
        if (buttons_.at(i).name == name) {
            return places_.at(i);
        }
    }
    return nullptr;
}

ToolBarArrangement SectionedToolBar::initialArrangement() const {
    QList<const ToolBarButton*> ordered;
    for (const ToolBarButton& button : buttons_) {
        ordered.append(&button);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const ToolBarButton* left, const ToolBarButton* right) {
                         return left->initialPosition < right->initialPosition;
                     });
    ToolBarArrangement arrangement;
    for (const ToolBarButton* button : ordered) {
        arrangement.append({button->name, button->shownAtFirst});
    }
    return arrangement;
}

ToolBarArrangement SectionedToolBar::completed(const ToolBarArrangement& arrangement) const {
    ToolBarArrangement result;
    QSet<QString> taken;
    for (const ToolBarSlot& slot : arrangement) {
        if (placeOf(slot.name) != nullptr && !taken.contains(slot.name)) {
            taken.insert(slot.name);
            result.append(slot);
        }
    }
    for (const ToolBarSlot& slot : initialArrangement()) {
        if (!taken.contains(slot.name)) {
            result.append(slot);
        }
    }
    return result;
}

void SectionedToolBar::setArrangement(const ToolBarArrangement& arrangement) {
    customised_ = true;
    apply(completed(arrangement));
}

void SectionedToolBar::resetArrangement() {
    customised_ = false;
    apply(initialArrangement());
}

void SectionedToolBar::apply(const ToolBarArrangement& arrangement) {
    QList<QAction*> order;
    for (const ToolBarSlot& slot : arrangement) {
        order.append(placeOf(slot.name));
    }
    // Taking a button out of the toolbar and putting it back releases and re-parents its
    // widget, so the buttons are only re-inserted when their order changes.
    if (actions() != order) {
        for (QWidgetAction* place : places_) {
            removeAction(place);
        }
        addActions(order);
    }
    for (qsizetype i = 0; i < arrangement.size(); ++i) {
        order.at(i)->setVisible(arrangement.at(i).shown);
    }
    const bool changed = arrangement != arrangement_;
    arrangement_ = arrangement;
    if (changed) {
        emit arrangementChanged();
    }
}

void SectionedToolBar::changeEvent(QEvent* event) {
    QToolBar::changeEvent(event);
    if (event->type() == QEvent::StyleChange) {
        keepButtonLayout(*this);
    }
}

}  // namespace kalvo
