#include <malloc.h>
#include <sys/mman.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/ApplicationErrors.h"
#include "app/DatabaseLock.h"
#include "app/StartupTrace.h"
#include "app/TForm1.h"
#include "db/DatabaseFolder.h"
#include "gui/QtSettingsStore.h"
#include "settings/ProgramVersion.h"
#include "settings/ProgrammSettings.h"
#include "settings/widgets/HelpDocuments.h"

namespace {

constexpr int kUsageError = 2;

int usageError(const QString& message) {
    std::fprintf(stderr, "kalvo-planner: %s\nTry 'kalvo-planner --help' for more information.\n",
                 qPrintable(message));
    return kUsageError;
}

// The model of a large database is many small objects; on virtual machines each first touch of
// a 4 KB page costs more than filling it. The heap is grown once, as far as the database's
// files suggest, and asks for huge pages, so that the objects of an open fill 2 MB pages.
void prepareHeapFor(const std::string& databaseFolder) {
    std::size_t bytes = 0;
    for (const char* name : {"Type.xml", "Event.xml", "EventData.xml"}) {
        std::error_code missing;
        const std::uintmax_t size = std::filesystem::file_size(databaseFolder + name, missing);
        bytes += missing ? 0 : static_cast<std::size_t>(size);
    }
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (bytes < 4 * kHugePage) {
        return;  // a small database gains nothing
    }
    // Memory freed at the top of the heap stays there, and large blocks come from the heap too.
    // The thread that reads the database allocates from this heap as well, not from an arena
    // of its own.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    const std::size_t reserve = bytes + 2 * kHugePage;
    void* block = std::malloc(reserve);
    if (block == nullptr) {
        return;
    }
    const auto start = (reinterpret_cast<std::uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(block) + reserve) & ~(kHugePage - 1);
    if (end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
    std::free(block);
}

std::string withSeparator(const QString& folder) {
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()) + QLatin1Char('/'))
        .toStdString();
}

// The command line, read with a core application before the GUI one exists: --help and
// --version print and end without a display. Returns the database folder asked for, or the
// exit status of a wrong command line.
struct CommandLine {
    std::optional<QString> database;
    std::optional<int> exitStatus;
};

CommandLine readCommandLine(int& argc, char** argv) {
    const QCoreApplication reading(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kalvo Planner"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(kalvo::kProgramVersion));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A day planner: appointment types dragged onto a 24-hour timeline, each day's actual "
        "times beside its planned ones, daily series, alarms and a time split chart."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption databaseOption(
        QStringLiteral("database"),
        QStringLiteral("Use the database in FOLDER (its Type.xml, Event.xml and EventData.xml) "
                       "instead of the one beside the program or in the user's data folder."),
        QStringLiteral("FOLDER"));
    parser.addOption(databaseOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        return {.database = std::nullopt, .exitStatus = usageError(parser.errorText())};
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    if (!parser.positionalArguments().isEmpty()) {
        return {.database = std::nullopt,
                .exitStatus = usageError(QStringLiteral("unexpected argument \"%1\"")
                                             .arg(parser.positionalArguments().constFirst()))};
    }
    if (parser.isSet(databaseOption)) {
        return {.database = parser.value(databaseOption), .exitStatus = std::nullopt};
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    kalvo::startup::phaseDone("main");
    const CommandLine commandLine = readCommandLine(argc, argv);
    if (commandLine.exitStatus) {
        return *commandLine.exitStatus;
    }
    kalvo::KalvoApplication application(argc, argv);
    application.setApplicationVersion(QString::fromUtf8(kalvo::kProgramVersion));

    std::optional<std::string> requested;
    if (commandLine.database) {
        requested = withSeparator(*commandLine.database);
    }
    kalvo::DatabaseLocation location;
    try {
        location = kalvo::locateDatabase(
            requested, withSeparator(QApplication::applicationDirPath()),
            withSeparator(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    } catch (const std::exception& error) {
        return usageError(QString::fromStdString(*requested) + QStringLiteral(": ") +
                          QString::fromStdString(error.what()));
    }

    const QString folder = QString::fromStdString(location.folder);
    // The first start makes the folder that the starter database is written into under the lock.
    QDir().mkpath(folder);
    const kalvo::DatabaseLock lock(folder);
    if (lock.heldElsewhere()) {
        kalvo::showApplicationError(
            QStringLiteral("The database in \"%1\" is already open in another Kalvo Planner "
                           "window.")
                .arg(QDir::toNativeSeparators(QDir::cleanPath(folder))));
        return 1;
    }
    prepareHeapFor(location.folder);
    kalvo::ProgrammSettings programmSettings;
    kalvo::QtSettingsStore settingsStore;
    std::unique_ptr<kalvo::TForm1> form;
    try {
        if (location.fromStarter) {
            kalvo::createFromStarter(kalvo::programDocumentsFolder().toStdString(),
                                     location.folder);
        }
        form = std::make_unique<kalvo::TForm1>(programmSettings, settingsStore, location.folder);
    } catch (const std::exception& error) {
        kalvo::showApplicationError(kalvo::errorMessage(error));
        return 1;
    }
    form->show();
    kalvo::startup::phaseDone("shown");
    return application.exec();
}
