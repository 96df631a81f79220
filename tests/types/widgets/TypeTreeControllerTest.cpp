#include "types/widgets/TypeTreeController.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/ModalAnswer.h"
#include "types/widgets/FileNameEdit.h"
#include "types/widgets/TypeColorBox.h"
#include "types/widgets/TypeEditor.h"

namespace kalvo {
namespace {

using test::answerNextMessageBox;
using test::ModalMessage;

constexpr DateTime kMonday = 45292;

// Work with Meeting below it, then Home: the tree of most tests.
void addWorkMeetingHome(test::TypeEditor& editor) {
    EventType& work = editor.type(0, "Work");
    editor.type(1, "Meeting", &work);
    editor.type(2, "Home");
}

class TypeTreeTest : public ::testing::Test {
protected:
    void SetUp() override { addWorkMeetingHome(editor); }

    EventType& typeNamed(const std::string& name) {
        for (const auto& type : editor.model.types) {
            if (type->name == name) {
                return *type;
            }
        }
        ADD_FAILURE() << "no type " << name;
        return *editor.model.types.front();
    }

    // Opens the caption editor of the selected node by key and returns it.
    QLineEdit* startEditing(Qt::Key key = Qt::Key_F2) {
        editor.tree->setFocus();
        QTest::keyClick(editor.tree, key);
        auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        EXPECT_NE(line, nullptr) << "no caption editor opened";
        return line;
    }

    test::TypeEditor editor;
};

TEST_F(TypeTreeTest, RebuildShowsEveryTypeUnderTheRootExpandedWithTheRootSelected) {
    editor.open();
    EXPECT_EQ(editor.tree->topLevelItemCount(), 1);
    EXPECT_EQ(editor.captions(),
              (QStringList{"Appointment Types", "  Work", "    Meeting", "  Home"}));
    for (QTreeWidgetItemIterator it(editor.tree); *it != nullptr; ++it) {
        EXPECT_TRUE((*it)->childCount() == 0 || (*it)->isExpanded())
            << (*it)->text(0).toStdString();
    }
    EXPECT_EQ(editor.controller->selectedNode(), editor.controller->rootNode());
    EXPECT_FALSE(editor.page->editTypeName->isEnabled());

    const std::pair<std::int32_t, int> indexes[] = {{0, 1}, {1, 2}, {2, 3}, {7, -1}};
    for (const auto& [id, index] : indexes) {
        EXPECT_EQ(editor.controller->findTypeNodeIndex(id), index) << id;
    }
}

TEST_F(TypeTreeTest, WithoutTypesOnlyTheRootShowsAndNothingIsSelected) {
    editor.model.types.clear();
    editor.open();
    EXPECT_EQ(editor.captions(), QStringList{"Appointment Types"});
    EXPECT_EQ(editor.controller->selectedNode(), nullptr);
    EXPECT_FALSE(editor.page->ButtonSaveEventType->isEnabled());
}

TEST_F(TypeTreeTest, ClickingANodeShowsItsTypeOnThePage) {
    typeNamed("Meeting").comment = "weekly";
    editor.open();
    editor.click("Meeting");
    EXPECT_EQ(editor.page->editTypeName->text(), "Meeting");
    EXPECT_EQ(editor.page->editComment->text(), "weekly");
    EXPECT_TRUE(editor.page->ButtonSaveEventType->isEnabled());
    EXPECT_EQ(editor.typePageShown, 0) << "selecting a node never switches the page";
}

TEST_F(TypeTreeTest, RenameInPlace) {
    struct Case {
        const char* name;
        const char* node;
        Qt::Key start;      // F2 or a double click (Qt::Key_unknown)
        const char* typed;  // replaces the caption; null: Esc instead of Enter
        const char* caption;
        const char* typeName;  // the edited type's name afterwards; null for the root
        int dayBuilds;
    };
    const Case cases[] = {
        {"F2AndTyping", "Meeting", Qt::Key_F2, "Standup", "Standup", "Standup", 1},
        {"DoubleClick", "Home", Qt::Key_unknown, "House", "House", "House", 1},
        {"EmptyNameIsAccepted", "Home", Qt::Key_F2, "", "", "", 1},
        {"EscDiscards", "Meeting", Qt::Key_F2, nullptr, "Meeting", "Meeting", 0},
        {"RootKeepsItsName", "Appointment Types", Qt::Key_F2, "Things", "Appointment Types",
         nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TypeEditor fresh;
        addWorkMeetingHome(fresh);
        fresh.open();
        QTreeWidgetItem* item = fresh.node(QString::fromUtf8(c.node));
        ASSERT_NE(item, nullptr);
        fresh.click(item->text(0));
        QLineEdit* line = nullptr;
        if (c.start == Qt::Key_unknown) {
            QTest::mouseDClick(fresh.tree->viewport(), Qt::LeftButton, {}, fresh.pointOf(item));
            line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        } else {
            fresh.tree->setFocus();
            QTest::keyClick(fresh.tree, c.start);
            line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        }
        ASSERT_NE(line, nullptr) << "no caption editor opened";
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Backspace);
        if (c.typed != nullptr) {
            QTest::keyClicks(line, QString::fromUtf8(c.typed));
            QTest::keyClick(line, Qt::Key_Return);
        } else {
            QTest::keyClicks(line, QStringLiteral("Lost"));
            QTest::keyClick(line, Qt::Key_Escape);
        }
        QCoreApplication::processEvents();  // the editor hands its text over once it closes
        EXPECT_EQ(item->text(0), QString::fromUtf8(c.caption));
        const auto data = TypeTreeWidget::nodeData(item);
        if (c.typeName != nullptr) {
            ASSERT_TRUE(data.has_value());
            EXPECT_EQ(data->type->name, c.typeName);
            EXPECT_EQ(fresh.page->editTypeName->text(), QString::fromUtf8(c.typeName))
                << "the page shows the renamed type";
        }
        EXPECT_EQ(fresh.dayBuilds, c.dayBuilds);
    }
}

TEST_F(TypeTreeTest, RenamingRefillsThePageAndDropsItsPendingEdits) {
    editor.open();
    editor.click("Meeting");
    editor.page->editComment->setText("not applied");
    QLineEdit* line = startEditing();
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "x");
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.page->editComment->text(), "");
    EXPECT_EQ(typeNamed("x").comment, "");
}

