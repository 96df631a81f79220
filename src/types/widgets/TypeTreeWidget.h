#pragma once

#include <QMetaType>
#include <QTreeWidget>
#include <cstdint>
#include <optional>

#include "model/Model.h"

class QMimeData;

namespace kalvo {

// What a type node carries; the root carries none.
struct TypeNodeData {
    std::int32_t id = 0;        // the type's id when the node was made
    EventType* type = nullptr;  // the type in `types`, not owned
};

// The format of a dragged type: its id as decimal text.
inline constexpr char kTypeIdMimeFormat[] = "application/x-kalvo-type-id";

// The id a drag from the type tree carries, or none when the data is not such a drag.
std::optional<std::int32_t> draggedTypeId(const QMimeData& data);

// The tree control of the appointment types. It drags the selected type node by itself when
// the left button is pressed on it and the pointer moves; the root is never dragged and
// nothing is dropped on the tree. A drag only ever copies: a target that takes it as a move
// would otherwise make the view remove the node.
class TypeTreeWidget : public QTreeWidget {
    Q_OBJECT

public:
    explicit TypeTreeWidget(QWidget* parent = nullptr);

    static std::optional<TypeNodeData> nodeData(const QTreeWidgetItem* node);
    static void setNodeData(QTreeWidgetItem& node, const TypeNodeData& data);

    // The drag's data for these nodes: the first type node's id; none without a type node.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
};

}  // namespace kalvo

Q_DECLARE_METATYPE(kalvo::TypeNodeData)
