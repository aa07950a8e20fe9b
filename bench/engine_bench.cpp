// The cost of one TS change on the heaviest configuration the tool can hold, against one plain
// pass over the same logic bytes; and the same TS change with every parse reading the logic
// text afresh (the engine's plain twin), measured in the same run. Goal: one TS change within
// three passes over the logic bytes.
//
// The configuration: all 32 blocks with 40 lines on each side, every line close to the
// 100 characters the parser reads, the 256 TS all referenced, and the current block forbidden
// on both sides so that its candidate search tries every marked TS. One TS change is what a
// datagram of the RTU causes: the view chosen by the state signal, blocks 1..32 recalculated,
// and the display of the current block refreshed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "interlock/report.h"
#include "interlock/workspace.h"
#include "bench/machine.h"
#include "bench/worst_case.h"
#include "tests/support/text_parser.h"

namespace {

using interlock::kBlockCount;
using interlock::kTsCount;
using interlock::Workspace;

constexpr int kFlippedTs = 200;
constexpr double kRatioGoal = 3;

void BuildWorstCase(Workspace& ws) {
    worst_case::Build(ws);
    ws.CurrentBlock = 1;
    interlock::ShowBlock(ws, 1);
}

// The handling of one changed TS value.
void TsChange(Workspace& ws) {
    ws.TsTable.Value[kFlippedTs] ^= 1;
    interlock::SelectViewByState(ws);
    interlock::RecalculateAll(ws);
    interlock::RefreshBlockDisplay(ws);
}

Workspace& Shared() {
    static Workspace* ws = [] {
        auto* w = new Workspace;
        BuildWorstCase(*w);
        return w;
    }();
    return *ws;
}

// The same configuration in a workspace whose parses read the text.
Workspace& SharedTextTwin() {
    static Workspace* ws = [] {
        auto* w = new Workspace;
        w->ParseText = interlock::twin::ParseText;
        BuildWorstCase(*w);
        return w;
    }();
    return *ws;
}

void BM_TsChange(benchmark::State& state) {
    Workspace& ws = Shared();
    for (auto _ : state) {
        TsChange(ws);
        benchmark::DoNotOptimize(ws.Display.refreshCount);
    }
}
BENCHMARK(BM_TsChange)->Unit(benchmark::kMicrosecond);

void BM_TsChangeTextTwin(benchmark::State& state) {
    Workspace& ws = SharedTextTwin();
    for (auto _ : state) {
        TsChange(ws);
        benchmark::DoNotOptimize(ws.Display.refreshCount);
    }
}
BENCHMARK(BM_TsChangeTextTwin)->Unit(benchmark::kMicrosecond);

// The baseline: one pass over every logic byte of the configuration, counting commas.
void BM_LogicScan(benchmark::State& state) {
    Workspace& ws = Shared();
    for (auto _ : state) {
        size_t commas = 0;
        for (int n = 1; n <= kBlockCount; ++n) {
            for (const auto* side : {&ws.Blocks[n].OffLogic, &ws.Blocks[n].OnLogic}) {
                for (const std::string& line : *side) commas += std::count(line.begin(), line.end(), ',');
            }
        }
        benchmark::DoNotOptimize(commas);
    }
}
BENCHMARK(BM_LogicScan)->Unit(benchmark::kMicrosecond);

// Keeps the times per iteration of every run while printing as usual.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0;  // microseconds
        double cpu = 0;
    };
    std::map<std::string, Times> times;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// What the generated configuration holds, so the figures can be read against it.
void DescribeWorstCase() {
    Workspace& ws = Shared();
    size_t lines = 0;
    size_t bytes = 0;
    size_t longest = 0;
    std::vector<bool> referenced(kTsCount + 1);
    for (int n = 1; n <= kBlockCount; ++n) {
        for (const auto* side : {&ws.Blocks[n].OffLogic, &ws.Blocks[n].OnLogic}) {
            for (const std::string& line : *side) {
                ++lines;
                bytes += line.size();
                longest = std::max(longest, line.size());
            }
        }
    }
    interlock::RecalculateAll(ws);
    int marked = 0;
    for (int ts = 1; ts <= kTsCount; ++ts) marked += ws.TsTable.UsedInLogic[ts] ? 1 : 0;
    const interlock::Block& b = ws.CurrentBlockRef();
    std::printf(
        "worst case: %zu logic lines, %zu bytes, longest line %zu, %d TS marked, "
        "block 1: errors %d/%d, results %d/%d; resident %ld KiB\n",
        lines, bytes, longest, marked, b.OnError, b.OffError, b.OnResult, b.OffResult,
        machine::ResidentKib());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    DescribeWorstCase();
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("load average %s\n", machine::LoadAverages().c_str());
    auto change = reporter.times.find("BM_TsChange");
    auto scan = reporter.times.find("BM_LogicScan");
    if (change == reporter.times.end() || scan == reporter.times.end()) return 0;
    const auto& c = change->second;
    const auto& b = scan->second;
    if (b.real <= 0 || b.cpu <= 0) return 0;
    // On a shared machine the CPU times are the steadier pair.
    std::printf("TS change: %.1f us real, %.1f us CPU\n", c.real, c.cpu);
    std::printf("logic scan: %.2f us real, %.2f us CPU\n", b.real, b.cpu);
    std::printf("ratio: %.2f real, %.2f CPU (goal: at most %.0f) %s\n", c.real / b.real, c.cpu / b.cpu,
                kRatioGoal, c.cpu / b.cpu <= kRatioGoal ? "MET" : "MISSED");
    auto twin = reporter.times.find("BM_TsChangeTextTwin");
    if (twin != reporter.times.end() && c.cpu > 0) {
        const auto& t = twin->second;
        std::printf("TS change reading the text: %.1f us CPU, %.1f x one scan, %.1f x the compiled logic\n",
                    t.cpu, t.cpu / b.cpu, t.cpu / c.cpu);
    }
    return 0;
}
