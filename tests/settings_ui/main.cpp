#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace {

// Creates the application object once the tests run, not while gtest_discover_tests lists
// them: listing runs the binary without the test environment and without a display. Before
// that it points the user's folders at a temporary one, so no test touches the real user's
// files.
class WidgetEnvironment : public ::testing::Environment {
public:
    WidgetEnvironment(int argc, char** argv) : argc_(argc), argv_(argv) {}

    void SetUp() override {
        home_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(home_->isValid());
        const QString root = home_->path();
        for (const char* folder : {"config", "cache", "runtime"}) {
            ASSERT_TRUE(QDir(root).mkpath(QString::fromLatin1(folder)));
        }
        ASSERT_TRUE(QFile::setPermissions(root + "/runtime",
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("HOME", QFile::encodeName(root));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(root + "/cache"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + "/runtime"));
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }

    void TearDown() override {
        application_.reset();
        home_.reset();
    }

private:
    int argc_;  // QApplication keeps a reference to it
    char** argv_;
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new WidgetEnvironment(argc, argv));
    return RUN_ALL_TESTS();
}
