// The main window's layout frame: the timeline, the right-hand panel and the Chart page.
#include "app/TForm1.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/AnchoredLayout.h"
#include "app/MainWindowParts.h"
#include "chart/widgets/PieChart.h"
#include "day/Timeline.h"
#include "day/widgets/AppointmentPage.h"
#include "day/widgets/TimelineArea.h"
#include "gui/SectionedToolBar.h"
#include "gui/ToolBarIcons.h"
#include "types/widgets/TypePage.h"
#include "types/widgets/TypeTreeWidget.h"

namespace kalvo {
namespace {

// The client area the layout positions refer to; areas anchored to the right or bottom
// follow the window's edges from there.
constexpr QSize kDesignClientSize(887, 661);

}  // namespace

void TForm1::createLayout() {
    auto* client = new QWidget(this);
    nameForScreenReaders(client, QStringLiteral("clientArea"));
    auto* layout = new AnchoredLayout(kDesignClientSize, client);

    createToolBar(client);
    layout->addAnchored(toolBar, {0, 0, kDesignClientSize.width(), 56},
                        AnchorLeft | AnchorTop | AnchorRight);

    // The date shown, above its columns, with a mark when it is today.
    auto* heading = new QWidget(client);
    nameForScreenReaders(heading, QStringLiteral("panelShownDate"));
    auto* headingRow = new QHBoxLayout(heading);
    headingRow->setContentsMargins(8, 0, 0, 0);
    headingRow->setSpacing(8);
    labelShownDate = captionLabel(QStringLiteral("labelShownDate"), QString(), heading);
    QFont headingFont = labelShownDate->font();
    headingFont.setBold(true);
    headingFont.setPointSize(headingFont.pointSize() + 2);
    labelShownDate->setFont(headingFont);
    labelToday = captionLabel(QStringLiteral("labelToday"), QStringLiteral("Today"), heading);
    labelToday->setAutoFillBackground(true);
    labelToday->setBackgroundRole(QPalette::Highlight);
    labelToday->setForegroundRole(QPalette::HighlightedText);
    labelToday->setContentsMargins(6, 0, 6, 0);
    labelAllDay = captionLabel(QStringLiteral("labelAllDay"), QString(), heading);
    labelAllDay->hide();
    headingRow->addWidget(labelShownDate);
    headingRow->addWidget(labelToday);
    headingRow->addWidget(labelAllDay, 1);
    headingRow->addStretch();
    layout->addAnchored(heading, {0, 57, 483, 20}, AnchorLeft | AnchorTop);

    layout->addAnchored(captionLabel(QStringLiteral("Label1"), QStringLiteral("Actual"), client),
                        {64, 78, 120, 14}, AnchorLeft | AnchorTop);
    layout->addAnchored(captionLabel(QStringLiteral("Label2"), QStringLiteral("Planned"), client),
                        {280, 78, 120, 14}, AnchorLeft | AnchorTop);

    ScrollBox1 = new QScrollArea(client);
    nameForScreenReaders(ScrollBox1, QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    timelineArea_ = new TimelineArea(*ScrollBox1);
    panelMain = &timelineArea_->actualColumn();
    panelDifference = &timelineArea_->plannedColumn();
    ScrollBox1->viewport()->setAccessibleName(QStringLiteral("ScrollBox1"));
    layout->addAnchored(ScrollBox1, {0, 94, 483, 558}, AnchorLeft | AnchorTop | AnchorBottom);

    checkBoxApplyToFuture = new QCheckBox(QStringLiteral("Apply to Future"), client);
    nameForScreenReaders(checkBoxApplyToFuture, QStringLiteral("checkBoxApplyToFuture"),
                         checkBoxApplyToFuture->text());
    layout->addAnchored(checkBoxApplyToFuture, {488, 64, 180, 22}, AnchorLeft | AnchorTop);

    buttonTutorial = new QPushButton(QStringLiteral("View the Video Tutorials"), client);
    nameForScreenReaders(buttonTutorial, QStringLiteral("buttonTutorial"), buttonTutorial->text());
    connect(buttonTutorial, &QPushButton::clicked, VideoTutorials1, &QAction::trigger);
    layout->addAnchored(buttonTutorial, {752, 64, 129, 25}, AnchorTop | AnchorRight);

    panelRight = new QWidget(client);
    nameForScreenReaders(panelRight, QStringLiteral("panelRight"));
    createRightPanel();
    layout->addAnchored(panelRight, {488, 94, 395, 561},
                        AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);

    setCentralWidget(client);
    setFocusOrder();
}
void TForm1::createRightPanel() {
    auto* column = new QVBoxLayout(panelRight);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    auto* panelTree = new QWidget(panelRight);
    nameForScreenReaders(panelTree, QStringLiteral("panelTree"));
    panelTree->setMinimumHeight(160);
    panelTree->setMaximumHeight(300);
    panelTree->setFixedHeight(299);
    auto* treeRow = new QHBoxLayout(panelTree);
    treeRow->setContentsMargins(0, 0, 0, 0);
    treeRow->setSpacing(3);

    tree = new TypeTreeWidget(panelTree);
    nameForScreenReaders(tree, QStringLiteral("tree"));
    tree->setHeaderHidden(true);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenuTree->popup(tree->viewport()->mapToGlobal(at)); });
    treeRow->addWidget(tree, 1);