TEST_F(TypeTreeTest, RightClickSelectsTheNodeUnderThePointerOrNone) {
    editor.open();
    editor.click("Home", Qt::RightButton);
    EXPECT_EQ(editor.selectedCaption(), "Home");
    EXPECT_EQ(editor.page->editTypeName->text(), "Home");

    const QRect last = editor.tree->visualItemRect(editor.node("Home"));
    const QPoint emptySpace(last.center().x(), last.bottom() + 40);
    ASSERT_EQ(editor.tree->itemAt(emptySpace), nullptr);
    QTest::mouseClick(editor.tree->viewport(), Qt::RightButton, {}, emptySpace);
    EXPECT_EQ(editor.controller->selectedNode(), nullptr);
    EXPECT_FALSE(editor.page->editTypeName->isEnabled());
    EXPECT_EQ(editor.page->editTypeName->text(), "");
}

TEST_F(TypeTreeTest, ALeftClickOnEmptySpaceKeepsTheShownType) {
    editor.open();
    editor.click("Home");
    editor.page->editComment->setText("pending");
    const QRect last = editor.tree->visualItemRect(editor.node("Home"));
    const QPoint emptySpace(last.center().x(), last.bottom() + 40);
    QTest::mouseClick(editor.tree->viewport(), Qt::LeftButton, {}, emptySpace);
    EXPECT_EQ(editor.selectedCaption(), "Home");
    EXPECT_EQ(editor.page->editComment->text(), "pending");
}

