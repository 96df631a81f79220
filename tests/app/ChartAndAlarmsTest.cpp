#include <gtest/gtest.h>

#include <functional>

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "AlarmDatabase.h"
#include "ModalAnswer.h"
#include "QuietWindow.h"
#include "RunIdle.h"
#include "alarms/FakeSoundPlayer.h"
#include "app/TForm1.h"
#include "chart/widgets/PieChart.h"
#include "chart/widgets/ReportTimeSplit.h"
#include "day/widgets/DayView.h"
#include "day/widgets/TaskPanel.h"
#include "settings/FakeSettingsStore.h"
#include "support/DatabaseFiles.h"

namespace kalvo {
namespace {

using test::runIdle;
using test::runIdleAWhile;

// Work 09:00-12:00 and Lunch 12:00-13:00 every day, with alarms (writeAlarmDatabase).
class ChartAndAlarmsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeAlarmDatabase(folder.path(), bell, gong);
        auto fakePlayer = std::make_unique<test::FakeSoundPlayer>();
        player = fakePlayer.get();
        window = test::showQuietWindow(
            store, settings, folder.path(),
            WindowPlatform{.soundPlayer = std::move(fakePlayer),
                           .currentTime =
                               [this] {
                                   return runningSince.isValid()
                                              ? clock.addMSecs(runningSince.elapsed())
                                              : clock;
                               },
                           .currentDate = [this] { return date; },
                           .beep = [this] { ++beeps; }});
    }

    static QString hours(double value) { return QLocale().toString(value, 'f', 1); }

    test::TemporaryFolder folder;
    const std::string bell = folder.file("bell.wav");
    const std::string gong = folder.file("gong.mp3");
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    test::FakeSoundPlayer* player = nullptr;
    QTime clock{8, 0, 30};
    QDate date = QDate::currentDate();
    QElapsedTimer runningSince;  // once started, the clock runs on from `clock`
    int beeps = 0;
    std::unique_ptr<TForm1> window;
};

using Calls = std::vector<std::string>;

QStringList texts(const std::vector<test::ModalMessage>& messages) {
    QStringList result;
    for (const test::ModalMessage& message : messages) {
        result << message.title + ": " + message.text;
    }
    return result;
}

TEST_F(ChartAndAlarmsTest, AnAlarmComesFromTheIdleHookOnceUntilTheNextDayBuild) {
    test::MessageBoxAnswerer answerer;
    runIdleAWhile();
    EXPECT_TRUE(answerer.dismissed.empty()) << "nothing starts at 08:00";

    clock = QTime(9, 0, 59);
    runIdle([&] { return !answerer.dismissed.empty() && player->calls.size() == 4; });
    ASSERT_EQ(texts(answerer.dismissed), QStringList{"Warning: Alarm for Work"});
    EXPECT_EQ(answerer.dismissed[0].icon, QMessageBox::Warning);
    EXPECT_EQ(player->calls, (Calls{"open " + bell, "play", "stop", "close"}))
        << "the sound stops once the warning is dismissed";
    runIdleAWhile();
    EXPECT_EQ(answerer.dismissed.size(), 1U) << "given once in its minute";

    // The next day in the calendar, chosen from the keyboard: the day build lets the alarm of
    // that day's row come in the same minute.
    auto* days = window->calendar->findChild<QAbstractItemView*>();
    ASSERT_NE(days, nullptr);
    days->setFocus();
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(window->calendar->selectedDate(), QDate::currentDate().addDays(1));
    runIdle([&] { return answerer.dismissed.size() == 2; });
    EXPECT_EQ(texts(answerer.dismissed),
              (QStringList{"Warning: Alarm for Work", "Warning: Alarm for Work"}));
}

