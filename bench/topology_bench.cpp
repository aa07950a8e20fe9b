// The topology's rules on the heaviest configuration with a 32-apparatus topology (two busbar
// sections with a coupler, seven bays of a breaker, two disconnectors and an earthing switch,
// an earthing switch on a busbar): the rules derived and all 64 operations proven, with the
// logic models already built (as the analysis window has them) and from nothing; then the cost
// a TS change adds while the "Топология" page is open.
//
// Figures are medians of repeated runs, in milliseconds.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analyser.h"
#include "bench/timing.h"
#include "bench/machine.h"
#include "bench/topology32.h"
#include "bench/worst_case.h"
#include "interlock/cp1251.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"
#include "topology/proof.h"

namespace {

using timing::Median;
using timing::Time;

void Measure(const char* title, interlock::Workspace& ws) {
    const std::vector<std::string> lines = worst_case::Topology32();
    // From nothing: the models of all 64 logics, the rules, the proofs.
    const double whole = Time(
        3, [] {},
        [&] {
            analysis::Analyser fresh(analysis::BddSession::kDefaultMaxNodes,
                                     analysis::Analyser::InitialNodesFor(ws));
            fresh.Update(ws);
            const topology::Topology t = topology::ReadTopology(lines, ws);
            topology::Prove(fresh, ws, t);
        });
    analysis::Analyser analyser(analysis::BddSession::kDefaultMaxNodes,
                                analysis::Analyser::InitialNodesFor(ws));
    analyser.Update(ws);
    int counts[4] = {};
    const double proof = Time(
        7, [] {},
        [&] {
            const topology::Topology t = topology::ReadTopology(lines, ws);
            const auto results = topology::Prove(analyser, ws, t);
            for (int& c : counts) c = 0;
            for (const auto& r : results) ++counts[static_cast<int>(r.verdict)];
        });
    const topology::Topology t = topology::ReadTopology(lines, ws);
    topology::ProofCache cache;
    cache.Refresh(analyser, ws, t);
    int flip = 0;
    const double change = Time(
        201, [&] { ws.TsTable.Value[100 + flip++ % 50] ^= 1; }, [&] { cache.Refresh(analyser, ws, t); });
    std::printf("%s\n", title);
    std::printf("  rules derived and 64 operations proven, models built: %8.2f ms\n", proof);
    std::printf("    verdicts: %d comply, %d violate, %d not checked, %d undetermined\n", counts[0],
                counts[1], counts[2], counts[3]);
    std::printf("  the same with the models of all 64 logics built first: %7.2f ms\n", whole);
    std::printf("  a TS change with the page open:                       %8.4f ms\n", change);
}

// A chain of `length` links from a source to a bay of three apparatus bound to blocks 1..3,
// its lines in reverse order (each link named before the node it leads from).
std::vector<std::string> Chain(int length, const std::string& link) {
    std::vector<std::string> lines = {"NODE IN",
                                      "NODE BUS",
                                      "NODE A",
                                      "NODE LINE",
                                      "SOURCE IN",
                                      "LOAD LINE",
                                      "DISCONNECTOR QS BUS A BLOCK 1",
                                      "BREAKER Q A LINE BLOCK 2",
                                      "EARTHING QE LINE BLOCK 3"};
    auto node = [&](int i) {
        return i == 0 ? std::string("IN") : i == length ? std::string("BUS") : "N" + std::to_string(i);
    };
    for (int i = length - 1; i >= 0; --i)
        lines.push_back(link + " " + node(i) + " " + node(i + 1) + (link == "CABLE" ? "" : " TS S20"));
    for (int i = length - 1; i >= 1; --i) lines.push_back("NODE " + node(i));
    return lines;
}

void MeasureChains() {
    auto ws = std::make_unique<interlock::Workspace>();
    for (int n = 1; n <= 3; ++n) {
        ws->Blocks[n].Name = n == 1 ? "QS" : n == 2 ? "Q" : "QE";
        ws->Blocks[n].OnLogic = {"V" + std::to_string(n) + "=AND(~S2)"};
        ws->Blocks[n].OffLogic = {"V" + std::to_string(n) + "=AND(S1)"};
        interlock::SetStateSignal(*ws, n, "S" + std::to_string(n));
    }
    interlock::RecalculateAll(*ws);
    std::printf("long chains (lines in reverse order), read / read and every operation proven:\n");
    for (int length : {50000, 500000}) {
        for (const char* link : {"CABLE", "BREAKER"}) {
            const std::vector<std::string> lines = Chain(length, link);
            const std::clock_t cpu0 = std::clock();
            const double read = Time(
                3, [] {}, [&] { topology::ReadTopology(lines, *ws); });
            const double readCpu = 1000.0 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC / 3;
            std::string verdict;
            const double whole = Time(
                1, [] {},
                [&] {
                    analysis::Analyser analyser;
                    analyser.Update(*ws);
                    const topology::Topology t = topology::ReadTopology(lines, *ws);
                    const auto results = topology::Prove(analyser, *ws, t);
                    verdict = topology::VerdictText(results.front());
                });
            std::printf("  %6d links, %-7s: read %8.1f ms (%.1f ms of CPU), read and proven %8.1f ms (%s)\n",
                        length, link == std::string("CABLE") ? "cables" : "TS", read, readCpu, whole,
                        cp1251::ToUtf8(verdict).substr(0, 60).c_str());
        }
    }
}

}  // namespace

int main() {
    MeasureChains();
    {
        auto ws = std::make_unique<interlock::Workspace>();
        worst_case::Build(*ws);
        Measure("heaviest configuration (every output stays 0)", *ws);
    }
    {
        // Outputs without the S1,~S1 that keeps them 0: real violations and examples to find.
        auto ws = std::make_unique<interlock::Workspace>();
        worst_case::Build(*ws);
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            for (auto side : {interlock::Side::On, interlock::Side::Off}) {
                std::vector<std::string> text(ws->Blocks[n].Of(side).Logic.begin(),
                                              ws->Blocks[n].Of(side).Logic.end());
                std::string& out = text.back();
                const size_t at = out.find("S1,~S1,");
                if (at != std::string::npos) out.erase(at, 7);
                ws->Blocks[n].Of(side).Logic = text;
            }
        }
        Measure("heaviest configuration, outputs satisfiable", *ws);
    }
    {
        // Short logics over the positions of other apparatus: most operations break a rule,
        // so every violation's smallest example and path are searched.
        auto ws = std::make_unique<interlock::Workspace>();
        worst_case::Build(*ws);
        unsigned seed = 7;
        auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) % 32; };
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            for (auto side : {interlock::Side::On, interlock::Side::Off}) {
                std::string line = "V" + std::to_string(n) + "=AND(";
                for (int k = 0; k < 3; ++k)
                    line +=
                        (k ? "," : "") + std::string(next() % 2 ? "~S" : "S") + std::to_string(3 + next());
                ws->Blocks[n].Of(side).Logic = std::vector<std::string>{line + ")"};
            }
        }
        Measure("short logics over the positions", *ws);
    }
    std::printf("load average %s, resident %ld KiB\n", machine::LoadAverages().c_str(),
                machine::ResidentKib());
    return 0;
}