TEST_F(TypeTreeTest, AddPutsANewTypeUnderTheSelectedNodeAndSelectsIt) {
    struct Case {
        const char* name;
        const char* selected;  // null: nothing selected
        std::vector<QString> captions;
        std::int32_t parentId;
    };
    const Case cases[] = {
        {"UnderTheRoot",
         "Appointment Types",
         {"Appointment Types", "  Work", "    Meeting", "  Home", "  New Type"},
         -1},
        {"UnderAType",
         "Meeting",
         {"Appointment Types", "  Work", "    Meeting", "      New Type", "  Home"},
         1},
        {"NothingSelected",
         nullptr,
         {"Appointment Types", "  Work", "    Meeting", "  Home", "  New Type"},
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TypeEditor fresh;
        addWorkMeetingHome(fresh);
        fresh.open();
        if (c.selected != nullptr) {
            fresh.click(QString::fromUtf8(c.selected));
        } else {
            fresh.tree->clearSelection();
            fresh.tree->setCurrentItem(nullptr);
        }
        fresh.controller->actionAddNodeExecute();
        EXPECT_EQ(fresh.captions(), QStringList(c.captions.begin(), c.captions.end()));
        ASSERT_EQ(fresh.model.types.size(), 4u);
        const EventType& added = *fresh.model.types.back();
        EXPECT_EQ(added.id, 3);
        EXPECT_EQ(added.parentId, c.parentId);
        EXPECT_EQ(fresh.selectedCaption(), "New Type");
        EXPECT_EQ(fresh.page->editTypeName->text(), "New Type");
        EXPECT_EQ(fresh.page->comboColor->currentText(), "Green");
        EXPECT_EQ(fresh.page->comboImportance->currentText(), "Lowest");
        EXPECT_EQ(fresh.dayBuilds, 0) << "adding a type builds no day";
        EXPECT_EQ(fresh.tree->viewport()->findChild<QLineEdit*>(), nullptr)
            << "no in-place edit is started";
    }
}

TEST_F(TypeTreeTest, DeleteRefusesWithAWarningOrRebuildsWithTheRootSelected) {
    struct Case {
        const char* name;
        const char* selected;
        bool rowOnAnotherDate;  // of the selected type
        const char* warning;    // null: deleted without a question
    };
    const Case cases[] = {
        {"RootWithTypes", "Appointment Types", false,
         "Please remove the existing child types first."},
        {"TypeWithChildren", "Work", false, "Please remove the existing child types first."},
        {"TypeInUseOnAnotherDate", "Meeting", true,
         "This event type already used in the database. Please remove all events of this type "
         "first."},
        {"UnusedType", "Home", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TypeEditor fresh;
        EventType& work = fresh.type(0, "Work");
        EventType& meeting = fresh.type(1, "Meeting", &work);
        fresh.type(2, "Home");
        if (c.rowOnAnotherDate) {
            fresh.model.selectedDate = kMonday;
            fresh.rowOf(meeting, kMonday - 30, true);
        }
        fresh.open();
        fresh.click(QString::fromUtf8(c.selected));
        ModalMessage seen;
        if (c.warning != nullptr) {
            answerNextMessageBox(seen, QMessageBox::Ok);
        }
        fresh.controller->actionDeleteNodeExecute();
        if (c.warning != nullptr) {
            EXPECT_TRUE(seen.shown);
            EXPECT_EQ(seen.title, "Warning");
            EXPECT_EQ(seen.icon, QMessageBox::Warning);
            EXPECT_EQ(seen.text, QString::fromUtf8(c.warning));
            EXPECT_EQ(fresh.model.types.size(), 3u);
            EXPECT_EQ(fresh.selectedCaption(), QString::fromUtf8(c.selected));
        } else {
            EXPECT_EQ(fresh.captions(),
                      (QStringList{"Appointment Types", "  Work", "    Meeting"}));
            EXPECT_EQ(fresh.controller->selectedNode(), fresh.controller->rootNode());
            EXPECT_FALSE(fresh.page->editTypeName->isEnabled());
        }
    }
}

TEST_F(TypeTreeTest, DeletingTheLastTypeLeavesNothingSelected) {
    editor.model.types.clear();
    editor.type(0, "Only");
    editor.open();
    editor.click("Only");
    editor.controller->actionDeleteNodeExecute();
    EXPECT_TRUE(editor.model.types.empty());
    EXPECT_EQ(editor.controller->selectedNode(), nullptr);
    editor.controller->actionAddNodeExecute();
    EXPECT_EQ(editor.model.types.back()->id, 0) << "the deleted type's id is given again";
}

TEST_F(TypeTreeTest, EditTypeNeedsATypeNodeAndPutsTheFocusInTheName) {
    editor.open();
    ModalMessage seen;
    answerNextMessageBox(seen, QMessageBox::Ok);
    editor.controller->actionEditNodeExecute();
    EXPECT_EQ(seen.text, "Please select an appointment type in the appointment tree first.");
    EXPECT_EQ(seen.title, "Warning");
    EXPECT_EQ(editor.typePageShown, 0);

    editor.window.activateWindow();  // the closed box hands the focus back
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor.window));
    editor.click("Meeting");
    editor.page->editComment->setText("pending");
    editor.controller->actionEditNodeExecute();
    EXPECT_EQ(editor.typePageShown, 1);
    EXPECT_EQ(QApplication::focusWidget(), editor.page->editTypeName);
    EXPECT_EQ(editor.page->editComment->text(), "pending") << "no panel hovered: no rebuild";

    EventDataRow& row = editor.rowOf(typeNamed("Meeting"), kMonday);
    editor.model.hoverPanel = &row;
    editor.controller->actionEditNodeExecute();
    EXPECT_EQ(editor.page->editComment->text(), "") << "rebuilt from the stored type";
    EXPECT_EQ(editor.selectedCaption(), "Meeting");
}

