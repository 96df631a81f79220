#include "types/widgets/TypeTreeController.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>
#include <algorithm>

#include "types/TypeCommands.h"
#include "types/TypeTree.h"
#include "types/widgets/TypePage.h"
#include "types/widgets/TypeTreeWidget.h"

namespace kalvo {
namespace {

// The in-place caption editor reports an accepted edit instead of storing it: the root keeps
// its caption, and a type node takes the text only through its type.
class CaptionDelegate : public QStyledItemDelegate {
public:
    using Edited = std::function<void(const QModelIndex&, const QString&)>;

    CaptionDelegate(Edited edited, QObject* parent)
        : QStyledItemDelegate(parent), edited_(std::move(edited)) {}

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (const auto* line = qobject_cast<const QLineEdit*>(editor)) {
            edited_(index, line->text());
        }
    }

private:
    Edited edited_;
};

}  // namespace

TypeTreeController::TypeTreeController(Model& model, EditHistory& history, TypeTreeWidget& tree,
                                       TypePage& page, TypeTreeServices services, QObject* parent)
    : QObject(parent),
      model_(model),
      history_(history),
      tree_(tree),
      page_(page),
      services_(std::move(services)) {
    tree_.setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    tree_.setItemDelegate(new CaptionDelegate(
        [this](const QModelIndex& index, const QString& text) {
            if (QTreeWidgetItem* node = tree_.itemFromIndex(index)) {
                treeEdited(*node, text);
            }
        },
        this));  // goes with the controller; the view forgets a destroyed delegate
    tree_.viewport()->installEventFilter(this);
    connect(&tree_, &QTreeWidget::itemSelectionChanged, this, &TypeTreeController::treeChange);
    connect(&page_, &TypePage::applyClicked, this, &TypeTreeController::ButtonSaveEventTypeClick);
    connect(&page_, &TypePage::playRequested, this, [this](const QString& fileName) {
        if (services_.playSound) {
            services_.playSound(fileName);  // a sound that does not start is no news
        }
    });
    connect(&page_, &TypePage::stopRequested, this, [this] {
        if (services_.stopSound) {
            services_.stopSound();
        }
    });
}

QTreeWidgetItem* TypeTreeController::selectedNode() const {
    const QList<QTreeWidgetItem*> selected = tree_.selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

EventType* TypeTreeController::selectedType() const {
    const auto data = TypeTreeWidget::nodeData(selectedNode());
    return data ? data->type : nullptr;
}

void TypeTreeController::rebuildTypeTree(std::int32_t selectId) {
    {
        // One change of selection when the tree is ready, not one per removed node.
        const QSignalBlocker quiet(&tree_);
        tree_.clear();
        rootNode_ = new QTreeWidgetItem(&tree_, {QString::fromUtf8(kRootNodeCaption)});
        rootNode_->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        const TypeTreeLayout layout = layTypeTree(model_.types, selectId);
        std::vector<QTreeWidgetItem*> nodes;
        nodes.reserve(layout.nodes.size());
        for (const TypeTreeNode& node : layout.nodes) {
            QTreeWidgetItem* parentNode = node.parent == kUnderRoot
                                              ? rootNode_
                                              : nodes[static_cast<std::size_t>(node.parent)];
            nodes.push_back(addNode(*parentNode, *node.type));
        }
        tree_.expandAll();
        if (layout.selected == kSelectNothing) {
            selectNode(nullptr);
        } else {
            selectNode(layout.selected == kSelectRoot
                           ? rootNode_
                           : nodes[static_cast<std::size_t>(layout.selected)]);
        }
    }
    treeChange();
}

int TypeTreeController::findTypeNodeIndex(std::int32_t id) const {
    int index = 0;
    for (QTreeWidgetItemIterator node(&tree_); *node != nullptr; ++node, ++index) {
        const auto data = TypeTreeWidget::nodeData(*node);
        if (data && data->id == id) {
            return index;
        }
    }
    return -1;
}

QTreeWidgetItem* TypeTreeController::addNode(QTreeWidgetItem& parentNode, EventType& type) {
    auto* node = new QTreeWidgetItem(&parentNode, {QString::fromStdString(type.name)});
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                   Qt::ItemIsDragEnabled);
    TypeTreeWidget::setNodeData(*node, {type.id, &type});
    return node;
}

void TypeTreeController::selectNode(QTreeWidgetItem* node) {
    if (node == nullptr) {
        tree_.clearSelection();
        tree_.setCurrentItem(nullptr);
        return;
    }
    tree_.setCurrentItem(node);
}

