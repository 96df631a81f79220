// CalDAV calendars: the first sync of a calendar of 5 000 events from Radicale on 127.0.0.1, an
// idle sync, and reading the synced calendar back from the cache as the day does at start; and
// publishing the last 395 days of the ten-year database: making its resources, the first
// publish to Radicale, and the publish of one edit, each keeping its state in the cache after
// every request as the window does.
// Run: build-bench/bin/kalvo_caldav_bench (Radicale installed)
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <memory>

#include "TenYearDatabase.h"
#include "base/Calendar.h"
#include "calendars/CalendarFile.h"
#include "export/CalendarExport.h"
#include "export/SpreadsheetExport.h"
#include "gui/CalDavCache.h"
#include "gui/CalDavClient.h"
#include "support/CalDavServer.h"

namespace kalvo::bench {
namespace {

constexpr int kEvents = 5000;

// Radicale with one calendar of 5 000 events, started once for all the benchmarks.
const test::CalDavServer& server() {
    static const auto started = [] {
        auto made = std::make_unique<test::CalDavServer>(test::CalDavServer::Kind::radicale);
        QByteArray all = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
        for (int n = 0; n < kEvents; ++n) {
            const QByteArray uid = QByteArray::number(n);
            all += "BEGIN:VEVENT\r\nUID:" + uid +
                   "\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:Meeting " + uid + "\r\nDTSTART:2026" +
                   QByteArray::number(101 + n % 12 * 100 + n % 28).rightJustified(4, '0') +
                   "T090000\r\nDTEND:2026" +
                   QByteArray::number(101 + n % 12 * 100 + n % 28).rightJustified(4, '0') +
                   "T100000\r\nEND:VEVENT\r\n";
        }
        made->putCalendar("work", all + "END:VCALENDAR\r\n");
        return made;
    }();
    return *started;
}

// Syncs the calendar from `cache`; the new cache.
CalendarCache synced(const CalendarCache& cache, int* requests = nullptr) {
    CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
    QEventLoop loop;
    CalendarCache result;
    QObject::connect(&client, &CalDavClient::synced,
                     [&](const std::string&, const CalDavSync& sync) {
                         result = sync.result();
                         loop.quit();
                     });
    QObject::connect(&client, &CalDavClient::syncFailed, &loop, &QEventLoop::quit);
    client.sync(server().calendarUrl("work").toStdString(), cache);
    loop.exec();
    if (requests != nullptr) {
        *requests = client.requestsSent();
    }
    return result;
}

void FirstSyncOf5000Events(benchmark::State& state) {
    server();
    for (auto _ : state) {
        const CalendarCache cache = synced({});
        if (cache.resources.size() != kEvents) {
            state.SkipWithError("the sync did not bring every event");
        }
    }
}
BENCHMARK(FirstSyncOf5000Events)->Unit(benchmark::kMillisecond)->Iterations(3);

void IdleSync(benchmark::State& state) {
    const CalendarCache cache = synced({});
    int requests = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(synced(cache, &requests));
    }
    state.counters["requests"] = requests;
}
BENCHMARK(IdleSync)->Unit(benchmark::kMillisecond);

// What the day does at start: the calendar read from the cache and parsed whole.
void ReadTheCachedCalendar(benchmark::State& state) {
    const QString file = QStringLiteral("%1/kalvo-caldav-bench.sqlite").arg(QDir::tempPath());
    QFile::remove(file);
    CalDavCache cache(file);
    {
        CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
        QEventLoop loop;
        QObject::connect(&client, &CalDavClient::synced,
                         [&](const std::string& url, const CalDavSync& sync) {
                             cache.store(url, sync);
                             loop.quit();
                         });
        client.sync(server().calendarUrl("work").toStdString(), {});
        loop.exec();
    }
    for (auto _ : state) {
        const CalendarFile calendar(
            calendarTextOf(cache.load(server().calendarUrl("work").toStdString())),
            "Europe/Berlin");
        benchmark::DoNotOptimize(calendar.events().size());
    }
    QFile::remove(file);
}
BENCHMARK(ReadTheCachedCalendar)->Unit(benchmark::kMillisecond);

// The ten-year database's last 395 days, as publishing makes them: one resource per appointment.
std::map<std::string, std::string> tenYearWindow() {
    static const Model model = [] {
        Model linked = tenYearModel();
        linked.link();
        return linked;
    }();
    const DateTime last = static_cast<DateTime>(daysFromCivil({2024, 12, 31}));
    const DateTime first = last - 394;
    Model copy = copyOf(model);
    return publishedAppointments(exportedOccurrences(copy, first, last), first, last,
                                 "Europe/Berlin", 0);
}

void ResourcesOfATenYearWindow(benchmark::State& state) {
    std::size_t resources = 0;
    for (auto _ : state) {
        resources = tenYearWindow().size();
    }
    state.counters["resources"] = static_cast<double>(resources);
}
BENCHMARK(ResourcesOfATenYearWindow)->Unit(benchmark::kMillisecond);

// Publishes `resources` to the calendar `name` from `published`; the state it reaches.
// A publish as the window makes one: what each request did is kept in the cache at once.
PublishState publishTo(const QString& name, const PublishState& published,
                       const std::map<std::string, std::string>& resources, int* requests) {
    const QString file = QStringLiteral("%1/kalvo-publish-bench.sqlite").arg(QDir::tempPath());
    CalDavCache cache(file);
    CalDavClient client(QStringLiteral("ann"), QStringLiteral("secret"));
    const std::string url = server().calendarUrl(name).toStdString();
    QEventLoop loop;
    PublishState reached;
    bool done = false;
    QObject::connect(&client, &CalDavClient::publishStepped,
                     [&](const std::string&, const CalDavPublish& publish) {
                         cache.storePublished(url, publish.state(), publish.lastTaken());
                     });
    QObject::connect(&client, &CalDavClient::published,
                     [&](const std::string&, const CalDavPublish& publish, const QString&) {
                         reached = publish.state();
                         cache.storePublished(url, reached);
                         done = true;
                         loop.quit();
                     });
    client.publish(url, published, resources);
    if (!done) {
        loop.exec();
    }
    *requests = client.requestsSent();
    return reached;
}

void FirstPublishOfATenYearWindow(benchmark::State& state) {
    const std::map<std::string, std::string> resources = tenYearWindow();
    int requests = 0;
    int calendar = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString name = QStringLiteral("plan%1").arg(++calendar);
        server().makeCalendar(name, name);
        state.ResumeTiming();
        publishTo(name, {}, resources, &requests);
    }
    state.counters["requests"] = requests;
    state.counters["resources"] = static_cast<double>(resources.size());
}
BENCHMARK(FirstPublishOfATenYearWindow)->Unit(benchmark::kMillisecond)->Iterations(1);

void PublishOfOneEdit(benchmark::State& state) {
    std::map<std::string, std::string> resources = tenYearWindow();
    int requests = 0;
    server().makeCalendar(QStringLiteral("edited"), QStringLiteral("Edited"));
    PublishState published = publishTo(QStringLiteral("edited"), {}, resources, &requests);
    std::string& edited = resources.begin()->second;
    for (auto _ : state) {
        state.PauseTiming();
        edited.insert(edited.find("SUMMARY:") + 8, "x");
        state.ResumeTiming();
        published = publishTo(QStringLiteral("edited"), published, resources, &requests);
    }
    state.counters["requests"] = requests;
}
BENCHMARK(PublishOfOneEdit)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace kalvo::bench

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