TEST_F(TypeTreeTest, EditCorrespondingTypeSelectsTheHoveredRowsType) {
    EventDataRow& row = editor.rowOf(typeNamed("Home"), kMonday);
    editor.open();
    editor.model.hoverPanel = &row;
    editor.controller->EditEventType1Click();
    EXPECT_EQ(editor.selectedCaption(), "Home");
    EXPECT_EQ(editor.typePageShown, 1);
    EXPECT_EQ(editor.page->editTypeName->text(), "Home");
    EXPECT_EQ(QApplication::focusWidget(), editor.page->editTypeName);
}

TEST_F(TypeTreeTest, ApplyWritesThePageRebuildsTheDayAndKeepsTheTypeSelected) {
    editor.open();
    editor.click("Meeting");
    editor.page->editTypeName->setText("Meeting room");
    editor.page->comboColor->setSelectedColor(0xFF0000);
    QTest::mouseClick(editor.page->ButtonSaveEventType, Qt::LeftButton);
    const EventType& meeting = typeNamed("Meeting room");
    EXPECT_EQ(meeting.color, 0xFF0000);
    EXPECT_EQ(editor.dayBuilds, 1);
    EXPECT_EQ(editor.selectedCaption(), "Meeting room");
    EXPECT_EQ(editor.page->editTypeName->text(), "Meeting room");

    const EventType before = meeting;
    QTest::mouseClick(editor.page->ButtonSaveEventType, Qt::LeftButton);
    EXPECT_EQ(meeting.name, before.name);
    EXPECT_EQ(meeting.color, before.color);
    EXPECT_EQ(meeting.importance, before.importance);
    EXPECT_EQ(meeting.longComment, before.longComment);
    EXPECT_EQ(editor.dayBuilds, 2);
    EXPECT_EQ(editor.selectedCaption(), "Meeting room");
}

TEST_F(TypeTreeTest, PlayAndStopButtonsReachTheSoundPlayer) {
    editor.open();
    editor.click("Home");
    QTest::mouseClick(editor.page->checkBeforeAlarm, Qt::LeftButton);
    QTest::mouseClick(editor.page->checkAfterAlarm, Qt::LeftButton);
    editor.page->editBeforeAlarmFile->setFileName("/sounds/start.wav");
    editor.page->editAfterAlarmFile->setFileName("end.mp3");
    QTest::mouseClick(editor.page->buttonPlay, Qt::LeftButton);
    QTest::mouseClick(editor.page->buttonPlayFileAfterAlarm, Qt::LeftButton);
    QTest::mouseClick(editor.page->buttonAudioStop, Qt::LeftButton);
    QTest::mouseClick(editor.page->buttonStopPlayFileAfterAlarm, Qt::LeftButton);
    EXPECT_EQ(editor.played, (QStringList{"/sounds/start.wav", "end.mp3"}));
    EXPECT_EQ(editor.stops, 2);
}

TEST_F(TypeTreeTest, ADragCarriesTheTypeIdAndNeverTheRoot) {
    editor.open();
    editor.click("Meeting");
    std::unique_ptr<QMimeData> data(editor.tree->mimeData(editor.tree->selectedItems()));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{"application/x-kalvo-type-id"});
    EXPECT_EQ(draggedTypeId(*data), 1);

    editor.click("Appointment Types");
    EXPECT_EQ(editor.tree->mimeData(editor.tree->selectedItems()), nullptr);
    QMimeData foreign;
    foreign.setText("1");
    EXPECT_FALSE(draggedTypeId(foreign).has_value());
}

// Presses on a node and moves the pointer with the button held: the tree's own drag start.
// Returns the id the started drag carries; none when no drag started.
std::optional<std::int32_t> dragFrom(test::TypeEditor& editor, const QString& caption) {
    QWidget* viewport = editor.tree->viewport();
    const QPoint start = editor.pointOf(editor.node(caption));
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    for (const QPoint step : {QPoint(4, 0), QPoint(40, 0)}) {
        QMouseEvent move(QEvent::MouseMove, start + step, viewport->mapToGlobal(start + step),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    EXPECT_EQ(editor.selectedCaption(), caption) << "the pressed node becomes the selected one";
    // The offscreen platform ends a drag at once; the drag object lives until events run.
    std::optional<std::int32_t> carried;
    if (const auto* drag = editor.tree->findChild<QDrag*>(); drag && drag->mimeData()) {
        carried = draggedTypeId(*drag->mimeData());
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(40, 0));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return carried;
}

TEST_F(TypeTreeTest, DraggingWithTheMouseStartsOnTypeNodesOnly) {
    editor.open();
    EXPECT_EQ(dragFrom(editor, "Home"), 2);
    EXPECT_EQ(editor.captions().size(), 4) << "the dragged node stays in the tree";
    EXPECT_EQ(dragFrom(editor, "Appointment Types"), std::nullopt);
}

}  // namespace
}  // namespace kalvo
