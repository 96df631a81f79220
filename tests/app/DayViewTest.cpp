#include "day/widgets/DayView.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QMimeData>
#include <QTest>

#include "day/DateFunctions.h"
#include "day/widgets/TaskPanel.h"
#include "db/Database.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

// Monday 7 December 2026: Work 09:01-09:31 every weekday (snapped to 09:00-09:30 when placed),
// Meeting inside it 10 pixels down, and a Lunch whose day is deleted.
class DayViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeDatabase(
            folder.path(),
            "<ROW Id=\"0\" Name=\"Work\" Color=\"255\"/><ROW Id=\"1\" ParentTypeId=\"0\" "
            "Name=\"Meeting\"/><ROW Id=\"2\" Name=\"Lunch\"/>",
            "<ROW Id=\"0\" TypeId=\"0\"/><ROW Id=\"1\" TypeId=\"1\" ParentEventId=\"0\"/>"
            "<ROW Id=\"2\" TypeId=\"2\"/>",
            "<ROW Id=\"0\" EventId=\"0\" StartDate=\"20261207\" StartTime=\"20261207T09:01:00000\" "
            "EndTime=\"20261207T09:31:00000\" OriginalStartTime=\"20261207T09:00:00000\" "
            "OriginalEndTime=\"20261207T10:00:00000\"/>"
            "<ROW Id=\"1\" EventId=\"1\" StartDate=\"20261207\" StartTime=\"20261207T09:25:00000\" "
            "EndTime=\"20261207T09:30:00000\" StartDelta=\"10\" OriginalStartDelta=\"10\" "
            "OriginalStartTime=\"20261207T09:25:00000\" OriginalEndTime=\"20261207T09:30:00000\"/>"
            "<ROW Id=\"2\" EventId=\"2\" StartDate=\"20261207\" EndDate=\"20261207\" "
            "Deleted=\"TRUE\" "
            "StartTime=\"20261207T12:00:00000\" EndTime=\"20261207T13:00:00000\" "
            "OriginalStartTime=\"20261207T12:00:00000\" "
            "OriginalEndTime=\"20261207T13:00:00000\"/>");
        Database database(folder.path().string() + "/");
        ASSERT_TRUE(database.openDatabase("", [](const std::string&) {}));
        model = database.readModel();
        model.selectedDate = 46363;  // 7 December 2026
        actual.resize(185, 576);
        planned.resize(185, 576);
        view = std::make_unique<DayView>(model, history, actual, planned, menu);
        view->buildDay();
    }

    EventDataRow& row(int id) { return *model.eventDataPanels[static_cast<std::size_t>(id)]; }

    test::TemporaryFolder folder;
    Model model;
    EditHistory history{model};
    QWidget actual;
    QWidget planned;
    QMenu menu;
    std::unique_ptr<DayView> view;
};

TEST_F(DayViewTest, PanelsSitWhereTheirTimesSayInsideTheirParents) {
    TaskPanel* work = view->panelOf(&row(0));
    TaskPanel* meeting = view->panelOf(&row(1));
    ASSERT_NE(work, nullptr);
    ASSERT_NE(meeting, nullptr);
    EXPECT_EQ(work->parentWidget(), &actual);
    EXPECT_EQ(work->geometry(), QRect(20, 216, 165, 12));
    EXPECT_EQ(meeting->parentWidget(), work);
    EXPECT_EQ(meeting->geometry(), QRect(20, 10, 145, 2));
    EXPECT_EQ(work->twin()->parentWidget(), &planned);
    EXPECT_EQ(work->twin()->geometry(), QRect(20, 216, 165, 24));
    EXPECT_EQ(meeting->twin()->parentWidget(), work->twin());
}

