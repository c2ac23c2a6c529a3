// The valve library: storing a full sweep, listing a large library, and matching a box of
// valves into pairs and quads. The library files live in a temporary folder on disk (the
// 10 000-record library is filled on /dev/shm, where a commit costs no disk flush, to set
// up quickly; listing then reads from memory either way).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "library/library.h"
#include "library/matching.h"

namespace ostrino::library {
namespace {

class TempFolder {
  public:
    explicit TempFolder(const std::filesystem::path& under) {
        std::string pattern = (under / "ostrino-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path file(const char* name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// A triode of the given perveance and mu: eleven curves (Vg 0 .. -5 V) of Ia against Va.
LibraryRecord triode(const std::string& label, double perveance, double mu, int pointsPerCurve) {
    LibraryRecord r;
    r.when = std::chrono::sys_days(std::chrono::year(2024) / 5 / 1);
    r.valveType = "ECC83";
    r.label = label;
    r.console = "Ostrino_3p11 3.11";
    r.instrumentVersion = 2;
    r.setupText = std::string(6000, 'x');
    for (int curve = 1; curve <= 11; ++curve) {
        const double vg = -0.5 * (curve - 1);
        for (int k = 0; k < pointsPerCurve; ++k) {
            const double va = 300.0 * (k + 1) / pointsPerCurve;
            const double ia = perveance * std::pow(std::max(0.0, va / mu + vg), 1.5);
            r.points.push_back({double(curve), ia, 0.001, 6.3, vg, 0.0, va});
        }
    }
    return r;
}

std::vector<StoredRecord> boxOfValves(int count) {
    std::mt19937 random(20240501);
    std::normal_distribution<double> spread(0.0, 1.0);
    std::vector<StoredRecord> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(
            {i + 1, triode("ECC83 #" + std::to_string(i + 1), 0.6 * (1.0 + 0.08 * spread(random)),
                           100.0 * (1.0 + 0.03 * spread(random)), 31)});
    }
    return records;
}

void BM_AddRecordOf1000Points(benchmark::State& state) {
    TempFolder folder(std::filesystem::temp_directory_path());
    LibraryResult<Library> lib = Library::open(folder.file("library.sqlite"));
    if (!lib) {
        state.SkipWithError(lib.error().message.c_str());
        return;
    }
    LibraryRecord record = triode("ECC83 #1", 0.6, 100, 91);  // 11 x 91 = 1001 points
    record.points.resize(1000);
    for (auto _ : state) {
        LibraryResult<std::int64_t> id = lib.value().add(record);
        benchmark::DoNotOptimize(id);
    }
}
BENCHMARK(BM_AddRecordOf1000Points)->Unit(benchmark::kMillisecond);

void BM_List10000Records(benchmark::State& state) {
    TempFolder folder("/dev/shm");
    LibraryResult<Library> lib = Library::open(folder.file("library.sqlite"));
    if (!lib) {
        state.SkipWithError(lib.error().message.c_str());
        return;
    }
    LibraryRecord record = triode("", 0.6, 100, 3);
    for (int i = 0; i < 10000; ++i) {
        record.label = "ECC83 #" + std::to_string(i + 1);
        record.valveType = i % 3 == 0 ? "ECC82" : "ECC83";
        record.when += std::chrono::hours(1);
        if (!lib.value().add(record)) {
            state.SkipWithError("cannot fill the library");
            return;
        }
    }
    for (auto _ : state) {
        LibraryResult<std::vector<RecordSummary>> rows = lib.value().list();
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_List10000Records)->Unit(benchmark::kMillisecond);

void BM_LoadAndMatch200IntoPairs(benchmark::State& state) {
    TempFolder folder(std::filesystem::temp_directory_path());
    LibraryResult<Library> lib = Library::open(folder.file("library.sqlite"));
    if (!lib) {
        state.SkipWithError(lib.error().message.c_str());
        return;
    }
    for (const StoredRecord& r : boxOfValves(200)) {
        lib.value().add(r.record);
    }
    RecordFilter ecc83;
    ecc83.valveType = "ECC83";
    for (auto _ : state) {
        LibraryResult<std::vector<StoredRecord>> records = lib.value().records(ecc83);
        MatchResult result = matchValves(records.value(), GroupSize::Pairs);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_LoadAndMatch200IntoPairs)->Unit(benchmark::kMillisecond);

void BM_Match200IntoPairs(benchmark::State& state) {
    const std::vector<StoredRecord> records = boxOfValves(200);
    for (auto _ : state) {
        MatchResult result = matchValves(records, GroupSize::Pairs);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_Match200IntoPairs)->Unit(benchmark::kMillisecond);

void BM_Match64IntoQuads(benchmark::State& state) {
    const std::vector<StoredRecord> records = boxOfValves(64);
    bool proven = true;
    for (auto _ : state) {
        MatchResult result = matchValves(records, GroupSize::Quads);
        proven = result.provenBest;
        benchmark::DoNotOptimize(result);
    }
    state.counters["proven"] = proven ? 1 : 0;
}
BENCHMARK(BM_Match64IntoQuads)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ostrino::library

BENCHMARK_MAIN();
