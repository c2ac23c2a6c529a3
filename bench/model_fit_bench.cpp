// How long a model fit takes: triode families of 217 points (7 curves of 31) and 1000 points
// (10 curves of 100), and a pentode family of 500 points (10 curves of 50), made by the model
// with the instrument's steps and 0.1 % noise. Counters: solver iterations, starting points
// solved from, and the RMS error in % of the largest current.

#include <benchmark/benchmark.h>

#include "model/model_fit.h"
#include "tests/model/family.h"

namespace ostrino::model {
namespace {

void fit(benchmark::State& state, ModelKind kind, const PointSet& points) {
    FitResult r;
    for (auto _ : state) {
        r = fitModel(kind, points);
        benchmark::DoNotOptimize(r.parameters.data());
    }
    if (!r.ok) {
        state.SkipWithError(r.message.c_str());
        return;
    }
    state.counters["points"] = static_cast<double>(points.size());
    state.counters["iterations"] = r.iterations;
    state.counters["starts"] = r.starts;
    state.counters["rms_percent"] = r.errors.rmsPercent;
}

const std::vector<double> kEcc82{21.5, 1.3, 1180.0, 84.0, 300.0};

void BM_FitTriode217(benchmark::State& state) {
    fit(state, ModelKind::KorenTriode,
        test::makeFamily(ModelKind::KorenTriode, kEcc82, {{0, -2, -4, -6, -8, -10, -12}}));
}
BENCHMARK(BM_FitTriode217)->Unit(benchmark::kMillisecond);

void BM_FitTriode1000(benchmark::State& state) {
    fit(state, ModelKind::KorenTriode,
        test::makeFamily(ModelKind::KorenTriode, kEcc82,
                         {{0, -2, -4, -6, -8, -10, -12, -14, -16, -18}, 2.0, 300.0, 100}));
}
BENCHMARK(BM_FitTriode1000)->Unit(benchmark::kMillisecond);

void BM_FitDempwolf217(benchmark::State& state) {
    fit(state, ModelKind::DempwolfTriode,
        test::makeFamily(ModelKind::KorenTriode, kEcc82, {{0, -2, -4, -6, -8, -10, -12}}));
}
BENCHMARK(BM_FitDempwolf217)->Unit(benchmark::kMillisecond);

void BM_FitPentode500(benchmark::State& state) {
    fit(state, ModelKind::KorenPentode,
        test::makeFamily(ModelKind::KorenPentode, {19.0, 1.35, 692.0, 2720.0, 200.0, 12.0},
                         {{0, -2, -4, -6, -8, -10, -12, -14, -16, -18}, 2.0, 300.0, 50, 250.0}));
}
BENCHMARK(BM_FitPentode500)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ostrino::model

BENCHMARK_MAIN();