// Left open over midnight on the day that ended, the window goes on to the new day, whose
// alarms come; a day chosen from the calendar stays shown over the next midnight.
TEST_F(ChartAndAlarmsTest, AWindowLeftOpenOverMidnightGoesOnToTheNewDayAndItsAlarms) {
    test::MessageBoxAnswerer answerer;
    clock = QTime(9, 0, 59);
    runIdle([&] { return answerer.dismissed.size() == 1; });
    ASSERT_EQ(texts(answerer.dismissed), QStringList{"Warning: Alarm for Work"});

    date = date.addDays(1);
    runIdle([&] { return answerer.dismissed.size() == 2; });
    EXPECT_EQ(window->calendar->selectedDate(), date);
    EXPECT_EQ(texts(answerer.dismissed),
              (QStringList{"Warning: Alarm for Work", "Warning: Alarm for Work"}));

    const QDate chosen = date.addDays(5);
    window->calendar->setSelectedDate(chosen);
    date = date.addDays(1);
    runIdleAWhile();
    EXPECT_EQ(window->calendar->selectedDate(), chosen);
}

// Answers the first message box the moment it is shown and then ends `loop`; it never polls,
// for a poll would wake the event loop it watches.
class FirstMessageAnswerer final : public QObject {
public:
    explicit FirstMessageAnswerer(QEventLoop& loop) : loop_(loop) {
        qApp->installEventFilter(this);
    }
    ~FirstMessageAnswerer() override { qApp->removeEventFilter(this); }

    QString text;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box != nullptr && event->type() == QEvent::Show && text.isEmpty()) {
            text = box->text();
            QMetaObject::invokeMethod(
                box, [box] { box->button(QMessageBox::Ok)->click(); }, Qt::QueuedConnection);
            QMetaObject::invokeMethod(&loop_, &QEventLoop::quit, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QEventLoop& loop_;
};

TEST_F(ChartAndAlarmsTest, AWindowLeftAloneGivesTheAlarmInItsMinute) {
    window->calendar->setFocus();  // no text cursor blinks
    clock = QTime(8, 59, 58);
    runningSince.start();
    QEventLoop idle;
    FirstMessageAnswerer answerer(idle);
    QTimer::singleShot(8000, &idle, &QEventLoop::quit);
    idle.exec();  // no input, no other timer: only the window's own wake-up can end this early
    EXPECT_EQ(answerer.text, "Alarm for Work");
    EXPECT_LT(runningSince.elapsed(), 6000);
}

TEST_F(ChartAndAlarmsTest, AnAlarmSoundThatFailsAfterStartingBeepsInstead) {
    test::MessageBoxAnswerer answerer;
    // The backend gives up on the sound while the warning is open, as without a sound server.
    QTimer backend;
    QObject::connect(&backend, &QTimer::timeout, [&] {
        if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr) {
            player->failLate();
            backend.stop();
        }
    });
    backend.start(5);
    clock = QTime(9, 0, 59);
    runIdle([&] { return !answerer.dismissed.empty(); });
    ASSERT_EQ(texts(answerer.dismissed), QStringList{"Warning: Alarm for Work"});
    EXPECT_EQ(beeps, 1);
    player->failLate();  // a failure with no alarm sounding is not an alarm's
    EXPECT_EQ(beeps, 1);
}

TEST_F(ChartAndAlarmsTest, NestedAlarmsShareThePlayerWithoutAnErrorOrASoundLeftPlaying) {
    test::MessageBoxAnswerer answerer;
    clock = QTime(12, 0);
    runIdle([&] { return answerer.dismissed.size() == 2; });
    runIdleAWhile();  // no third message, no error report after the second
    // Lunch's alarm opens from a check inside the open warning of Work's end and is
    // dismissed first; no "No MCI device open" follows the first warning.
    EXPECT_EQ(texts(answerer.dismissed),
              (QStringList{"Warning: Alarm for Lunch", "Warning: After Alarm for Work"}));
    EXPECT_EQ(player->calls,
              (Calls{"open " + bell, "play", "open " + gong, "play", "stop", "close"}));
    EXPECT_FALSE(player->isOpen());
}

