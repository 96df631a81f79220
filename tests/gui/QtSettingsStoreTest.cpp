#include "gui/QtSettingsStore.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <vector>

#include "SettingsChild.h"
#include "settings/ProgrammSettings.h"

namespace kalvo {
namespace {

constexpr const char* commonOptionsKey = "Software\\Kalvo Planner\\Common Options";

TEST(Int32FromIniText, AcceptsOnlyWholeDecimalIntegersInRange) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const std::vector<Case> cases = {
        {"0", 0},
        {"1", 1},
        {"5", 5},
        {"-1", -1},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"5x", std::nullopt},
        {"+5", std::nullopt},
        {"0x10", std::nullopt},
        {"1.0", std::nullopt},
        {"true", std::nullopt},
        {"yes", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(int32FromIniText(c.text), c.expected);
    }
}

// Each test gets its own user folders; the store is exercised by fresh processes that find
// the settings file the way the program does, through XDG_CONFIG_HOME.
class QtSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        for (const char* folder : {"config", "cache", "runtime"}) {
            ASSERT_TRUE(QDir(root_.path()).mkpath(QString::fromLatin1(folder)));
        }
        ASSERT_TRUE(QFile::setPermissions(path("runtime"),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    QString path(const QString& relative) const { return root_.path() + "/" + relative; }
    QString iniPath() const { return path("config/Kalvo Planner.conf"); }

    // Runs the test binary as a separate program on this test's folders; returns its
    // standard output.
    std::string runChild(const QStringList& actions, const QString& configHome = {}) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", root_.path());
        environment.insert("XDG_CONFIG_HOME", configHome.isEmpty() ? path("config") : configHome);
        environment.insert("XDG_CACHE_HOME", path("cache"));
        environment.insert("XDG_RUNTIME_DIR", path("runtime"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    QStringList{QString::fromLatin1(test::settingsChildFlag)} + actions);
        const bool finished = child.waitForFinished(30000);
        EXPECT_TRUE(finished) << "child " << actions.join(' ').toStdString();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        return child.readAllStandardOutput().trimmed().toStdString();
    }

    std::vector<std::string> iniLines() const {
        std::vector<std::string> lines;
        QFile file(iniPath());
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (!line.isEmpty()) {
                    lines.push_back(line.toStdString());
                }
            }
        }
        return lines;
    }

    void writeIni(const QString& text) const {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        ASSERT_EQ(file.write(text.toUtf8()), text.toUtf8().size());
    }

private:
    QTemporaryDir root_;
};

TEST_F(QtSettingsStoreTest, SavedOptionsReadBackInAFreshProcess) {
    struct Case {
        bool exitConfirmation;
        bool tip;
    };
    for (const Case c : {Case{false, true}, Case{true, false}, Case{false, false}}) {
        const std::string e = c.exitConfirmation ? "1" : "0";
        const std::string t = c.tip ? "1" : "0";
        SCOPED_TRACE("saved " + e + " " + t);

        EXPECT_EQ(runChild({"set", e.c_str(), t.c_str(), "save"}), "");

        // QSettings writes the space of the group name escaped.
        EXPECT_EQ(iniLines(),
                  (std::vector<std::string>{"[Common%20Options]", "ShowExitConfirmation=" + e,
                                            "ShowTip=" + t}));

        // The reader starts from the opposite values, so it must have read both.
        const char* notE = c.exitConfirmation ? "0" : "1";
        const char* notT = c.tip ? "0" : "1";
        EXPECT_EQ(runChild({"set", notE, notT, "load", "print"}),
                  "ShowExitConfirmation=" + e + " ShowTip=" + t);
    }
}

