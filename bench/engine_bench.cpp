// The cost of one TS change on the heaviest configuration the tool can hold, against one plain
// pass over the same logic bytes.
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

#include "report.h"
#include "workspace.h"

namespace {

using interlock::kBlockCount;
using interlock::kTsCount;
using interlock::Workspace;

constexpr int kLinesPerSide = 40;
constexpr size_t kLineLimit = 100;
constexpr int kFlippedTs = 200;

// Appends operands "S17", "~S18", ... to `line` while the closed line stays within the limit.
void FillOperands(std::string& line, int& next, std::mt19937& random) {
    bool first = true;
    for (;;) {
        std::string operand = (random() % 3 == 0 ? "~S" : "S") + std::to_string(next);
        if (line.size() + operand.size() + (first ? 0 : 1) + 1 > kLineLimit) break;
        if (!first) line += ',';
        line += operand;
        first = false;
        next = next % kTsCount + 1;
    }
    line += ')';
}

// One side of block n: 39 M lines, then the output line. The output reads S1 and ~S1, so it
// stays 0 whatever one TS does, and the candidate search has to try every marked TS.
std::vector<std::string> MakeSide(int n, int& next, std::mt19937& random) {
    std::vector<std::string> lines;
    for (int i = 0; i < kLinesPerSide - 1; ++i) {
        std::string line = "M" + std::to_string(i % 16 + 1) + (i % 2 ? "=OR(" : "=AND(");
        FillOperands(line, next, random);
        lines.push_back(line);
    }
    std::string output = "V" + std::to_string(n) + "=AND(M1,M2,M3,M4,M5,M6,M7,M8,M9,M10,M11,M12,S1,~S1,";
    FillOperands(output, next, random);
    lines.push_back(output);
    return lines;
}

void BuildWorstCase(Workspace& ws) {
    std::mt19937 random(12345);
    for (int ts = 1; ts <= kTsCount; ++ts) ws.TsTable.Value[ts] = static_cast<int16_t>(random() % 2);
    int next = 1;
    for (int n = 1; n <= kBlockCount; ++n) {
        interlock::Block& b = ws.Blocks[n];
        b.Name = "Q" + std::to_string(n);
        b.OffLogic = MakeSide(n, next, random);
        b.OnLogic = MakeSide(n, next, random);
        interlock::SetStateSignal(ws, n, "S" + std::to_string(n + 2));
    }
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

void BM_TsChange(benchmark::State& state) {
    Workspace& ws = Shared();
    for (auto _ : state) {
        TsChange(ws);
        benchmark::DoNotOptimize(ws.Display.refreshCount);
    }
}
BENCHMARK(BM_TsChange)->Unit(benchmark::kMicrosecond);

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
        "block 1: errors %d/%d, results %d/%d\n",
        lines, bytes, longest, marked, b.OnError, b.OffError, b.OnResult, b.OffResult);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    DescribeWorstCase();
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto change = reporter.times.find("BM_TsChange");
    auto scan = reporter.times.find("BM_LogicScan");
    if (change == reporter.times.end() || scan == reporter.times.end()) return 0;
    const auto& c = change->second;
    const auto& b = scan->second;
    if (b.real <= 0 || b.cpu <= 0) return 0;
    // On a shared machine the CPU times are the steadier pair.
    std::printf("TS change: %.1f us real, %.1f us CPU\n", c.real, c.cpu);
    std::printf("logic scan: %.2f us real, %.2f us CPU\n", b.real, b.cpu);
    std::printf("ratio: %.1f real, %.1f CPU (goal: at most 30)\n", c.real / b.real, c.cpu / b.cpu);
    return 0;
}
