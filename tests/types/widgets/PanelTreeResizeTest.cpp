#include "types/widgets/PanelTreeResize.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kalvo {
namespace {

// The upper right area of the main window: the tree beside a column holding the calendar.
TEST(PanelTreeResize, OnlyAtItsGreatestHeightTheCalendarFillsItsColumn) {
    QWidget panelTree;
    auto* row = new QHBoxLayout(&panelTree);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QTreeWidget(&panelTree), 1);
    auto* panelCalendar = new QWidget(&panelTree);
    panelCalendar->setFixedWidth(201);
    auto* column = new QVBoxLayout(panelCalendar);
    column->setContentsMargins(0, 0, 0, 0);
    auto* calendar = new QCalendarWidget(panelCalendar);
    column->addWidget(calendar);
    column->addStretch();
    row->addWidget(panelCalendar);
    installPanelTreeResize(panelTree, *calendar);
    panelTree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panelTree));

    const int ownHeight = calendar->sizeHint().height();
    ASSERT_LT(ownHeight, 280) << "the calendar must be able to leave room below it";
    const std::pair<int, int> heights[] = {
        {300, 300}, {299, ownHeight}, {280, ownHeight}, {300, 300}};
    for (const auto& [panelHeight, calendarHeight] : heights) {
        SCOPED_TRACE(panelHeight);
        panelTree.setFixedHeight(panelHeight);
        QTest::qWait(0);
        QCoreApplication::processEvents();
        EXPECT_EQ(calendar->geometry().top(), 0);
        EXPECT_EQ(calendar->height(), calendarHeight);
    }
}

}  // namespace
}  // namespace kalvo
