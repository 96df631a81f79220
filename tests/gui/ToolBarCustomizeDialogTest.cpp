#include "gui/ToolBarCustomizeDialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PlannerToolBar.h"

namespace kalvo {
namespace {

using Names = std::vector<std::string>;

class ToolBarCustomizeDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        planner_.window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&planner_.window));
    }

    void openDialog() {
        dialog_ = std::make_unique<ToolBarCustomizeDialog>(toolBar(), &planner_.window);
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        dialog_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
        tree_ = dialog_->findChild<QTreeWidget*>("treeButtons");
        order_ = dialog_->findChild<QListWidget*>("listToolBarOrder");
        ASSERT_NE(tree_, nullptr);
        ASSERT_NE(order_, nullptr);
    }

    SectionedToolBar& toolBar() { return *planner_.toolBar; }
    QPushButton& pushButton(const char* name) {
        return *dialog_->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    void key(int k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(k), modifiers);
    }

    Names sectionTitles() const {
        Names titles;
        for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
            titles.push_back(tree_->topLevelItem(i)->text(0).toStdString());
        }
        return titles;
    }
    // The buttons of one section as the tree lists them, "+" before a ticked one.
    Names sectionButtons(int section) const {
        Names names;
        const QTreeWidgetItem* parent = tree_->topLevelItem(section);
        for (int i = 0; i < parent->childCount(); ++i) {
            const QTreeWidgetItem* item = parent->child(i);
            names.push_back((item->checkState(0) == Qt::Checked ? "+" : "") +
                            item->text(0).toStdString());
        }
        return names;
    }
    Names orderCaptions() const {
        Names captions;
        for (int row = 0; row < order_->count(); ++row) {
            captions.push_back(order_->item(row)->text().toStdString());
        }
        return captions;
    }
    QTreeWidgetItem* treeItem(const QString& caption) const {
        const auto found = tree_->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.front() : nullptr;
    }
    void clickOrderRow(const QString& caption) {
        const auto found = order_->findItems(caption, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << caption.toStdString();
        QTest::mouseClick(order_->viewport(), Qt::LeftButton, {},
                          order_->visualItemRect(found.front()).center());
    }
    // Clicks the item's check box, on the left of its icon.
    void clickCheckBox(const QString& caption) {
        QTreeWidgetItem* item = treeItem(caption);
        ASSERT_NE(item, nullptr) << caption.toStdString();
        const QRect rect = tree_->visualItemRect(item);
        const int indicator = tree_->style()->pixelMetric(QStyle::PM_IndicatorWidth);
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() + 2 + indicator / 2, rect.center().y()));
    }

    test::PlannerToolBar planner_;
    std::unique_ptr<ToolBarCustomizeDialog> dialog_;
    QTreeWidget* tree_ = nullptr;
    QListWidget* order_ = nullptr;
};

TEST_F(ToolBarCustomizeDialogTest, ListsTheButtonsBySectionBesideTheToolbarOrder) {
    openDialog();
    EXPECT_EQ(dialog_->windowTitle(), "Customize Toolbar");
    EXPECT_EQ(sectionTitles(), (Names{"File", "Edit", "Tools", "Help"}));
    const std::vector<Names> sections = {
        {"+Exit", "Backup Database"},
        {"+Edit the selected event", "+Appointment Type actions", "Delete the Selected Event"},
        {"+Time Split Chart"},
        {"+Help Contents"},
    };
    for (int i = 0; i < static_cast<int>(sections.size()); ++i) {
        EXPECT_EQ(sectionButtons(i), sections[i]) << sectionTitles()[i];
    }
    EXPECT_EQ(orderCaptions(), (Names{"Edit the selected event", "Appointment Type actions",
                                      "Time Split Chart", "Help Contents", "Exit"}));
}

TEST_F(ToolBarCustomizeDialogTest, KeyboardAloneShowsHidesAndMovesButtons) {
    openDialog();
    ASSERT_EQ(QApplication::focusWidget(), tree_);
    ASSERT_EQ(tree_->currentItem()->text(0), "File");
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    ASSERT_EQ(tree_->currentItem()->text(0), "Backup Database");
    key(Qt::Key_Space);
    EXPECT_EQ(orderCaptions().back(), "Backup Database");
    // Moved from the tree: two places to the left, before Help.
    key(Qt::Key_Up, Qt::ControlModifier);
    key(Qt::Key_Up, Qt::ControlModifier);

    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    ASSERT_EQ(tree_->currentItem()->text(0), "Appointment Type actions");
    key(Qt::Key_Space);

    // Tab to the order, move Exit left with the mnemonic of Move Up.
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), order_);
    key(Qt::Key_End);
    key(Qt::Key_U, Qt::AltModifier);
    // A mnemonic presses its button with a short delay that shows the press.
    ASSERT_TRUE(QTest::qWaitFor([this] { return orderCaptions().at(3) == "Exit"; }));
    EXPECT_EQ(orderCaptions(), (Names{"Edit the selected event", "Time Split Chart",
                                      "Backup Database", "Exit", "Help Contents"}));
    EXPECT_EQ(test::texts(toolBar().arrangement())[4], "SpeedItemExit:1") << "not yet applied";

    ASSERT_EQ(QApplication::focusWidget(), order_);
    key(Qt::Key_Return);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(test::texts(toolBar().arrangement()),
              (Names{"SpeedItemEditNote:1", "SpeedItemCategory:0", "SpeedItemCharts:1",
                     "SpeedItemBackup:1", "SpeedItemExit:1", "SpeedItemContents:1",
                     "SpeedItemDeleteNote:0"}));
    EXPECT_EQ(test::shownLeftToRight(toolBar()),
              (Names{"SpeedItemEditNote", "SpeedItemCharts", "SpeedItemBackup", "SpeedItemExit",
                     "SpeedItemContents"}));
}

