#include "gui/SectionedToolBar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <string>
#include <vector>

#include "PlannerToolBar.h"

namespace kalvo {
namespace {

using Names = std::vector<std::string>;

class SectionedToolBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        planner_.window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&planner_.window));
    }

    SectionedToolBar& toolBar() { return *planner_.toolBar; }
    QToolButton& button(const char* name) { return *toolBar().button(name); }

    test::PlannerToolBar planner_;
};

TEST_F(SectionedToolBarTest, ShowsTheFirstButtonsInTheirOrderThreePixelsApart) {
    const Names expected = {"SpeedItemEditNote", "SpeedItemCategory", "SpeedItemCharts",
                            "SpeedItemContents", "SpeedItemExit"};
    ASSERT_EQ(test::shownLeftToRight(toolBar()), expected);
    EXPECT_FALSE(button("SpeedItemBackup").isVisible());
    EXPECT_FALSE(button("SpeedItemDeleteNote").isVisible());
    EXPECT_EQ(toolBar().height(), 56);

    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QToolButton& widget = button(expected[i].c_str());
        SCOPED_TRACE(expected[i]);
        EXPECT_EQ(widget.size(), QSize(70, 50));
        EXPECT_EQ(widget.toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_FALSE(widget.icon().isNull());
        if (i > 0) {
            const QToolButton& left = button(expected[i - 1].c_str());
            EXPECT_EQ(widget.x() - (left.x() + left.width()), 3);
        }
    }
}

TEST_F(SectionedToolBarTest, KeepsItsLayoutWhenTheWindowIsRestyled) {
    planner_.window.setStyleSheet("QToolBar { background: white; }");
    const Names shown = test::shownLeftToRight(toolBar());
    ASSERT_GE(shown.size(), 2u);
    const QToolButton& first = button(shown[0].c_str());
    EXPECT_EQ(button(shown[1].c_str()).x() - (first.x() + first.width()), 3);
    EXPECT_EQ(toolBar().height(), 56);
}

TEST_F(SectionedToolBarTest, ButtonsShowTheirCaptionAndTheirHintAsTooltip) {
    struct Case {
        const char* name;
        const char* caption;
        const char* toolTip;
    };
    for (const Case& c :
         {Case{"SpeedItemEditNote", "Edit Event", "Edit the Selected Event"},
          Case{"SpeedItemCategory", "Type", "Appointment Type actions"},
          Case{"SpeedItemContents", "Help", "Help Contents"}, Case{"SpeedItemExit", "Exit", ""},
          Case{"SpeedItemBackup", "Backup", ""}}) {
        SCOPED_TRACE(c.name);
        const QToolButton& widget = button(c.name);
        EXPECT_EQ(widget.text(), c.caption);
        EXPECT_EQ(widget.accessibleName(), c.caption);
        EXPECT_EQ(widget.toolTip(), c.toolTip);
    }
}

TEST_F(SectionedToolBarTest, ClickingAButtonRunsItsCommandAndNoOther) {
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const ToolBarButton& b : toolBar().buttons()) {
        spies.push_back(std::make_unique<QSignalSpy>(b.action, &QAction::triggered));
    }
    for (const char* name : {"SpeedItemEditNote", "SpeedItemCategory", "SpeedItemCharts",
                             "SpeedItemContents", "SpeedItemExit"}) {
        SCOPED_TRACE(name);
        for (auto& spy : spies) {
            spy->clear();
        }
        // Left of the Type button's arrow.
        QTest::mouseClick(&button(name), Qt::LeftButton, {}, QPoint(20, 25));
        for (std::size_t i = 0; i < spies.size(); ++i) {
            const bool own = toolBar().buttons().at(i).name == name;
            EXPECT_EQ(spies[i]->count(), own ? 1 : 0)
                << toolBar().buttons().at(i).name.toStdString();
        }
    }
}