TEST_F(DayViewTest, AParentsCaptionStaysClearOfItsSubAppointments) {
    TaskPanel* work = view->panelOf(&row(0));
    TaskPanel* meeting = view->panelOf(&row(1));
    work->resize(165, 72);
    struct Case {
        const char* what;
        int meetingTop, meetingHeight;
        QRect caption;
    };
    const Case cases[] = {
        {"the middle is free", 60, 10, QRect(0, 0, 165, 72)},
        {"more room below", 30, 10, QRect(0, 40, 165, 32)},
        {"more room above", 34, 30, QRect(0, 0, 165, 34)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        meeting->setGeometry(meeting->x(), c.meetingTop, meeting->width(), c.meetingHeight);
        EXPECT_EQ(work->captionRect(), c.caption);
    }
}

TEST_F(DayViewTest, DeletedOccurrenceShowsOnlyItsPlannedTwin) {
    EXPECT_EQ(view->panelOf(&row(2)), nullptr);
    const auto twins = planned.findChildren<TaskPanel*>(Qt::FindDirectChildrenOnly);
    const bool lunchTwinShown = std::any_of(twins.begin(), twins.end(), [&](TaskPanel* twin) {
        return &twin->row() == &row(2) && !twin->isHidden();
    });
    EXPECT_TRUE(lunchTwinShown);
}

TEST_F(DayViewTest, HintsAndScreenReaderTextsTellTypeDurationAndTimes) {
    TaskPanel* work = view->panelOf(&row(0));
    const QString start = QLocale().toString(
        QTime(9, 0), QLocale().timeFormat(QLocale::LongFormat).remove('t').trimmed());
    const QString end = QLocale().toString(
        QTime(9, 30), QLocale().timeFormat(QLocale::LongFormat).remove('t').trimmed());
    const QString rest = "\nDuration = 30 min / " + QLocale().toString(0.5, 'f', 1) +
                         " hour(s) \nStart time = " + start + "\nEnd time = " + end;
    EXPECT_EQ(work->toolTip(), "Work" + rest);
    EXPECT_EQ(work->accessibleName(), "Work");
    EXPECT_EQ(work->accessibleDescription(), work->toolTip());
    EXPECT_TRUE(work->twin()->toolTip().startsWith("Work planned\nDuration = 60 min / "));
}

TEST_F(DayViewTest, ClickSelectsAnOccurrenceButNotATwin) {
    actual.show();
    planned.show();
    TaskPanel* work = view->panelOf(&row(0));
    model.selectedPanel = nullptr;
    QTest::mouseClick(work->twin(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(model.selectedPanel, nullptr);
    QTest::mouseClick(work, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(model.selectedPanel, &row(0));
    const QImage picture = work->grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::white));  // the selection's frame
    EXPECT_EQ(picture.pixelColor(5, 5), QColor(255, 0, 0));  // 255 is red as 0x00BBGGRR
}

TEST_F(DayViewTest, HoverFramesThePanelGreyAndItsTwinYellow) {
    TaskPanel* work = view->panelOf(&row(0));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(work, &enter);
    EXPECT_EQ(work->borderColor(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(work->twin()->borderColor(), QColor(0xFF, 0xFF, 0x00));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(work, &leave);
    EXPECT_EQ(work->borderColor(), QColor(Qt::black));
    EXPECT_EQ(work->twin()->borderColor(), QColor(Qt::black));
}

// Minutes of the day of a stored time.
int minutes(DateTime time) {
    return minuteOfDay(time);
}

TEST_F(DayViewTest, DraggingTheBottomEdgeStoresTheNewEndAtEveryPixel) {
    actual.show();
    TaskPanel* work = view->panelOf(&row(0));
    const std::size_t rowsBefore = model.eventDataPanels.size();
    // The bottom edge follows the mouse: the panel is as high as the mouse is far down in it.
    QTest::mousePress(work, Qt::LeftButton, {}, QPoint(5, 11));
    QTest::mouseMove(work, QPoint(5, 18));
    EXPECT_EQ(minutes(row(0).endTime), 9 * 60 + 45);  // applied while the mouse still moves
    QTest::mouseMove(work, QPoint(5, 24));
    QTest::mouseRelease(work, Qt::LeftButton, {}, QPoint(5, 24));
    EXPECT_EQ(work->geometry(), QRect(20, 216, 165, 24));
    EXPECT_EQ(minutes(row(0).startTime), 9 * 60);
    EXPECT_EQ(minutes(row(0).endTime), 10 * 60);
    // The open series of Work and of its Meeting were cut after the edited day.
    EXPECT_EQ(model.eventDataPanels.size(), rowsBefore + 2);
    EXPECT_EQ(row(0).endDate, row(0).startDate);
    for (const auto& stored : model.eventDataPanels) {
        EXPECT_TRUE(stored->endDate == 0 || stored->endDate >= stored->startDate);
    }
    EXPECT_EQ(work->twin()->geometry(), QRect(20, 216, 165, 24));
    EXPECT_EQ(model.selectedPanel, &row(0));
}

TEST_F(DayViewTest, WithSnappingTheDraggedEndLandsOnAFiveMinuteMark) {
    actual.show();
    view->setSnapToFiveMinutes([] { return true; });
    TaskPanel* work = view->panelOf(&row(0));
    QTest::mousePress(work, Qt::LeftButton, {}, QPoint(5, 11));
    QTest::mouseMove(work, QPoint(5, 17));  // 09:42:30 under the mouse
    QTest::mouseRelease(work, Qt::LeftButton, {}, QPoint(5, 17));
    EXPECT_EQ(minutes(row(0).endTime), 9 * 60 + 40);
}

// At 60 pixels an hour a column pixel is 2.5 screen pixels: the panels are drawn larger and the
// mouse is read back in column pixels, so a drag stores what the same drag stores at 24.
TEST_F(DayViewTest, ZoomedPanelsAreDrawnLargerAndDragsStoreColumnPixels) {
    const TimelineScale scale(60);
    actual.resize(185, scale.columnHeight());
    actual.show();
    view->setScale(scale);
    TaskPanel* work = view->panelOf(&row(0));
    TaskPanel* meeting = view->panelOf(&row(1));
    EXPECT_EQ(work->geometry(), QRect(20, 540, 165, 30));
    EXPECT_EQ(meeting->geometry(), QRect(20, 25, 145, 5));  // 09:25-09:30, inside its parent
    EXPECT_EQ(work->twin()->geometry(), QRect(20, 540, 165, 60));

    QTest::mousePress(work, Qt::LeftButton, {}, QPoint(5, 29));  // the end's grip
    QTest::mouseMove(work, QPoint(5, 60));
    QTest::mouseRelease(work, Qt::LeftButton, {}, QPoint(5, 60));
    EXPECT_EQ(minutes(row(0).endTime), 10 * 60);
    EXPECT_EQ(work->geometry(), QRect(20, 540, 165, 60));

    view->setScale(TimelineScale());
    EXPECT_EQ(work->geometry(), QRect(20, 216, 165, 24));
    EXPECT_EQ(minutes(row(0).startTime), 9 * 60);
    EXPECT_EQ(minutes(row(0).endTime), 10 * 60);
}

TEST_F(DayViewTest, DraggingTheBodyMovesTheSubAppointmentWithIt) {
    actual.show();
    TaskPanel* work = view->panelOf(&row(0));
    TaskPanel* meeting = view->panelOf(&row(1));
    QTest::mousePress(work, Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseMove(work, QPoint(5, 30));
    QTest::mouseRelease(work, Qt::LeftButton, {}, QPoint(5, 30));
    EXPECT_EQ(work->y(), 240);  // 24 pixels down: one hour later
    EXPECT_EQ(minutes(row(0).startTime), 10 * 60);
    EXPECT_EQ(meeting->y(), 10);  // still 10 pixels inside its parent
    EXPECT_EQ(minutes(row(1).startTime), 10 * 60 + 25);
}

TEST_F(DayViewTest, PlannedTwinsIgnorePressesAndDrags) {
    planned.show();
    TaskPanel* twin = view->panelOf(&row(0))->twin();
    const DateTime end = row(0).originalEndTime;
    QTest::mousePress(twin, Qt::LeftButton, {}, QPoint(5, 22));
    QTest::mouseMove(twin, QPoint(5, 40));
    QTest::mouseRelease(twin, Qt::LeftButton, {}, QPoint(5, 40));
    EXPECT_EQ(twin->geometry(), QRect(20, 216, 165, 24));
    EXPECT_EQ(row(0).originalEndTime, end);
}

// A drag of a type as the type tree starts it; the view reads the id with the decoder it is given.
class DropTest : public DayViewTest {
protected:
    void SetUp() override {
        DayViewTest::SetUp();
        view->setDraggedTypeId([](const QMimeData& data) -> std::optional<int> {
            if (!data.hasFormat("application/x-test-type")) {
                return std::nullopt;
            }
            return data.data("application/x-test-type").toInt();
        });
        actual.show();
    }

    std::unique_ptr<QMimeData> typeDrag(int typeId) {
        auto data = std::make_unique<QMimeData>();
        data->setData("application/x-test-type", QByteArray::number(typeId));
        return data;
    }

    // Sends the drag's enter, move and drop to `target`; returns whether the move was accepted.
    bool dragAndDrop(QWidget* target, int typeId, QPoint at) {
        const auto data = typeDrag(typeId);
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        if (!move.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        return true;
    }
};

TEST_F(DropTest, ATopLevelTypeDroppedOnTheColumnBecomesAHalfHourAppointmentThere) {
    const std::size_t events = model.events.size();
    ASSERT_TRUE(dragAndDrop(&actual, 2, QPoint(50, 336)));  // Lunch at 14:00
    ASSERT_EQ(model.events.size(), events + 1);
    const EventDataRow& created = *model.eventDataPanels.back();
    EXPECT_EQ(minuteOfDay(created.startTime), 14 * 60);
    EXPECT_EQ(minuteOfDay(created.endTime), 14 * 60 + 30);
    EXPECT_EQ(minuteOfDay(created.originalStartTime), 14 * 60);  // planned as dropped
    TaskPanel* panel = view->panelOf(&created);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(20, 336, 165, 12));
}

TEST_F(DropTest, ASubTypeGoesIntoAnOccurrenceOfItsParentTypeOnly) {
    EXPECT_FALSE(dragAndDrop(&actual, 1, QPoint(50, 400)));  // Meeting is no top-level type
    TaskPanel* work = view->panelOf(&row(0));
    const std::size_t events = model.events.size();
    EXPECT_FALSE(dragAndDrop(work, 2, QPoint(50, 4)));  // Lunch is no sub-type of Work
    EXPECT_EQ(model.events.size(), events);
    EXPECT_FALSE(dragAndDrop(work->twin(), 1, QPoint(50, 4)));  // twins take no drops
    ASSERT_TRUE(dragAndDrop(view->panelOf(&row(0)), 1, QPoint(50, 4)));
    const Event& created = *model.events.back();
    EXPECT_EQ(created.parent, model.events[0].get());
    EXPECT_EQ(model.eventDataPanels.back()->startDelta, 4);
}

// An alarm's message or a context menu can take the mouse between a press and its release:
// moving the mouse afterwards, with no button held, must not go on editing the appointment.
TEST_F(DayViewTest, MovingWithoutTheLeftButtonNeverDrags) {
    actual.show();
    planned.show();
    TaskPanel* work = view->panelOf(&row(0));
    const DateTime start = row(0).startTime;
    const auto moveWithout = [work](Qt::MouseButtons held) {
        for (const int y : {12, 30}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(5, y), work->mapToGlobal(QPointF(5, y)),
                             Qt::NoButton, held, Qt::NoModifier);
            QApplication::sendEvent(work, &move);
        }
    };
    struct Case {
        const char* what;
        Qt::MouseButton pressed;
        Qt::MouseButtons heldWhileMoving;
    };
    const Case cases[] = {
        {"the left button's release went elsewhere", Qt::LeftButton, Qt::NoButton},
        {"the right button does not drag", Qt::RightButton, Qt::RightButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTest::mousePress(work, c.pressed, {}, QPoint(5, 6));
        moveWithout(c.heldWhileMoving);
        EXPECT_EQ(row(0).startTime, start);
        EXPECT_EQ(work->y(), 216);
        EXPECT_EQ(model.eventDataPanels.size(), 3U) << "no split either";
        QTest::mouseRelease(work, c.pressed, {}, QPoint(5, 30));
        EXPECT_EQ(row(0).startTime, start) << "a late release moves nothing";
    }
}

}  // namespace
}  // namespace kalvo