TEST_F(ToolBarCustomizeDialogTest, MouseShowsHidesAndMovesButtons) {
    openDialog();
    clickCheckBox("Delete the Selected Event");
    clickCheckBox("Edit the selected event");
    EXPECT_EQ(orderCaptions(), (Names{"Appointment Type actions", "Time Split Chart",
                                      "Help Contents", "Exit", "Delete the Selected Event"}));
    // The button just shown is current, ready to be moved.
    EXPECT_EQ(order_->currentItem()->text(), "Delete the Selected Event");
    EXPECT_FALSE(pushButton("buttonMoveDown").isEnabled());

    clickOrderRow("Appointment Type actions");
    EXPECT_FALSE(pushButton("buttonMoveUp").isEnabled());
    QTest::mouseClick(&pushButton("buttonMoveDown"), Qt::LeftButton);
    QTest::mouseClick(&pushButton("buttonMoveDown"), Qt::LeftButton);
    clickOrderRow("Exit");
    QTest::mouseClick(&pushButton("buttonMoveUp"), Qt::LeftButton);
    EXPECT_EQ(orderCaptions(), (Names{"Time Split Chart", "Help Contents", "Exit",
                                      "Appointment Type actions", "Delete the Selected Event"}));

    QTest::mouseClick(&pushButton("buttonOk"), Qt::LeftButton);
    EXPECT_EQ(test::shownLeftToRight(toolBar()),
              (Names{"SpeedItemCharts", "SpeedItemContents", "SpeedItemExit", "SpeedItemCategory",
                     "SpeedItemDeleteNote"}));
}

TEST_F(ToolBarCustomizeDialogTest, CancelLeavesTheToolbarAsItWas) {
    struct Case {
        const char* how;
        std::function<void()> cancel;
    };
    const std::vector<Case> cases = {
        {"Cancel button",
         [this] { QTest::mouseClick(&pushButton("buttonCancel"), Qt::LeftButton); }},
        {"Escape", [this] { key(Qt::Key_Escape); }},
        {"closing the window", [this] { dialog_->close(); }},
    };
    toolBar().setArrangement({{"SpeedItemContents", true}, {"SpeedItemEditNote", false}});
    const Names before = test::texts(toolBar().arrangement());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        openDialog();
        QSignalSpy changed(&toolBar(), &SectionedToolBar::arrangementChanged);
        clickCheckBox("Backup Database");
        clickCheckBox("Help Contents");
        clickOrderRow("Exit");
        QTest::mouseClick(&pushButton("buttonMoveUp"), Qt::LeftButton);
        QTest::mouseClick(&pushButton("buttonReset"), Qt::LeftButton);
        ASSERT_NE(test::texts(dialog_->arrangement()), before);

        c.cancel();
        EXPECT_FALSE(dialog_->isVisible());
        EXPECT_EQ(dialog_->result(), QDialog::Rejected);
        EXPECT_EQ(changed.count(), 0);
        EXPECT_EQ(test::texts(toolBar().arrangement()), before);
    }
}

TEST_F(ToolBarCustomizeDialogTest, ResetShowsTheFirstArrangementAgain) {
    const Names first = test::texts(toolBar().arrangement());
    toolBar().setArrangement({{"SpeedItemExit", true},
                              {"SpeedItemBackup", true},
                              {"SpeedItemEditNote", false},
                              {"SpeedItemCharts", false}});
    openDialog();
    QTest::mouseClick(&pushButton("buttonReset"), Qt::LeftButton);
    EXPECT_EQ(orderCaptions(), (Names{"Edit the selected event", "Appointment Type actions",
                                      "Time Split Chart", "Help Contents", "Exit"}));
    EXPECT_EQ(sectionButtons(0), (Names{"+Exit", "Backup Database"}));
    QTest::mouseClick(&pushButton("buttonOk"), Qt::LeftButton);
    EXPECT_EQ(test::texts(toolBar().arrangement()), first);
}

TEST_F(ToolBarCustomizeDialogTest, EveryControlHasAnAccessibleName) {
    openDialog();
    QList<QWidget*> controls;
    for (QWidget* widget : dialog_->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus) {
            controls.append(widget);
        }
    }
    controls.append(planner_.toolBar);
    for (const ToolBarButton& b : toolBar().buttons()) {
        controls.append(toolBar().button(b.name));
    }
    int checked = 0;
    for (QWidget* control : controls) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
            << control->metaObject()->className() << " " << control->objectName().toStdString();
        ++checked;
    }
    // The tree, the order, five push buttons, the toolbar and its seven buttons.
    EXPECT_GE(checked, 15);
}

}  // namespace
}  // namespace kalvo
