// Opening and saving a ten-year planner database, and the table reader against pugixml.
// Run: build-bench/bin/kalvo_bench (the database is generated once under the build folder).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string_view>

#include "TenYearDatabase.h"
#include "datapacket/Datapacket.h"
#include "db/Database.h"

namespace kalvo::bench {
namespace {

// The ten-year database, and the thirty-year one that shows how the figures grow.
constexpr int kYears[] = {10, 30};

// Runs one open or one save in a process of its own, for its peak memory.
constexpr const char* kOnceOption = "--once";

void failOnError(const std::string& message) {
    throw std::runtime_error(message);
}

// What one open, or one open and one save, of the database in `folder` takes at its peak,
// measured in a process of its own: a process that opened before keeps in its heap what the
// last open freed, and its figure would grow with the repetitions of a benchmark. The process
// reports the peak of its own memory after the exec (its rusage would count the parent's copy
// from before it).
double peakResidentMegabytesOfOne(const char* work, const std::string& folder) {
    const std::string command = std::filesystem::read_symlink("/proc/self/exe").string() + " " +
                                kOnceOption + " " + work + " '" + folder + "'";
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) {
        return -1;
    }
    double megabytes = -1;
    if (std::fscanf(child, "%lf", &megabytes) != 1) {
        megabytes = -1;
    }
    return pclose(child) == 0 ? megabytes : -1;
}

// The child's side: "open" or "save" once, then the peak of its memory in megabytes.
int runOnce(std::string_view work, const std::string& folder) {
    {
        Database database(folder);
        database.openDatabase("", failOnError);
        const Model model = database.readModel();
        if (work == "save") {
            database.saveDatabase(model);
        }
    }
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            std::printf("%.1f\n", std::stod(line.substr(6)) / 1024.0);
            return 0;
        }
    }
    return 1;
}

void OpenDatabase(benchmark::State& state) {
    std::size_t rows = 0;
    for (auto _ : state) {
        Database database(plannerFolder(static_cast<int>(state.range(0))));
        database.openDatabase("", failOnError);
        const Model model = database.readModel();
        rows = model.eventDataPanels.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["peak_rss_MB"] =
        peakResidentMegabytesOfOne("open", plannerFolder(static_cast<int>(state.range(0))));
}
BENCHMARK(OpenDatabase)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

// A copy of the database of `years` years, to be saved over.
std::string copyOfPlannerFolder(int years) {
    const std::string folder = std::string(KALVO_BENCH_DATA) + "/saved/";
    std::filesystem::create_directories(folder);
    for (const auto& name : {"Type.xml", "Event.xml", "EventData.xml"}) {
        std::filesystem::copy_file(plannerFolder(years) + name, folder + name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return folder;
}

void SaveDatabase(benchmark::State& state) {
    Database database(copyOfPlannerFolder(static_cast<int>(state.range(0))));
    database.openDatabase("", failOnError);
    const Model model = database.readModel();
    for (auto _ : state) {
        database.saveDatabase(model);
    }
    state.counters["peak_rss_MB"] = peakResidentMegabytesOfOne("save", database.databaseFolder());
}
BENCHMARK(SaveDatabase)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

// What the window waits for when the user saves: the model written into the tables. The files
// are then written on a worker thread, which is not timed here.
void StartSave(benchmark::State& state) {
    Database database(copyOfPlannerFolder(static_cast<int>(state.range(0))));
    database.openDatabase("", failOnError);
    const Model model = database.readModel();
    for (auto _ : state) {
        database.startSave(model, [] {});
        state.PauseTiming();
        database.finishSave();
        state.ResumeTiming();
    }
}
BENCHMARK(StartSave)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

// Our reader: parse the file and decode every value into its typed column.
void ReadEventDataTable(benchmark::State& state) {
    const std::string path = plannerFolder(10) + "EventData.xml";
    for (auto _ : state) {
        Table table;
        readDatapacket(table, path);
        benchmark::DoNotOptimize(table.rowCount());
    }
}
BENCHMARK(ReadEventDataTable)->Unit(benchmark::kMillisecond);

// pugixml: parse the same file and visit every attribute of every row.
void PugixmlParseAndWalk(benchmark::State& state) {
    const std::string path = plannerFolder(10) + "EventData.xml";
    for (auto _ : state) {
        pugi::xml_document document;
        if (!document.load_file(path.c_str())) {
            state.SkipWithError("pugixml cannot parse the file");
            return;
        }
        std::size_t valueBytes = 0;
        for (const pugi::xml_node row :
             document.child("DATAPACKET").child("ROWDATA").children("ROW")) {
            for (const pugi::xml_attribute attribute : row.attributes()) {
                valueBytes += std::char_traits<char>::length(attribute.value());
            }
        }
        benchmark::DoNotOptimize(valueBytes);
    }
}
BENCHMARK(PugixmlParseAndWalk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvo::bench

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == kalvo::bench::kOnceOption) {
        return kalvo::bench::runOnce(argv[2], argv[3]);
    }
    // The database is generated in a child process so that this process's peak memory is
    // that of opening and saving alone.
    const pid_t child = fork();
    if (child == 0) {
        for (const int years : kalvo::bench::kYears) {
            kalvo::bench::ensurePlannerDatabase(kalvo::bench::plannerFolder(years), years);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
