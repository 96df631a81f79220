#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QTest>
#include <QTreeWidgetItemIterator>
#include <memory>

#include "model/Model.h"
#include "types/widgets/TypePage.h"
#include "types/widgets/TypeTreeController.h"
#include "types/widgets/TypeTreeWidget.h"
#include "types/widgets/WarningBox.h"

namespace kalvo::test {

// The tree and the page in one window, as the main window holds them, over a model put
// together in code. What the controller asks of the window is counted.
struct TypeEditor {
    Model model;
    EditHistory history{model};
    QWidget window;
    TypeTreeWidget* tree = nullptr;
    TypePage* page = nullptr;
    std::unique_ptr<TypeTreeController> controller;
    int dayBuilds = 0;
    int typePageShown = 0;
    int stops = 0;
    QStringList played;

    TypeEditor() {
        auto* row = new QHBoxLayout(&window);
        tree = new TypeTreeWidget(&window);
        tree->setHeaderHidden(true);
        page = new TypePage(&window);
        row->addWidget(tree);
        row->addWidget(page, 1);
        window.resize(640, 300);
    }

    EventType& type(std::int32_t id, const char* name, EventType* parent = nullptr) {
        auto type = std::make_unique<EventType>();
        type->id = id;
        type->name = name;
        type->parent = parent;
        type->parentId = parent != nullptr ? parent->id : -1;
        return *model.types.emplace_back(std::move(type));
    }

    // An appointment of `type` with one row starting on `date`.
    EventDataRow& rowOf(EventType& type, DateTime date, bool deleted = false) {
        auto event = std::make_unique<Event>();
        event->id = model.nextEventId();
        event->typeId = type.id;
        event->type = &type;
        auto row = std::make_unique<EventDataRow>();
        row->id = model.nextEventDataId();
        row->eventId = event->id;
        row->event = event.get();
        row->startDate = date;
        row->endDate = date;
        row->deleted = deleted;
        event->eventData.push_back(row.get());
        model.rootEvents.push_back(event.get());
        model.events.push_back(std::move(event));
        return *model.eventDataPanels.emplace_back(std::move(row));
    }

    // Builds the tree as the main window does after the load, and shows the window.
    void open() {
        controller = std::make_unique<TypeTreeController>(
            model, history, *tree, *page,
            TypeTreeServices{
                .showWarning = [this](const QString& text) { showWarningBox(&window, text); },
                .buildDay = [this] { ++dayBuilds; },
                .playSound =
                    [this](const QString& fileName) {
                        played << fileName;
                        return true;
                    },
                .stopSound = [this] { ++stops; },
                .showTypePage = [this] { ++typePageShown; }});
        controller->rebuildTypeTree(-1);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // The node with this caption, first in tree order.
    QTreeWidgetItem* node(const QString& caption) const {
        for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
            if ((*it)->text(0) == caption) {
                return *it;
            }
        }
        ADD_FAILURE() << "no node " << caption.toStdString();
        return nullptr;
    }

    QPoint pointOf(const QTreeWidgetItem* item) const {
        return tree->visualItemRect(item).center();
    }

    void click(const QString& caption, Qt::MouseButton button = Qt::LeftButton) {
        if (QTreeWidgetItem* item = node(caption)) {
            QTest::mouseClick(tree->viewport(), button, {}, pointOf(item));
        }
    }

    // Every caption in tree order, nested ones indented by two spaces per level.
    QStringList captions() const {
        QStringList lines;
        for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
            int depth = 0;
            for (const QTreeWidgetItem* up = (*it)->parent(); up != nullptr; up = up->parent()) {
                ++depth;
            }
            lines << QString(depth * 2, QLatin1Char(' ')) + (*it)->text(0);
        }
        return lines;
    }

    QString selectedCaption() const {
        const QTreeWidgetItem* selected = controller->selectedNode();
        return selected != nullptr ? selected->text(0) : QString();
    }
};

}  // namespace kalvo::test
