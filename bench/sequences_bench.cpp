// sequences-bench: switching sequences on a worst case for them: 32 apparatus (state TS 3..34),
// both logics of every block 40 lines of about 100 characters, with every TS other than the
// state signals free: the reachable states from the present state, a plan, and a 50-step
// program checked. (The engine's worst case reads S1 and ~S1 in every output and so allows
// nothing; here the M lines mix the positions with the free TS and the output asks for three
// of them and two positions, so that the reachable set is large and irregular.) Medians of
// several runs, in ms.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/machine.h"
#include "bench/worst_case.h"
#include "sequences/program.h"
#include "sequences/transition_system.h"

namespace {

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double lastCpu = 0;           // the median processor time of the last MedianMs, for a loaded machine
std::function<void()> setup;  // run before each timed run, untimed

// The median wall time of `runs` runs; the median processor time goes to lastCpu.
double MedianMs(int runs, const std::function<void()>& f) {
    std::vector<double> t, c;
    for (int i = 0; i < runs; ++i) {
        if (setup) setup();
        const auto a = std::chrono::steady_clock::now();
        const double cpu = CpuMs();
        f();
        c.push_back(CpuMs() - cpu);
        t.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - a).count());
    }
    std::sort(t.begin(), t.end());
    std::sort(c.begin(), c.end());
    lastCpu = c[c.size() / 2];
    return t[t.size() / 2];
}

std::string Operand(std::mt19937& r, int self) {
    // Half of the operands read positions (other than the block's own), half free TS.
    int ts = r() % 2 ? 3 + static_cast<int>(r() % 32) : 35 + static_cast<int>(r() % 222);
    if (ts == self) ts = 35 + static_cast<int>(r() % 222);
    return (r() % 3 == 0 ? "~S" : "S") + std::to_string(ts);
}

std::vector<std::string> Side(std::mt19937& r, int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < worst_case::kLinesPerSide - 1; ++i) {
        std::string line = "M" + std::to_string(i % 16 + 1) + (i % 4 == 3 ? "=AND(" : "=OR(");
        const int operands = i % 4 == 3 ? 3 : 14;
        for (int k = 0; k < operands; ++k) line += (k ? "," : "") + Operand(r, n + 2);
        lines.push_back(line + ")");
    }
    // M1..M16 hold the last assignments: M13..M15 are ORs of lines 29..31 (0-based 28..30).
    lines.push_back("V" + std::to_string(n) + "=AND(M13,M14,M15," + Operand(r, n + 2) + "," +
                    Operand(r, n + 2) + ")");
    return lines;
}

void Build(interlock::Workspace& ws) {
    std::mt19937 r(worst_case::kSeed);
    for (int ts = 1; ts <= interlock::kTsCount; ++ts) ws.TsTable.Value[ts] = static_cast<int16_t>(r() % 2);
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        interlock::Block& b = ws.Blocks[n];
        b.Name = "Q" + std::to_string(n);
        b.OnLogic = Side(r, n);
        b.OffLogic = Side(r, n);
        interlock::SetStateSignal(ws, n, "S" + std::to_string(n + 2));
    }
    interlock::RecalculateAll(ws);
}

}  // namespace

int main() {
    interlock::Workspace ws;
    Build(ws);
    analysis::Analyser analyser(analysis::BddSession::kDefaultMaxNodes,
                                analysis::Analyser::InitialNodesFor(ws));
    analyser.Update(ws);
    const sequences::FieldSpec free{sequences::FieldMode::Free, {}};

    std::printf("sequences-bench: worst case, 32 apparatus, other TS free; medians in ms\n");
    const double build = MedianMs(5, [&] { sequences::System sys(analyser, ws, free); });
    std::printf("system built (64 guards over the free TS): %.1f (processor %.1f)\n", build, lastCpu);

    // Each question on a fresh system: a system keeps the reachable set it found for the next.
    std::unique_ptr<sequences::System> fresh;
    setup = [&] {
        fresh.reset();
        fresh = std::make_unique<sequences::System>(analyser, ws, free);
    };
    sequences::ReachInfo info;
    const double reach = MedianMs(5, [&] { info = fresh->Reach(); });
    std::printf(
        "reachable states from the present state: %.1f (processor %.1f; goal <= 1000): %.0f states%s\n",
        reach, lastCpu, info.states, info.answer == sequences::Answer::Undetermined ? ", undetermined" : "");

    // A target that needs several apparatus moved: each of the first eight state TS flipped.
    analysis::Condition target;
    target.kind = analysis::Condition::Kind::And;
    for (int i = 0; i < 8; ++i) {
        analysis::Condition c;
        c.ts = 3 + i;
        c.negated = ws.TsTable.Value[3 + i] == 1;
        target.operands.push_back(c);
    }
    sequences::Plan plan;
    const double planMs = MedianMs(5, [&] { plan = fresh->MakePlan(target); });
    std::printf(
        "a plan to eight apparatus moved: %.1f (processor %.1f; goal <= 200): %s, %zu steps, %zu never "
        "allowed\n",
        planMs, lastCpu,
        plan.witness.answer == sequences::Answer::Yes  ? "found"
        : plan.witness.answer == sequences::Answer::No ? "none"
                                                       : "undetermined",
        plan.witness.steps.size(), plan.neverAllowed.size());

    setup = nullptr;
    sequences::System sys(analyser, ws, free);
    sys.Reach();
    const double planAfter = MedianMs(5, [&] { plan = sys.MakePlan(target); });
    std::printf("the same plan after --reach (the reachable set kept): %.1f (processor %.1f)\n", planAfter,
                lastCpu);

    sequences::Program program;
    for (int i = 0; i < 50; ++i) {
        sequences::ProgramStep s;
        s.op = {1 + (i * 7) % interlock::kBlockCount,
                (i / 3) % 2 ? interlock::Side::On : interlock::Side::Off};
        program.steps.push_back(s);
    }
    sequences::ProgramCheck check;
    const double programMs = MedianMs(5, [&] { check = sequences::CheckProgram(sys, program); });
    std::printf(
        "a 50-step program checked: %.1f (processor %.1f; goal <= 50): %d allowed, %d forbidden, %d "
        "already\n",
        programMs, lastCpu, check.Count(sequences::StepVerdict::Allowed),
        check.Count(sequences::StepVerdict::Forbidden), check.Count(sequences::StepVerdict::Already));

    sequences::System held(analyser, ws, {});
    const double heldProgram = MedianMs(5, [&] { check = sequences::CheckProgram(held, program); });
    std::printf(
        "the same program, other TS held (engine change sets): %.1f (processor %.1f): %d allowed, %d "
        "forbidden\n",
        heldProgram, lastCpu, check.Count(sequences::StepVerdict::Allowed),
        check.Count(sequences::StepVerdict::Forbidden));
    std::printf("resident %ld KiB, load %s\n", machine::ResidentKib(), machine::LoadAverages().c_str());
    return 0;
}