TEST_F(ChartAndAlarmsTest, TheChartFollowsDayBuildsPickersAndDragSteps) {
    const auto shown = [this] { return window->chart->accessibleDescription().toStdString(); };
    EXPECT_EQ(shown(), ("Work " + hours(3) + ", Lunch " + hours(1) + ", Not Specified " + hours(20))
                           .toStdString());

    const QDate today = QDate::currentDate();
    window->pickerProfEnd->setDate(today.addDays(2));
    EXPECT_EQ(shown(), ("Work " + hours(9) + ", Lunch " + hours(3) + ", Not Specified " + hours(60))
                           .toStdString());

    // Work's top edge dragged an hour up: the chart counts the new hours at once.
    EventDataRow* work = window->model().dayPanels[0];
    TaskPanel* panel = window->dayView().panelOf(work);
    ASSERT_NE(panel, nullptr);
    QWidget* column = panel->parentWidget();  // the panel moves with its top edge; this does not
    const QPoint grip = panel->mapToParent(QPoint(5, 1));
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 1));
    QTest::mouseMove(panel, panel->mapFrom(column, grip - QPoint(0, 12)));
    QTest::mouseMove(panel, panel->mapFrom(column, grip - QPoint(0, 24)));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, panel->mapFrom(column, grip - QPoint(0, 24)));
    EXPECT_EQ(shown(),
              ("Work " + hours(10) + ", Lunch " + hours(3) + ", Not Specified " + hours(59))
                  .toStdString());

    // An end before the start draws nothing; a click on a picker collects again.
    window->pickerProfEnd->setDate(today.addDays(-1));
    EXPECT_EQ(shown(), "");
    window->pickerProfEnd->setDate(today);
    window->model().chartSlices.clear();
    window->chart->setSlices({});
    auto* startText = window->pickerProfStart->findChild<QLineEdit*>();
    ASSERT_NE(startText, nullptr);
    QTest::mouseClick(startText, Qt::LeftButton, {}, startText->rect().center());
    EXPECT_EQ(window->pickerProfStart->date(), today);
    EXPECT_EQ(shown(), ("Work " + hours(4) + ", Lunch " + hours(1) + ", Not Specified " + hours(19))
                           .toStdString());
}

TEST_F(ChartAndAlarmsTest, PrintShowsOnePreviewOfTheChartAsItWasWhenPrinted) {
    const QDate today = QDate::currentDate();
    const QString todayText = QLocale().toString(today, QLocale::ShortFormat);
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    TformReportGrowthChart& report = window->formReportGrowthChart();
    QPointer<QPrintPreviewDialog> preview = report.openPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->isModal()) << "the main window stays usable";
    EXPECT_EQ(report.headerText(), "Time Split for " + todayText);
    EXPECT_EQ(pieDescription(report.pie()),
              "Work " + hours(3) + ", Lunch " + hours(1) + ", Not Specified " + hours(20));

    // What the chart computes later does not reach the open preview; the print button hands
    // the new range to it and opens no second one.
    window->pickerProfEnd->setDate(today.addDays(1));
    auto* previewPage = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(previewPage, nullptr);
    previewPage->updatePreview();  // the preview produces its page again
    EXPECT_EQ(report.headerText(), "Time Split for " + todayText);
    QTest::mouseClick(window->buttonPrint, Qt::LeftButton);
    EXPECT_EQ(report.openPreview(), preview.data());
    EXPECT_EQ(report.headerText(), "Time Split from " + todayText + " to " +
                                       QLocale().toString(today.addDays(1), QLocale::ShortFormat));

    // The page as it prints: header, marks, legend lines and the date of printing.
    const QString pdf = QString::fromStdString(folder.file("report.pdf"));
    report.printer().setOutputFormat(QPrinter::PdfFormat);
    report.printer().setOutputFileName(pdf);
    report.printReport(report.printer());
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000)) << "pdftotext (poppler-utils) reads the page";
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const QString& expected :
         QStringList{"Time Split from " + todayText, "Work " + hours(6), "Lunch " + hours(2),
                     "Not Specified " + hours(40), "12.5 % Work", "4.17 % Lunch",
                     "83.33 % Not Specified", todayText}) {
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << " in\n"
                                             << text.toStdString();
    }
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(preview.isNull()) << "closed, the preview is gone";
}

}  // namespace
}  // namespace kalvo
