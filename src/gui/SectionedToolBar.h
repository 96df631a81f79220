#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QToolBar>

class QAction;
class QEvent;
class QMenu;
class QToolButton;
class QWidgetAction;

namespace kalvo {

// One button the toolbar can show. The button runs `action` but keeps its own caption, hint
// and picture, since a toolbar caption is often shorter than the command's ("Help" for
// "Contents").
struct ToolBarButton {
    QString name;         // component name, e.g. "SpeedItemEditNote": the button's objectName
    QString caption;      // under the picture
    QString longCaption;  // in the customisation dialog
    QString hint;         // the tooltip; an empty hint shows none
    QString section;      // groups the button in the customisation dialog
    QAction* action = nullptr;
    QIcon icon;
    QMenu* dropDown = nullptr;  // shown by the button's arrow; the button itself runs `action`
    bool shownAtFirst = true;
    // Place in the first arrangement, hidden buttons included, so that a hidden button
    // shown later appears where it was meant to be; ties keep the order of addButton.
    int initialPosition = 0;
};

// One button in an arrangement.
struct ToolBarSlot {
    QString name;
    bool shown = true;

    bool operator==(const ToolBarSlot&) const = default;
};

// Every button of a toolbar once, from left to right, hidden ones in the place they take
// when shown.
using ToolBarArrangement = QList<ToolBarSlot>;

// A toolbar whose buttons belong to named sections and whose arrangement (which buttons are
// shown, in which order) the user changes and the program keeps between runs. It holds only
// the buttons added through addButton.
class SectionedToolBar : public QToolBar {
    Q_OBJECT

public:
    static constexpr QSize buttonSize{70, 50};
    static constexpr int buttonSpacing = 3;
    static constexpr int margin = 3;  // around the buttons: the toolbar is 56 pixels high
    static constexpr QSize pictureSize{32, 32};

    // `sections` gives the order of the sections in the customisation dialog; a button of a
    // section not named there adds it at the end.
    explicit SectionedToolBar(const QStringList& sections, QWidget* parent = nullptr);

    QStringList sections() const { return sections_; }

    // Throws std::invalid_argument for a button without name or action, or with the name of
    // a button already added.
    void addButton(const ToolBarButton& button);

    // In the order they were added.
    const QList<ToolBarButton>& buttons() const { return buttons_; }
    // nullptr when there is no such button.
    QToolButton* button(const QString& name) const;

    ToolBarArrangement arrangement() const { return arrangement_; }
    ToolBarArrangement initialArrangement() const;

    // Takes the buttons in the order given: names of no button and repeated names are passed
    // over, and a button the arrangement leaves out keeps its initial shown state at the
    // right end (a button added after the arrangement was saved).
    void setArrangement(const ToolBarArrangement& arrangement);
    void resetArrangement();

signals:
    void arrangementChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    ToolBarArrangement completed(const ToolBarArrangement& arrangement) const;
    void apply(const ToolBarArrangement& arrangement);
    QWidgetAction* placeOf(const QString& name) const;

    QStringList sections_;
    QList<ToolBarButton> buttons_;
    QList<QWidgetAction*> places_;  // parallel to buttons_
    ToolBarArrangement arrangement_;
    bool customised_ = false;
};

}  // namespace kalvo