TEST_F(SectionedToolBarTest, TypeArrowOpensTheTypeMenuWithoutRunningItsCommand) {
    QToolButton& type = button("SpeedItemCategory");
    ASSERT_EQ(type.menu(), &planner_.typeMenu);
    QSignalSpy addNode(planner_.actionOf("SpeedItemCategory"), &QAction::triggered);
    bool menuOpened = false;
    // The menu runs its own event loop while it is open; close it from there.
    QTimer::singleShot(0, [&] {
        menuOpened = QApplication::activePopupWidget() == &planner_.typeMenu;
        planner_.typeMenu.close();
    });
    QTest::mouseClick(&type, Qt::LeftButton, {}, QPoint(type.width() - 4, type.height() / 2));
    EXPECT_TRUE(menuOpened);
    EXPECT_EQ(addNode.count(), 0);
}

TEST_F(SectionedToolBarTest, ButtonFollowsWhetherItsCommandIsEnabled) {
    QAction* editEvent = planner_.actionOf("SpeedItemEditNote");
    QSignalSpy triggered(editEvent, &QAction::triggered);
    editEvent->setEnabled(false);
    EXPECT_FALSE(button("SpeedItemEditNote").isEnabled());
    QTest::mouseClick(&button("SpeedItemEditNote"), Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 0);

    editEvent->setEnabled(true);
    QTest::mouseClick(&button("SpeedItemEditNote"), Qt::LeftButton);
    EXPECT_EQ(triggered.count(), 1);
}

TEST_F(SectionedToolBarTest, ArrangementTakesKnownButtonsInOrderAndAppendsTheRest) {
    struct Case {
        const char* what;
        ToolBarArrangement given;
        Names arrangement;
        Names shown;
    };
    const std::vector<Case> cases = {
        {"every button, reordered",
         {{"SpeedItemExit", true},
          {"SpeedItemBackup", true},
          {"SpeedItemEditNote", false},
          {"SpeedItemCategory", true},
          {"SpeedItemCharts", true},
          {"SpeedItemContents", false},
          {"SpeedItemDeleteNote", true}},
         {"SpeedItemExit:1", "SpeedItemBackup:1", "SpeedItemEditNote:0", "SpeedItemCategory:1",
          "SpeedItemCharts:1", "SpeedItemContents:0", "SpeedItemDeleteNote:1"},
         {"SpeedItemExit", "SpeedItemBackup", "SpeedItemCategory", "SpeedItemCharts",
          "SpeedItemDeleteNote"}},
        {"unknown and repeated names, buttons left out",
         {{"SpeedItemGone", true},
          {"SpeedItemDeleteNote", true},
          {"SpeedItemDeleteNote", false},
          {"SpeedItemContents", false}},
         {"SpeedItemDeleteNote:1", "SpeedItemContents:0", "SpeedItemEditNote:1",
          "SpeedItemCategory:1", "SpeedItemCharts:1", "SpeedItemExit:1", "SpeedItemBackup:0"},
         {"SpeedItemDeleteNote", "SpeedItemEditNote", "SpeedItemCategory", "SpeedItemCharts",
          "SpeedItemExit"}},
        {"nothing",
         {},
         {"SpeedItemEditNote:1", "SpeedItemCategory:1", "SpeedItemCharts:1", "SpeedItemContents:1",
          "SpeedItemExit:1", "SpeedItemBackup:0", "SpeedItemDeleteNote:0"},
         {"SpeedItemEditNote", "SpeedItemCategory", "SpeedItemCharts", "SpeedItemContents",
          "SpeedItemExit"}},
    };
    const Names first = test::texts(toolBar().arrangement());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSignalSpy changed(&toolBar(), &SectionedToolBar::arrangementChanged);
        toolBar().setArrangement(c.given);
        EXPECT_EQ(test::texts(toolBar().arrangement()), c.arrangement);
        EXPECT_EQ(test::shownLeftToRight(toolBar()), c.shown);
        EXPECT_EQ(changed.count(), c.arrangement == first ? 0 : 1);

        toolBar().resetArrangement();
        EXPECT_EQ(test::texts(toolBar().arrangement()), first);
    }
}

}  // namespace
}  // namespace kalvo
