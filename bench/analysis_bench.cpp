// The analysis engine on the heaviest configuration the benchmarks generate and on the example
// configuration: the models of all 64 logics with their never/always answers, built with BDDs
// (BuDDy) and, for comparison, as clauses for a SAT solver (CryptoMiniSat); the current
// block's answers after one TS change; the whole configuration analysed.
//
// Figures are medians of repeated runs, in milliseconds.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef WITH_CRYPTOMINISAT
#include <cryptominisat5/cryptominisat.h>
#endif

#include "analysis/analyser.h"
#include "analysis/diff.h"
#include "analysis/requirements.h"
#include "analysis/logic_reader.h"
#include "bench/timing.h"
#include "bench/worst_case.h"
#include "interlock/report.h"
#include "interlock/workspace.h"
#include "storage/config_text.h"
#include "storage/file_io.h"

namespace {

using interlock::kBlockCount;
using interlock::kTsCount;
using interlock::Side;
using interlock::Workspace;

constexpr int kFlippedTs = 200;

using timing::Median;
using timing::Time;

// The heaviest configuration; `satisfiable` makes every output an AND of the M variables last
// assigned by OR lines and of TS, without the S1,~S1 that keeps it 0, so that the current
// block needs real change sets.
std::unique_ptr<Workspace> WorstCase(bool satisfiable) {
    auto ws = std::make_unique<Workspace>();
    std::mt19937 random(worst_case::kSeed);
    for (int ts = 1; ts <= kTsCount; ++ts) ws->TsTable.Value[ts] = static_cast<int16_t>(random() % 2);
    int next = 1;
    for (int n = 1; n <= kBlockCount; ++n) {
        interlock::Block& b = ws->Blocks[n];
        b.Name = "Q" + std::to_string(n);
        b.OffLogic = worst_case::Side(n, next, random);
        b.OnLogic = worst_case::Side(n, next, random);
        if (satisfiable) {
            for (auto* side : {&b.OffLogic, &b.OnLogic}) {
                // The last assignments of M2, M4, ... M16 are OR lines.
                std::vector<std::string> lines = *side;
                std::string& out = lines.back();
                const size_t from = out.find("M1,");
                const size_t to = out.find("~S1,") + 4;
                out.replace(from, to - from, "M2,M4,M6,M8,M10,M12,M14,M16,");
                *side = std::move(lines);
            }
        }
        interlock::SetStateSignal(*ws, n, "S" + std::to_string(n + 2));
    }
    // Manual unreliability on a few TS of block 1, so that its decisive TS are looked for.
    for (int ts : {5, 40, 77, 120, 160, 210}) ws->TsTable.Unreliability[ts] = 1;
    ws->CurrentBlock = 1;
    interlock::ShowBlock(*ws, 1);
    interlock::RecalculateAll(*ws);
    return ws;
}

void AnalyseAll(analysis::Analyser& analyser, const Workspace& ws) {
    analyser.Update(ws);
    for (int n = 1; n <= kBlockCount; ++n) analyser.Analyse(ws, n);
    analyser.Problems();
}

#ifdef WITH_CRYPTOMINISAT
// The same models as clauses: one solver per logic, a gate variable per line (Tseitin), and
// never/always as two solver calls with the apparatus state assumed.
int SatModels(const Workspace& ws) {
    analysis::TextCheck check(ws);
    int answers = 0;
    for (int n = 1; n <= kBlockCount; ++n) {
        for (Side side : {Side::On, Side::Off}) {
            if (!check.Accepted(ws, n, side)) continue;
            const analysis::LogicStructure s = analysis::ReadLogic(ws.Blocks[n].Of(side).Logic, n);
            CMSat::SATSolver solver;
            solver.new_vars(kTsCount + 1);  // variable t: the bit of TS t (pairs: of the first TS)
            std::array<CMSat::Lit, interlock::kMCount + 1> m{};
            CMSat::Lit output;
            for (const analysis::LogicLine& line : s.lines) {
                std::vector<CMSat::Lit> in;
                for (const analysis::Operand& o : line.operands) {
                    CMSat::Lit lit;
                    if (o.letter == 'M') {
                        lit = m[o.number];
                    } else {
                        const analysis::PairBit b = analysis::BitOf(ws.TsTable, o.number);
                        lit = CMSat::Lit(b.ts, b.flipped);
                    }
                    in.push_back(o.inverted ? ~lit : lit);
                }
                solver.new_var();
                const CMSat::Lit g(solver.nVars() - 1, false);
                // AND: g <-> all in; OR: g <-> any in.
                std::vector<CMSat::Lit> big{line.isAnd ? g : ~g};
                for (CMSat::Lit l : in) {
                    solver.add_clause(line.isAnd ? std::vector<CMSat::Lit>{~g, l}
                                                 : std::vector<CMSat::Lit>{g, ~l});
                    big.push_back(line.isAnd ? ~l : l);
                }
                solver.add_clause(big);
                const CMSat::Lit value = line.negated ? ~g : g;
                if (line.target == 'M') {
                    m[line.targetNumber] = value;
                } else {
                    output = value;
                }
            }
            const int st = ws.Blocks[n].StateSignal;
            const analysis::PairBit sb = analysis::BitOf(ws.TsTable, std::abs(st));
            const bool value = (st > 0) == (side == Side::Off);
            const CMSat::Lit state(sb.ts, value == sb.flipped);
            std::vector<CMSat::Lit> allowed{state, output};
            std::vector<CMSat::Lit> refused{state, ~output};
            const bool never = solver.solve(&allowed) == CMSat::l_False;
            const bool always = solver.solve(&refused) == CMSat::l_False;
            answers += never + always;
        }
    }
    return answers;
}
#endif

// A configuration whose block 1 has `bytes` of ON logic in lines of about 100 characters that
// reassign the M variables: a long text of a small function.
void WriteLongLogic(const std::string& path, size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    out << "@\r\nF=" << std::string(256, '0') << "\r\n#Server_Channel=0\r\n#Server_RTU=1\r\n";
    for (int k = 0; k < 8; ++k) out << "#TS" << k << "=" << std::string(32, '0') << "\r\n";
    out << "##1 - Q1\r\n#On->Off\r\nIF (S1)\r\nV1=AND(S14)\r\nEND\r\n#Off->On\r\nIF (~S1)\r\n";
    size_t written = 0;
    for (int i = 0; written < bytes; ++i) {
        std::string line = "M" + std::to_string(i % 16 + 1) + "=AND(";
        for (int ts = i % 200 + 2; line.size() < 88; ++ts) line += "S" + std::to_string(ts) + ",";
        line += "~S1)\r\n";
        written += line.size();
        out << line;
    }
    out << "V1=AND(M1,S14)\r\nEND\r\n@\r\n";
}

// 64 logics whose diagrams outgrow any node table in TS order: ANDs of ORs that pair TS i with
// TS i + 90.
void WriteOutgrowing(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "@\r\nF=" << std::string(256, '0') << "\r\n#Server_Channel=0\r\n#Server_RTU=1\r\n";
    for (int k = 0; k < 8; ++k) out << "#TS" << k << "=" << std::string(32, '0') << "\r\n";
    for (int n = 1; n <= kBlockCount; ++n) {
        out << "##" << n << " - B" << n << "\r\n";
        for (const char* side : {"#On->Off\r\nIF (S", "#Off->On\r\nIF (~S"}) {
            out << side << 200 + n << ")\r\n";
            for (int k = 0; k < 16; ++k) {
                out << "M" << k + 1 << "=OR(";
                for (int j = 0; j < 6; j += 2) {
                    const int a = 1 + (k * 6 + j + n) % 90;
                    out << (j ? "," : "") << "S" << a << ",S" << a + 90;
                }
                out << ")\r\n";
            }
            out << "V" << n << "=AND(M1";
            for (int k = 2; k <= 16; ++k) out << ",M" << k;
            out << ")\r\nEND\r\n";
        }
    }
    out << "@\r\n";
}

// One run of interlocks-check: wall time, CPU time and peak memory of that process.
struct CheckRun {
    double wallMs = 0;
    double cpuMs = 0;
    long maxKb = 0;
};

CheckRun RunCheck(const std::string& args) {
    const std::string command = std::string("exec '") + CHECK_BINARY + "' " + args + " > /dev/null 2>&1";
    CheckRun r;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    r.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.cpuMs = (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    r.maxKb = u.ru_maxrss;
    return r;
}

}  // namespace

int main() {
    std::printf("analysis-bench: medians in ms\n");
    // The headline worst case has outputs that can be allowed, so that change sets, proofs and
    // the diff have real work to do; the variant whose outputs are never allowed (its answers
    // come trivially) is the second line of each figure.
    auto worst = WorstCase(true);
    auto open = WorstCase(false);
    std::unique_ptr<analysis::Analyser> analyser;
    auto fresh = [&] {
        analyser.reset();
        analyser = std::make_unique<analysis::Analyser>();
    };

    // The choice: models of all 64 logics and never/always.
    const double bdd = Time(15, fresh, [&] { analyser->Update(*worst); });
    std::printf("models of 64 logics + never/always, worst case: BuDDy %.2f\n", bdd);
#ifdef WITH_CRYPTOMINISAT
    analyser.reset();
    int answers = 0;
    const double sat = Time(
        5, [] {}, [&] { answers = SatModels(*worst); });
    std::printf("models of 64 logics + never/always, worst case: CryptoMiniSat %.2f (%d answers true)\n", sat,
                answers);
    const double bddOpen = Time(15, fresh, [&] { analyser->Update(*open); });
    analyser.reset();
    const double satOpen = Time(
        5, [] {}, [&] { answers = SatModels(*open); });
    std::printf("the same with never-allowed outputs: BuDDy %.2f, CryptoMiniSat %.2f\n", bddOpen, satOpen);
#endif

    // Goals.
    const double whole = Time(15, fresh, [&] { AnalyseAll(*analyser, *worst); });
    std::printf("whole worst case analysed (64 models, 32 blocks' answers, problems): %.2f (goal <= 200)\n",
                whole);
    const double wholeOpen = Time(15, fresh, [&] { AnalyseAll(*analyser, *open); });
    std::printf(
        "whole worst case with never-allowed outputs: %.2f (goal <= 200); node table %d of at most %d\n",
        wholeOpen, bdd_getallocnum(), analysis::BddSession::kDefaultMaxNodes);

    for (Workspace* ws : {worst.get(), open.get()}) {
        fresh();
        analyser->Update(*ws);
        auto flip = [ws] {
            ws->TsTable.Value[kFlippedTs] ^= 1;
            interlock::RecalculateAll(*ws);
        };
        const double current = Time(200, flip, [&] { analyser->Analyse(*ws, 1); });
        const analysis::BlockAnalysis a = analyser->Analyse(*ws, 1);
        std::printf(
            "current block's answers after a TS change (%s): %.3f (goal <= 5); min changes: %s, "
            "decisive unreliable: %zu\n",
            ws == worst.get() ? "worst case" : "never-allowed outputs", current,
            !a.minChanges                ? "none asked"
            : !a.minChanges->exists      ? "no set exists"
            : a.minChanges->undetermined ? "undetermined"
                                         : ("size " + std::to_string(a.minChanges->size) + ", " +
                                            std::to_string(a.minChanges->sets.size()) + " sets")
                                               .c_str(),
            a.decisive.ts.size());
    }

    // The example configuration.
    auto example = std::make_unique<Workspace>();
    storage::ReadResult file = storage::ReadWholeFile(EXAMPLES_DIR "/substation.blk");
    if (file && storage::Read_Config_Text(*example, storage::SplitLines(file.bytes))) {
        interlock::RecalculateAll(*example);
        const double ex = Time(50, fresh, [&] { AnalyseAll(*analyser, *example); });
        std::printf("examples/substation.blk analysed whole: %.3f (goal <= 5)\n", ex);
    }
    const double session = Time(
        15, [&] { analyser.reset(); }, [&] { analyser = std::make_unique<analysis::Analyser>(); });
    std::printf("opening the BDD session: %.3f\n", session);

    // Could the models serve evaluation? The engine re-parses all 64 logics per TS change; the
    // models give only the verdicts (not the M values, marks, unreliability and errors the
    // screen also shows), so they could only be added to the parse, never replace it.
    fresh();
    analyser->Update(*worst);
    const double recalc = Time(
        200, [] {}, [&] { interlock::RecalculateAll(*worst); });
    const double walks = Time(
        200, [] {},
        [&] {
            int allowed = 0;
            for (int n = 1; n <= kBlockCount; ++n) {
                for (Side side : {Side::On, Side::Off}) {
                    if (const analysis::LogicModel* m = analyser->Model(n, side))
                        allowed += analysis::EvaluateGeneral(m->output, worst->TsTable.Value);
                }
            }
            if (allowed < 0) std::printf("?");
        });
    std::printf("verdicts of 64 logics: engine recalculation %.3f, model walks %.4f\n", recalc, walks);
    analyser.reset();

    // Requirements: two per block, one REQUIRES and one FORBIDDEN WHEN, over TS that each
    // block's logics read.
    std::vector<std::string> reqLines;
    for (int n = 1; n <= kBlockCount; ++n) {
        reqLines.push_back("ON " + std::to_string(n) + " REQUIRES OR(S" + std::to_string(4 * n) + ",~S" +
                           std::to_string(4 * n + 1) + ")");
        reqLines.push_back("OFF " + std::to_string(n) + " FORBIDDEN WHEN AND(S" + std::to_string(5 * n) +
                           ",S" + std::to_string(5 * n + 2) + ")");
    }
    const analysis::RequirementsFile reqs = analysis::ParseRequirements(reqLines);
    for (Workspace* ws : {worst.get(), open.get()}) {
        std::vector<analysis::RequirementResult> results;
        const double proofs =
            Time(15, fresh, [&] { results = analysis::Prove(*analyser, *ws, reqs.requirements); });
        int refuted = 0;
        for (const auto& r : results) refuted += r.verdict == analysis::Verdict::Refuted;
        fresh();
        analyser->Update(*ws);
        const double proofsOnly = Time(
            15, [] {}, [&] { analysis::Prove(*analyser, *ws, reqs.requirements); });
        std::printf(
            "64 requirements (%s): %.2f with the models built, %.2f on built models (goal <= 200); "
            "%d refuted\n",
            ws == worst.get() ? "worst case" : "never-allowed outputs", proofs, proofsOnly, refuted);
    }
    analyser.reset();

    // The diff of two heaviest configurations that differ in every block: B drops the last
    // operand of every ON logic's output line.
    for (Workspace* ws : {worst.get(), open.get()}) {
        auto other = std::make_unique<Workspace>(*ws);
        for (int n = 1; n <= kBlockCount; ++n) {
            std::vector<std::string> lines = other->Blocks[n].OnLogic;
            std::string& line = lines.back();
            line.erase(line.rfind(','), line.size() - 1 - line.rfind(','));
            other->Blocks[n].OnLogic = std::move(lines);
        }
        std::unique_ptr<analysis::BddSession> session;
        analysis::DiffResult d;
        const double diff = Time(
            9,
            [&] {
                session.reset();
                session = std::make_unique<analysis::BddSession>();
            },
            [&] { d = analysis::Diff(*session, *ws, *other); });
        int differing = 0;
        for (const auto& b : d.blocks) differing += b.LogicChanged();
        std::printf(
            "diff of two configurations differing in every block (%s): %.2f (goal <= 500); "
            "%d blocks behave differently\n",
            ws == worst.get() ? "worst case" : "never-allowed outputs", diff, differing);
        session.reset();
    }

    // 300 configurations of the example's size through interlocks-check --analyse, in parallel.
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("analysis-bench." + std::to_string(getpid()));
    fs::create_directories(dir);
    for (int i = 0; i < 300; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "unit%03d.blk", i);
        fs::copy_file(EXAMPLES_DIR "/substation.blk", dir / name, fs::copy_options::overwrite_existing);
    }
    const std::string command =
        std::string("'") + CHECK_BINARY + "' --analyse '" + dir.string() + "' > /dev/null 2>&1";
    auto childCpu = [] {
        rusage u{};
        getrusage(RUSAGE_CHILDREN, &u);
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
               (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    };
    const double cpuBefore = childCpu();
    const double many = Time(
        3, [] {},
        [&] {
            const int raw = std::system(command.c_str());
            if (!WIFEXITED(raw)) std::printf("interlocks-check did not finish\n");
        });
    const double cpu = (childCpu() - cpuBefore) / 3;
    // On a machine shared with other work the wall time depends on the load; the CPU time of
    // all processes over the two cores is what the run needs on an idle machine.
    std::printf(
        "300 configurations like examples/substation.blk, interlocks-check --analyse: %.0f wall, "
        "%.0f CPU in all processes, %.0f per core (goal <= 2000)\n",
        many, cpu, cpu / std::max(1u, std::thread::hardware_concurrency()));

    // Hostile sizes: a 20 MB logic, and 64 logics that outgrow the node table, checked with and
    // without --analyse (the goal: the analysis answers or says "не определено" within 1 s, in at
    // most twice the memory of the plain check).
    WriteLongLogic((dir / "long.blk").string(), size_t{20} << 20);
    WriteOutgrowing((dir / "outgrowing.blk").string());
    for (const char* name : {"long.blk", "outgrowing.blk"}) {
        const std::string file = "'" + (dir / name).string() + "'";
        const CheckRun plain = RunCheck(file);
        const CheckRun analysed = RunCheck("--analyse " + file);
        std::printf(
            "%s: plain check %.0f ms wall, %.0f CPU, %ld KB; --analyse %.0f ms wall, %.0f CPU, %ld KB "
            "(goal: +1000 ms, <= 2x memory)\n",
            name, plain.wallMs, plain.cpuMs, plain.maxKb, analysed.wallMs, analysed.cpuMs, analysed.maxKb);
    }
    // What the analysis window waits for on such a configuration: it asks for the current
    // block's answers on the window's thread, the models built first (cold), then after a TS
    // change (warm).
    for (const char* name : {"long.blk", "outgrowing.blk"}) {
        auto ws = std::make_unique<Workspace>();
        storage::ReadResult file = storage::ReadWholeFile((dir / name).string());
        if (!file || !storage::Read_Config_Text(*ws, storage::SplitLines(file.bytes))) continue;
        ws->CurrentBlock = 1;
        interlock::RecalculateAll(*ws);
        analysis::Analyser analyser(analysis::BddSession::kDefaultMaxNodes,
                                    analysis::Analyser::InitialNodesFor(*ws));
        const double cold = Time(
            1, [] {}, [&] { analyser.Analyse(*ws, 1); });
        ws->TsTable.Value[kFlippedTs] ^= 1;
        interlock::RecalculateAll(*ws);
        const double warm = Time(
            1, [] {}, [&] { analyser.Analyse(*ws, 1); });
        std::printf(
            "%s: the window's answers for block 1 on its own thread: %.0f ms with the models built, "
            "%.1f ms after a TS change\n",
            name, cold, warm);
    }
    fs::remove_all(dir);
    return 0;
}