void TypeTreeController::treeChange() {
    page_.showTypeOnPage(selectedType());
}

void TypeTreeController::treeEdited(QTreeWidgetItem& node, const QString& text) {
    const auto data = TypeTreeWidget::nodeData(&node);
    if (!data) {
        return;  // the root keeps "Appointment Types"
    }
    const auto found = std::find_if(
        model_.types.begin(), model_.types.end(),
        [&data](const std::unique_ptr<EventType>& type) { return type.get() == data->type; });
    if (found == model_.types.end()) {
        return;
    }
    EventType& type = **found;
    recordTypeStep("Rename " + type.name, &type, [&] { type.name = text.toStdString(); });
    node.setText(0, text);
    page_.showTypeOnPage(&type);
    if (services_.buildDay) {
        services_.buildDay();
    }
}

bool TypeTreeController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_.viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        return treeMouseDown(mouse->position().toPoint(), mouse->button());
    }
    return QObject::eventFilter(watched, event);
}

bool TypeTreeController::treeMouseDown(const QPoint& position, Qt::MouseButton button) {
    QTreeWidgetItem* node = tree_.itemAt(position);
    if (button == Qt::RightButton) {
        // The context menu acts on the node under the pointer, or on none over empty space.
        selectNode(node);
        return true;
    }
    // A left click beside the nodes would clear the selection and with it the page's pending
    // edits; it leaves both alone.
    return button == Qt::LeftButton && node == nullptr;
}

void TypeTreeController::actionAddNodeExecute() {
    if (rootNode_ == nullptr) {
        rebuildTypeTree(kNoTypeId);
    }
    // With nothing selected the new type goes to the top, as with the root selected.
    QTreeWidgetItem* parentNode = selectedNode() != nullptr ? selectedNode() : rootNode_;
    const auto parentData = TypeTreeWidget::nodeData(parentNode);
    EventType* type = nullptr;
    recordTypeStep("Add Event Type", nullptr,
                   [&] { type = &createType(model_, parentData ? parentData->type : nullptr); });
    QTreeWidgetItem* node = addNode(*parentNode, *type);
    parentNode->setExpanded(true);
    selectNode(node);
}

void TypeTreeController::actionEditNodeExecute() {
    EventType* type = selectedType();
    if (const std::string refusal = editTypeRefusal(type); !refusal.empty()) {
        warn(refusal);
        return;
    }
    if (services_.showTypePage) {
        services_.showTypePage();
    }
    if (model_.hoverPanel != nullptr) {
        rebuildTypeTree(type->id);
    }
    page_.focusTypeName();
}

void TypeTreeController::actionDeleteNodeExecute() {
    QTreeWidgetItem* node = selectedNode();
    if (node == nullptr) {
        return;
    }
    const auto data = TypeTreeWidget::nodeData(node);
    const EventType* type = data ? data->type : nullptr;
    if (const std::string refusal = deleteTypeRefusal(model_, type, node->childCount() > 0);
        !refusal.empty()) {
        warn(refusal);
        return;
    }
    if (type == nullptr) {
        return;  // the root alone: nothing to delete
    }
    recordTypeStep("Delete Event Type", type, [&] { removeType(model_, *type); });
    rebuildTypeTree(kNoTypeId);
}

void TypeTreeController::EditEventType1Click() {
    editCorrespondingType(model_.hoverPanel);
}

void TypeTreeController::editCorrespondingType(const EventDataRow* row) {
    if (services_.showTypePage) {
        services_.showTypePage();
    }
    if (row != nullptr && row->event != nullptr) {
        rebuildTypeTree(row->event->typeId);
    }
    page_.focusTypeName();
}

void TypeTreeController::ButtonSaveEventTypeClick() {
    const auto data = TypeTreeWidget::nodeData(selectedNode());
    if (!data) {
        return;
    }
    const std::int32_t id = data->id;
    recordTypeStep("Edit Event Type", data->type, [&] { page_.readTypePage(*data->type); });
    if (services_.buildDay) {
        services_.buildDay();
    }
    rebuildTypeTree(id);
}

void TypeTreeController::recordTypeStep(const std::string& label, const EventType* type,
                                        const std::function<void()>& edit) {
    history_.record(label, typeEditScope(model_, type), {model_.selectedDate, -1}, edit);
}

void TypeTreeController::warn(const std::string& text) const {
    if (services_.showWarning) {
        services_.showWarning(QString::fromStdString(text));
    }
}

}  // namespace kalvo
