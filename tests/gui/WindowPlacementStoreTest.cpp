#include "gui/WindowPlacementStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "PlannerToolBar.h"

namespace kalvo {
namespace {

using Names = std::vector<std::string>;

const Names firstArrangement = {"SpeedItemEditNote:1",  "SpeedItemCategory:1", "SpeedItemCharts:1",
                                "SpeedItemContents:1",  "SpeedItemExit:1",     "SpeedItemBackup:0",
                                "SpeedItemDeleteNote:0"};

// Each step of a test works in a configuration folder of its own. A value read back from the
// folder it was written to may come from QSettings' cache in this process; copying the file
// into a new folder makes QSettings parse the text, as the next start of the program does.
class WindowPlacementStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }

    void TearDown() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           qEnvironmentVariable("XDG_CONFIG_HOME"));
    }

    QString folder(const QString& name) const { return root_.path() + "/" + name; }
    QString iniPath(const QString& name) const { return folder(name) + "/Kalvo Planner.conf"; }

    void useFolder(const QString& name) {
        ASSERT_TRUE(QDir().mkpath(folder(name)));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder(name));
    }

    QString readIni(const QString& name) const {
        QFile file(iniPath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void writeIni(const QString& name, const QString& text) {
        useFolder(name);
        QFile file(iniPath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(text.toUtf8()), text.toUtf8().size());
    }

    // The stored line of one value, e.g. "Geometry=@ByteArray(...)".
    static QString lineOf(const QString& ini, const QString& value) {
        for (const QString& line : ini.split(u'\n')) {
            if (line.startsWith(value + u'=')) {
                return line;
            }
        }
        return {};
    }

    static void showAndWait(QMainWindow& window, bool maximised) {
        if (maximised) {
            window.showMaximized();
        } else {
            window.show();
        }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    WindowPlacementStore store_;

private:
    QTemporaryDir root_;
};

TEST_F(WindowPlacementStoreTest, PlacementAndArrangementSurviveTheNextStart) {
    struct Case {
        const char* name;
        QRect geometry;
        bool maximised;
        ToolBarArrangement arrangement;
        const char* storedToolBar;
    };
    const std::vector<Case> cases = {
        {"normal",
         QRect(40, 30, 600, 450),
         false,
         {{"SpeedItemExit", true}},
         "ToolBar=SpeedItemExit:1, SpeedItemEditNote:1, SpeedItemCategory:1, SpeedItemCharts:1, "
         "SpeedItemContents:1, SpeedItemBackup:0, SpeedItemDeleteNote:0"},
        {"maximised",
         QRect(100, 60, 500, 400),
         true,
         {{"SpeedItemDeleteNote", true},
          {"SpeedItemEditNote", false},
          {"SpeedItemCategory", false},
          {"SpeedItemCharts", false},
          {"SpeedItemContents", false},
          {"SpeedItemExit", false},
          {"SpeedItemBackup", false}},
         "ToolBar=SpeedItemDeleteNote:1, SpeedItemEditNote:0, SpeedItemCategory:0, "
         "SpeedItemCharts:0, SpeedItemContents:0, SpeedItemExit:0, SpeedItemBackup:0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Names arrangement = [&] {
            test::PlannerToolBar saved;
            saved.window.setGeometry(c.geometry);
            showAndWait(saved.window, c.maximised);
            saved.toolBar->setArrangement(c.arrangement);
            useFolder(QString("save-") + c.name);
            EXPECT_TRUE(store_.save(saved.window, *saved.toolBar));
            return test::texts(saved.toolBar->arrangement());
        }();

        const QString ini = readIni(QString("save-") + c.name);
        EXPECT_TRUE(ini.startsWith("[Screen%20General]\n")) << ini.toStdString();
        EXPECT_TRUE(lineOf(ini, "Geometry").startsWith("Geometry=@ByteArray("))
            << ini.toStdString();
        EXPECT_EQ(lineOf(ini, "ToolBar"), c.storedToolBar);

        writeIni(QString("read-") + c.name, ini);
        test::PlannerToolBar restored;
        restored.window.setGeometry(10, 10, 300, 200);
        EXPECT_TRUE(store_.restore(restored.window, *restored.toolBar));
        showAndWait(restored.window, false);
        EXPECT_EQ(test::texts(restored.toolBar->arrangement()), arrangement);
        EXPECT_EQ(restored.window.isMaximized(), c.maximised);
        // Where the window returns to when it is no longer maximised.
        EXPECT_EQ(restored.window.normalGeometry(), c.geometry);
    }
}

TEST_F(WindowPlacementStoreTest, NothingStoredRestoresNothingAndWritesNothing) {
    useFolder("empty");
    test::PlannerToolBar planner;
    planner.window.setGeometry(20, 20, 300, 200);
    EXPECT_FALSE(store_.restore(planner.window, *planner.toolBar));
    EXPECT_EQ(planner.window.geometry(), QRect(20, 20, 300, 200));
    EXPECT_EQ(test::texts(planner.toolBar->arrangement()), firstArrangement);
    EXPECT_FALSE(QFile::exists(iniPath("empty")));
}

TEST_F(WindowPlacementStoreTest, UnreadableValuesArePassedOver) {
    QString geometryLine;
    {
        test::PlannerToolBar saved;
        saved.window.setGeometry(50, 40, 400, 300);
        useFolder("source");
        ASSERT_TRUE(store_.save(saved.window, *saved.toolBar));
        geometryLine = lineOf(readIni("source"), "Geometry");
        ASSERT_FALSE(geometryLine.isEmpty());
    }
    struct Case {
        const char* geometry;  // nullptr: the saved one
        const char* toolBar;
        bool found;
        Names arrangement;
    };
    const Names exitFirst = {"SpeedItemExit:1",      "SpeedItemEditNote:1", "SpeedItemCategory:1",
                             "SpeedItemCharts:1",    "SpeedItemContents:1", "SpeedItemBackup:0",
                             "SpeedItemDeleteNote:0"};
    const Names exitFirstChartHidden = {
        "SpeedItemExit:1",     "SpeedItemCharts:0", "SpeedItemEditNote:1",  "SpeedItemCategory:1",
        "SpeedItemContents:1", "SpeedItemBackup:0", "SpeedItemDeleteNote:0"};
    const std::vector<Case> cases = {
        {"Geometry=garbage", "ToolBar=SpeedItemExit:1", false, exitFirst},
        {"Geometry=@ByteArray(garbage)", "ToolBar=SpeedItemExit:1", false, exitFirst},
        {"Geometry=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", "", false, firstArrangement},
        {"Geometry=", "ToolBar=\"SpeedItemExit:1,SpeedItemCharts:0\"", false, exitFirstChartHidden},
        {nullptr, "ToolBar=SpeedItemExit:yes", true, firstArrangement},
        {nullptr, "ToolBar=SpeedItemExit:1, SpeedItemCharts", true, firstArrangement},
        {nullptr, "ToolBar=:1", true, firstArrangement},
        {nullptr, "ToolBar=", true, firstArrangement},
        {nullptr, "ToolBar=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", true, firstArrangement},
        {nullptr, "ToolBar=@ByteArray(SpeedItemExit:1)", true, firstArrangement},
        {nullptr, "ToolBar=SpeedItemGone:1, SpeedItemExit:1, SpeedItemCharts:0", true,
         exitFirstChartHidden},
    };
    int caseNumber = 0;
    for (const Case& c : cases) {
        const QString text = QString("[Screen General]\n%1\n%2\n")
                                 .arg(c.geometry ? QString(c.geometry) : geometryLine, c.toolBar);
        SCOPED_TRACE(text.toStdString());
        writeIni(QString("case-%1").arg(++caseNumber), text);
        test::PlannerToolBar planner;
        planner.window.setGeometry(20, 20, 300, 200);
        EXPECT_EQ(store_.restore(planner.window, *planner.toolBar), c.found);
        EXPECT_EQ(planner.window.geometry(),
                  c.found ? QRect(50, 40, 400, 300) : QRect(20, 20, 300, 200));
        EXPECT_EQ(test::texts(planner.toolBar->arrangement()), c.arrangement);
    }
}

TEST_F(WindowPlacementStoreTest, WindowSavedOffEveryScreenComesBackOntoOne) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    int caseNumber = 0;
    for (const QPoint away : {QPoint(screen.right() + 2000, 40), QPoint(-3000, -2000),
                              QPoint(40, screen.bottom() + 5)}) {
        SCOPED_TRACE(std::to_string(away.x()) + "," + std::to_string(away.y()));
        const QString name = QString::number(++caseNumber);
        {
            test::PlannerToolBar saved;
            saved.window.setGeometry(QRect(away, QSize(400, 300)));
            showAndWait(saved.window, false);
            useFolder("save-" + name);
            ASSERT_TRUE(store_.save(saved.window, *saved.toolBar));
        }
        writeIni("read-" + name, readIni("save-" + name));
        test::PlannerToolBar restored;
        store_.restore(restored.window, *restored.toolBar);
        showAndWait(restored.window, false);
        EXPECT_TRUE(screen.contains(restored.window.geometry()))
            << restored.window.x() << "," << restored.window.y();
        EXPECT_EQ(restored.window.size(), QSize(400, 300));
    }
}

}  // namespace
}  // namespace kalvo