    auto* panelCalendar = new QWidget(panelTree);
    nameForScreenReaders(panelCalendar, QStringLiteral("panelCalendar"));
    panelCalendar->setFixedWidth(201);
    auto* calendarColumn = new QVBoxLayout(panelCalendar);
    calendarColumn->setContentsMargins(0, 0, 0, 0);
    calendar = new QCalendarWidget(panelCalendar);
    nameForScreenReaders(calendar, QStringLiteral("calendar"));
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setGridVisible(false);
    nameInnerControls(calendar, {{"qt_calendar_prevmonth", "Previous month"},
                                 {"qt_calendar_nextmonth", "Next month"},
                                 {"qt_calendar_monthbutton", "Month"},
                                 {"qt_calendar_yearbutton", "Year"},
                                 {"qt_calendar_yearedit", "Year"},
                                 {"qt_calendar_navigationbar", "Month and year"},
                                 {"qt_calendar_calendarview", "Days of the month"}});
    if (auto* days = calendar->findChild<QAbstractItemView*>()) {
        days->viewport()->setAccessibleName(QStringLiteral("Days of the month"));
    }
    calendarColumn->addWidget(calendar);
    calendarColumn->addStretch();
    treeRow->addWidget(panelCalendar);
    column->addWidget(panelTree);

    pageControl = new QTabWidget(panelRight);
    nameForScreenReaders(pageControl, QStringLiteral("pageControl"));
    for (auto [page, name, caption] :
         {std::tuple{&sheetEventType, QStringLiteral("sheetEventType"),
                     QStringLiteral("Appointment Type")},
          std::tuple{&sheetEvent, QStringLiteral("sheetEvent"), QStringLiteral("Appointment")},
          std::tuple{&sheetChart, QStringLiteral("sheetChart"), QStringLiteral("Chart")},
          std::tuple{&sheetPlan, QStringLiteral("sheetPlan"), QStringLiteral("Plan")}}) {
        auto* sheet = new QWidget(pageControl);
        nameForScreenReaders(sheet, name, caption);
        pageControl->addTab(sheet, caption);
        *page = sheet;
    }
    typePage = new TypePage(sheetEventType);
    auto* typeLayout = new QVBoxLayout(sheetEventType);
    typeLayout->setContentsMargins(0, 0, 0, 0);
    typeLayout->addWidget(typePage);
    appointmentPage = new AppointmentPage(sheetEvent);
    auto* appointmentLayout = new QVBoxLayout(sheetEvent);
    appointmentLayout->setContentsMargins(0, 0, 0, 0);
    appointmentLayout->addWidget(appointmentPage);
    createChartPage();
    createPlanPage();
    nameInnerControls(pageControl, {{"qt_tabwidget_stackedwidget", "Pages"}});
    column->addWidget(pageControl, 1);
}

void TForm1::createChartPage() {
    auto* layout = new AnchoredLayout(QSize(383, 230), sheetChart);
    chart = new PieChartView(sheetChart);
    nameForScreenReaders(chart, QStringLiteral("chart"), QStringLiteral("Time Split Chart"));
    // The page's own menu prints or exports the chart's range; the pickers keep theirs.
    sheetChart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sheetChart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenuChart->popup(sheetChart->mapToGlobal(at)); });
    layout->addAnchored(chart, {0, 0, 383, 200},
                        AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);

    const QDate today = QDate::currentDate();
    const auto datePicker = [&](const QString& name, const QString& caption) {
        auto* picker = new QDateEdit(today, sheetChart);
        nameForScreenReaders(picker, name, caption);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        connect(picker, &QDateEdit::dateChanged, this, &TForm1::refreshChart);
        // A click recollects the chart too, whether or not it changes the date.
        picker->installEventFilter(this);
        if (auto* text = picker->findChild<QLineEdit*>()) {
            text->installEventFilter(this);
        }
        return picker;
    };
    auto* labelFrom = captionLabel(QStringLiteral("LabelFrom"), QStringLiteral("From"), sheetChart);
    pickerProfStart = datePicker(QStringLiteral("pickerProfStart"), QStringLiteral("From"));
    labelFrom->setBuddy(pickerProfStart);
    auto* labelTo = captionLabel(QStringLiteral("labelTo"), QStringLiteral("To"), sheetChart);
    pickerProfEnd = datePicker(QStringLiteral("pickerProfEnd"), QStringLiteral("To"));
    labelTo->setBuddy(pickerProfEnd);

    buttonPrint = new QToolButton(sheetChart);
    nameForScreenReaders(buttonPrint, QStringLiteral("buttonPrint"),
                         QStringLiteral("Print Time Chart"));
    buttonPrint->setIcon(toolBarIcon(ToolBarPicture::Print));
    buttonPrint->setToolTip(QStringLiteral("Print Time Chart"));
    buttonPrint->setFocusPolicy(Qt::StrongFocus);
    connect(buttonPrint, &QToolButton::clicked, this, &TForm1::buttonPrintClick);

    layout->addAnchored(labelFrom, {8, 209, 30, 14}, AnchorLeft | AnchorBottom);
    layout->addAnchored(pickerProfStart, {40, 205, 89, 21}, AnchorLeft | AnchorBottom);
    layout->addAnchored(labelTo, {136, 209, 22, 14}, AnchorLeft | AnchorBottom);
    layout->addAnchored(pickerProfEnd, {160, 205, 89, 21}, AnchorLeft | AnchorBottom);
    layout->addAnchored(buttonPrint, {352, 205, 23, 22}, AnchorRight | AnchorBottom);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (QDateEdit* picker : {pickerProfStart, pickerProfEnd}) {
            if (watched == picker || watched->parent() == picker) {
                refreshChart();
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::setFocusOrder() {
    // Reading order: the toolbar, the timeline, then the right-hand side from top to bottom.
    const QList<QWidget*> order = {
        toolBar,  ScrollBox1,  checkBoxApplyToFuture, buttonTutorial, tree,
        calendar, pageControl, pickerProfStart,       pickerProfEnd,  buttonPrint};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

}  // namespace kalvo
