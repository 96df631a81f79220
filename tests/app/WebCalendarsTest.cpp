#include <gtest/gtest.h>

#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <QTest>
#include <memory>

#include "ModalAnswer.h"
#include "QuietWindow.h"
#include "app/TForm1.h"
#include "calendars/Subscriptions.h"
#include "settings/FakeSettingsStore.h"
#include "support/DatabaseFiles.h"
#include "support/SelfSignedCertificate.h"

namespace kalvo {
namespace {

// A folder served on 127.0.0.1 by Python's http.server, over TLS with a certificate of its own
// when one is given; stopped when this goes.
class FolderServer {
public:
    FolderServer(const std::filesystem::path& folder, const QStringList& certificate = {}) {
        process_.start(QStringLiteral(KALVO_TEST_PYTHON),
                       QStringList{QStringLiteral(KALVO_SERVE_FOLDER),
                                   QString::fromStdString(folder.string())} +
                           certificate);
        if (process_.waitForReadyRead(10000)) {
            port_ = process_.readLine().trimmed().toInt();
        }
    }
    ~FolderServer() { stop(); }

    int port() const { return port_; }
    void stop() {
        process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
    int port_ = 0;
};

// A calendar on the web with a review today, in a window whose cache folder is the test's own.
class WebCalendarsTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.path().string()));
        test::writeDatabase(database.path(), "<ROW Id=\"0\" Name=\"Work\"/>", "", "");
        const std::string day = QDate::currentDate().toString("yyyyMMdd").toStdString();
        test::writeFileText(served.file("team.ics"),
                            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:review\r\n"
                            "SUMMARY:Design review\r\nDTSTART:" +
                                day + "T090000\r\nDTEND:" + day +
                                "T103000\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    }
    void TearDown() override { qunsetenv("XDG_CACHE_HOME"); }

    void subscribe(const QString& scheme, int port) {
        saveSubscriptions(
            store,
            {{"Team",
              QStringLiteral("%1://127.0.0.1:%2/team.ics").arg(scheme).arg(port).toStdString(),
              subscriptionColor(0), true}});
    }

    std::size_t shownEvents() const {
        std::size_t shown = 0;
        for (QWidget* mark : window->panelMain->findChildren<QWidget*>("otherCalendarEvent")) {
            shown += mark->isHidden() ? 0 : 1;
        }
        return shown;
    }

    test::TemporaryFolder cache;
    test::TemporaryFolder database;
    test::TemporaryFolder served;
    test::FakeSettingsStore store;
    ProgrammSettings settings;
    std::unique_ptr<TForm1> window;
};

TEST_F(WebCalendarsTest, ACalendarOnTheWebIsFetchedAfterTheFirstPaintAndShownFromTheCacheToo) {
    FolderServer server(served.path());
    ASSERT_GT(server.port(), 0);
    subscribe(QStringLiteral("http"), server.port());
    window = test::showQuietWindow(store, settings, database.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownEvents() == 1U; }));

    server.stop();
    window->actionRefresh->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return window->statusBar()->currentMessage().startsWith(
            "The calendar \"Team\" cannot be fetched: ");
    }));
    EXPECT_EQ(shownEvents(), 1U) << "the last good copy stays";

    window.reset();
    window = test::showQuietWindow(store, settings, database.path());
    EXPECT_EQ(shownEvents(), 1U) << "from the cache, without the network";
}

TEST_F(WebCalendarsTest, ASelfSignedCertificateIsTrustedOnlyWhenAcceptedAndOnlyThere) {
    FolderServer server(served.path(), test::selfSignedCertificate(cache.path(), "first"));
    ASSERT_GT(server.port(), 0);
    subscribe(QStringLiteral("https"), server.port());

    test::ModalMessage refused;
    test::answerNextMessageBox(refused, QMessageBox::No);
    window = test::showQuietWindow(store, settings, database.path());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return window->statusBar()->currentMessage().startsWith(
            "The calendar \"Team\" cannot be fetched: ");
    }));
    ASSERT_TRUE(refused.shown);
    EXPECT_NE(refused.text.indexOf("SHA-256 fingerprint: "), -1) << refused.text.toStdString();
    EXPECT_EQ(shownEvents(), 0U);
    EXPECT_TRUE(loadPinnedCertificates(store).empty());

    test::ModalMessage accepted;
    test::answerNextMessageBox(accepted, QMessageBox::Yes);
    window->actionRefresh->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownEvents() == 1U; }));
    EXPECT_TRUE(accepted.shown);
    const auto pinned = loadPinnedCertificates(store);
    ASSERT_EQ(pinned.size(), 1U);
    EXPECT_EQ(pinned.begin()->first, "127.0.0.1:" + std::to_string(server.port()));

    // Trusted from then on without a question; another certificate there is asked about again.
    test::ModalMessage again;
    const QPointer<QTimer> lookingAgain = test::answerNextMessageBox(again, QMessageBox::No);
    window->statusBar()->clearMessage();
    window->actionRefresh->trigger();
    QTest::qWait(500);
    EXPECT_FALSE(again.shown);
    delete lookingAgain;
    EXPECT_EQ(window->statusBar()->currentMessage(), "");
    server.stop();
    FolderServer other(served.path(), test::selfSignedCertificate(cache.path(), "second"));
    subscribe(QStringLiteral("https"), other.port());
    window.reset();
    test::ModalMessage otherAsked;
    test::answerNextMessageBox(otherAsked, QMessageBox::No);
    window = test::showQuietWindow(store, settings, database.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return otherAsked.shown; }));
}

}  // namespace
}  // namespace kalvo
