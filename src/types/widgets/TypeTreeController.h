#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "history/EditHistory.h"
#include "model/Model.h"

class QTreeWidgetItem;

namespace kalvo {

class TypePage;
class TypeTreeWidget;

// What the type tree and page need from the main window.
struct TypeTreeServices {
    // A modal box captioned "Warning" with the warning icon and one OK button (showWarningBox).
    std::function<void(const QString& text)> showWarning;
    // The day build, after a type's name or colour changed.
    std::function<void()> buildDay;
    // The sound player: start a file (true when it started), stop it.
    std::function<bool(const QString& fileName)> playSound;
    std::function<void()> stopSound;
    // Make "Appointment Type" the active page of the editor pages.
    std::function<void()> showTypePage;
};

// Drives the type tree and the Appointment Type page over the model's `types`: fills the tree,
// runs the type commands, renames in place, shows the selected type on the page and applies
// the page. The tree's selection decides what the page shows, what Add uses as parent, what
// Edit, Delete and Apply act on and what a drag carries.
class TypeTreeController : public QObject {
    Q_OBJECT

public:
    // Each command that changes the types is one step of `history`.
    TypeTreeController(Model& model, EditHistory& history, TypeTreeWidget& tree, TypePage& page,
                       TypeTreeServices services, QObject* parent = nullptr);

    QTreeWidgetItem* rootNode() const { return rootNode_; }
    // The selected node, none when nothing is selected.
    QTreeWidgetItem* selectedNode() const;
    // The selected node's type; none for the root or no selection.
    EventType* selectedType() const;

    // Clears and refills the tree from `types`, expands it and selects the node of selectId
    // (-1: none); without it the root while any type exists. The page then shows the selection.
    void rebuildTypeTree(std::int32_t selectId);
    // The absolute index (pre-order, root 0) of the first node carrying this id; -1 without.
    int findTypeNodeIndex(std::int32_t id) const;

    // The type commands, and "Apply" of the page.
    void actionAddNodeExecute();
    void actionEditNodeExecute();
    void actionDeleteNodeExecute();
    // "Edit Corresponding Type" on model.hoverPanel.
    void EditEventType1Click();
    // Shows the type page with the type of `row`'s appointment selected (none: as it is).
    void editCorrespondingType(const EventDataRow* row);
    void ButtonSaveEventTypeClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void treeChange();
    void treeEdited(QTreeWidgetItem& node, const QString& text);
    bool treeMouseDown(const QPoint& position, Qt::MouseButton button);
    QTreeWidgetItem* addNode(QTreeWidgetItem& parentNode, EventType& type);
    void selectNode(QTreeWidgetItem* node);
    void warn(const std::string& text) const;

    // Runs a command that changes `type` (none: adds one) as one step of the history.
    void recordTypeStep(const std::string& label, const EventType* type,
                        const std::function<void()>& edit);

    Model& model_;
    EditHistory& history_;
    TypeTreeWidget& tree_;
    TypePage& page_;
    TypeTreeServices services_;
    QTreeWidgetItem* rootNode_ = nullptr;
};

}  // namespace kalvo
