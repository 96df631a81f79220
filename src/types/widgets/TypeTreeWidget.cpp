#include "types/widgets/TypeTreeWidget.h"

#include <QMimeData>

namespace kalvo {
namespace {

constexpr int kNodeDataRole = Qt::UserRole;

}  // namespace

std::optional<std::int32_t> draggedTypeId(const QMimeData& data) {
    const QString format = QString::fromLatin1(kTypeIdMimeFormat);
    if (!data.hasFormat(format)) {
        return std::nullopt;
    }
    bool ok = false;
    const int id = data.data(format).toInt(&ok);
    return ok ? std::optional<std::int32_t>(id) : std::nullopt;
}

TypeTreeWidget::TypeTreeWidget(QWidget* parent) : QTreeWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

std::optional<TypeNodeData> TypeTreeWidget::nodeData(const QTreeWidgetItem* node) {
    if (node == nullptr) {
        return std::nullopt;
    }
    const QVariant data = node->data(0, kNodeDataRole);
    if (!data.canConvert<TypeNodeData>()) {
        return std::nullopt;
    }
    return data.value<TypeNodeData>();
}

void TypeTreeWidget::setNodeData(QTreeWidgetItem& node, const TypeNodeData& data) {
    node.setData(0, kNodeDataRole, QVariant::fromValue(data));
}

QStringList TypeTreeWidget::mimeTypes() const {
    return {QString::fromLatin1(kTypeIdMimeFormat)};
}

QMimeData* TypeTreeWidget::mimeData(const QList<QTreeWidgetItem*>& items) const {
    for (const QTreeWidgetItem* item : items) {
        if (const auto node = nodeData(item)) {
            auto* mime = new QMimeData;
            mime->setData(QString::fromLatin1(kTypeIdMimeFormat), QByteArray::number(node->id));
            return mime;
        }
    }
    return nullptr;
}

void TypeTreeWidget::startDrag(Qt::DropActions) {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty() || !nodeData(selected.constFirst())) {
        return;  // the root is no type to drag
    }
    QTreeWidget::startDrag(Qt::CopyAction);
}

}  // namespace kalvo
