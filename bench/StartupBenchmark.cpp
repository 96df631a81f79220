// The start of the real program, from the start of its process to the first paint of its
// timeline, on the starter database and on the generated ten- and thirty-year databases: the
// median of five starts, the end of each phase and the total, and the total against the
// starter database's in the same run.
// Run: build-bench/bin/kalvo_startup_bench (the program runs offscreen, in a home of its own).
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "TenYearDatabase.h"

namespace {

constexpr int kStarts = 5;
// The window is built while a worker thread reads the database: "open and model" ends when
// the window has the model.
const char* const kPhases[] = {"main",  "settings", "open and model", "day build",
                               "chart", "tree",     "shown",          "first paint"};

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The phases' ends of one start, in milliseconds since its process was started.
std::map<std::string, double> start(const QString& database, const QString& home) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("KALVO_STARTUP_TRACE"),
                       QString::number(monotonicNanoseconds()));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KALVO_PLANNER_EXECUTABLE),
                  {QStringLiteral("--database"), database});
    std::map<std::string, double> phases;
    if (!program.waitForFinished(120'000) || program.exitCode() != 0) {
        std::fprintf(stderr, "the program did not start on %s\n", qPrintable(database));
        return phases;
    }
    for (const QString& line : QString::fromLocal8Bit(program.readAllStandardError()).split('\n')) {
        if (!line.startsWith(QStringLiteral("startup "))) {
            continue;
        }
        const qsizetype last = line.lastIndexOf(' ');
        phases[line.mid(8, last - 8).toStdString()] = line.mid(last + 1).toDouble();
    }
    return phases;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir starter;
    QTemporaryDir home;
    for (const char* name : {"Type.xml", "Event.xml", "EventData.xml"}) {
        QFile::copy(QStringLiteral(KALVO_STARTER_DATABASE "/") + QLatin1String(name),
                    starter.filePath(QLatin1String(name)));
    }
    const std::pair<const char*, QString> databases[] = {
        {"starter", starter.path()},
        {"10 years", QString::fromStdString(kalvo::bench::plannerFolder(10))},
        {"30 years", QString::fromStdString(kalvo::bench::plannerFolder(30))}};
    for (const int years : {10, 30}) {
        kalvo::bench::ensurePlannerDatabase(kalvo::bench::plannerFolder(years), years);
    }

    std::printf("%-16s", "phase (ms)");
    for (const auto& [name, folder] : databases) {
        std::printf("%12s", name);
    }
    std::printf("\n");
    std::map<std::string, std::map<std::string, std::vector<double>>> ends;  // by database
    for (int run = 0; run < kStarts; ++run) {
        for (const auto& [name, folder] : databases) {  // interleaved: the same machine state
            for (const auto& [phase, end] : start(folder, home.path())) {
                ends[name][phase].push_back(end);
            }
        }
    }
    for (const char* phase : kPhases) {
        std::printf("%-16s", phase);
        for (const auto& [name, folder] : databases) {
            std::printf("%12.1f", median(ends[name][phase]));
        }
        std::printf("\n");
    }
    const double baseline = median(ends["starter"]["first paint"]);
    std::printf("%-17s", "× starter");
    for (const auto& [name, folder] : databases) {
        std::printf("%12.2f", median(ends[name]["first paint"]) / baseline);
    }
    std::printf("\n");
    return 0;
}
