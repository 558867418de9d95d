// Delayed performs: the cost of scheduling and superseding on the virtual clock, and of a
// zero-delay perform's round trip through Qt's event loop.

#include "runtime/Scheduler.h"
#include "platform/QtScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace tallomer;

// A burst of superseding requests (cancel, then perform again), as table refreshes make them.
static void BM_SupersedeThenRun(benchmark::State& state)
{
    const int targets = static_cast<int>(state.range(0));
    std::vector<int> owners(static_cast<std::size_t>(targets));
    int runs = 0;
    for (auto _ : state) {
        ManualScheduler s;
        for (int round = 0; round < 10; ++round)
            for (int& owner : owners) {
                s.cancel(&owner, "refresh");
                s.perform(&owner, "refresh", 0.2, [&runs] { ++runs; });
            }
        s.advance(1.0);
    }
    benchmark::DoNotOptimize(runs);
    state.SetItemsProcessed(state.iterations() * targets * 10);
}
BENCHMARK(BM_SupersedeThenRun)->Arg(10)->Arg(100)->Arg(1000);

// Zero-delay performs through the event loop: each runs on a later turn.
static void BM_QtZeroDelayRoundTrip(benchmark::State& state)
{
    QtScheduler s;
    int owner = 0;
    const int batch = static_cast<int>(state.range(0));
    for (auto _ : state) {
        int ran = 0;
        for (int i = 0; i < batch; ++i)
            s.perform(&owner, "turn", 0.0, [&ran] { ++ran; });
        QElapsedTimer guard;
        guard.start();
        while (ran < batch && guard.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (ran < batch)
            state.SkipWithError("performs did not run");
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_QtZeroDelayRoundTrip)->Arg(1)->Arg(100);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