TEST_F(QtSettingsStoreTest, StoredTextCountsOnlyWhenItIsAWholeInt32) {
    // The reader starts from false for both options: a value that is ignored leaves false, a
    // missing one gives the default true.
    struct Case {
        const char* exitConfirmation;  // nullptr: no such value in the file
        const char* tip;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"0", "5", "ShowExitConfirmation=0 ShowTip=1"},
        {nullptr, "-3", "ShowExitConfirmation=1 ShowTip=1"},
        {"yes", "5x", "ShowExitConfirmation=0 ShowTip=0"},
        {"true", "1.0", "ShowExitConfirmation=0 ShowTip=0"},
        {"2147483648", "1, 2", "ShowExitConfirmation=0 ShowTip=0"},
        {"2147483647", "-2147483648", "ShowExitConfirmation=1 ShowTip=1"},
        // Typed values QSettings wrote itself: a bool and a byte array are not integers, an
        // int is.
        {"@Variant(\\0\\0\\0\\x1\\x1)", "@ByteArray(1)", "ShowExitConfirmation=0 ShowTip=0"},
        {"@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", "0", "ShowExitConfirmation=1 ShowTip=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        // Written by hand as another program or an older version might: space unescaped.
        QString text = "[Common Options]\n";
        if (c.exitConfirmation) {
            text += QString("ShowExitConfirmation=") + c.exitConfirmation + "\n";
        }
        text += QString("ShowTip=") + c.tip + "\n";
        writeIni(text);

        EXPECT_EQ(runChild({"set", "0", "0", "load", "print"}), c.expected) << text.toStdString();
    }
}

TEST_F(QtSettingsStoreTest, NonZeroIsWrittenBackAsOne) {
    writeIni("[Common%20Options]\nShowExitConfirmation=-7\nShowTip=5\n");

    EXPECT_EQ(runChild({"load", "save"}), "");

    EXPECT_EQ(iniLines(), (std::vector<std::string>{"[Common%20Options]", "ShowExitConfirmation=1",
                                                    "ShowTip=1"}));
}

TEST_F(QtSettingsStoreTest, FirstLoadFromAnEmptyStoreWritesNoValue) {
    EXPECT_EQ(runChild({"set", "0", "0", "load", "print"}), "ShowExitConfirmation=1 ShowTip=1");

    // QSettings cannot hold a group without values, so not even the file is created; what
    // matters is that loading put no value into the store.
    for (const std::string& line : iniLines()) {
        EXPECT_EQ(line.find('='), std::string::npos) << line;
    }
}

TEST_F(QtSettingsStoreTest, FailedWriteIsReportedToTheCallerButNotByProgrammSettings) {
    // A configuration folder that is a plain file cannot take the settings file, whoever
    // runs the test (root ignores permission bits).
    const QString blocked = path("blocked");
    {
        QFile file(blocked);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocked);

    QtSettingsStore store;
    ASSERT_TRUE(store.openKey(commonOptionsKey));
    EXPECT_FALSE(store.writeInteger("ShowTip", 0));
    store.closeKey();

    ProgrammSettings settings;
    settings.setShowTip(false);
    EXPECT_NO_THROW(settings.saveAll(store));
    EXPECT_FALSE(settings.getShowTip());

    // The same seen from a separate program: saving fails silently, loading finds nothing.
    EXPECT_EQ(runChild({"set", "0", "0", "save", "load", "print"}, blocked),
              "ShowExitConfirmation=1 ShowTip=1");
}

TEST_F(QtSettingsStoreTest, OpenKeyRefusesPathsOutsideSoftwareOrganisation) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("config"));
    QtSettingsStore store;
    for (const char* bad : {"", "Software", "Kalvo Planner\\Common Options",
                            "Software\\\\Common Options", "Software\\Kalvo Planner\\"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(store.openKey(bad));
        EXPECT_THROW(store.valueExists("ShowTip"), SettingsStoreError);
    }
    EXPECT_TRUE(store.openKey(commonOptionsKey));
    EXPECT_FALSE(store.valueExists("ShowTip"));
}

}  // namespace
}  // namespace kalvo
