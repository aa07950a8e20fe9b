#include "ui/model/analysis_pages.h"

#include <algorithm>
#include <cstdlib>

#include "analysis/analysis_texts.h"
#include "analysis/logic_reader.h"
#include "analysis/model.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/sequences_texts.h"
#include "topology/topology_texts.h"
#include "ui/model/logic_error.h"
#include "ui/model/window_analysis_texts.h"

namespace ui {

using analysis::Verdict;
using interlock::Side;

namespace {

const PageTexts& P() { return PageWords(); }

std::string SideWord(Side side) {
    const interlock::EngineTexts& e = interlock::Texts();
    return side == Side::On ? e.stateValueOn : e.stateValueOff;
}
std::string OperationWord(Side side) { return side == Side::On ? P().operationOn : P().operationOff; }

std::string BlockTitle(const interlock::Workspace& ws, int n) {
    std::string s = P().block + std::to_string(n);
    if (!ws.Blocks[n].Name.empty()) s += " \"" + ws.Blocks[n].Name + "\"";
    return s;
}

std::string ValueText(int16_t v) { return std::to_string(v); }

// The values that apply one set of changes: every TS of every group it changes, a pair with
// both its TS.
std::vector<TsValue> SetValues(const std::vector<analysis::Change>& set) {
    std::vector<TsValue> out;
    for (const analysis::Change& c : set)
        for (const analysis::Literal& v : c.values) out.push_back({v.ts, v.value});
    return out;
}

std::string ChangeText(const interlock::TsTableData& table, const TsValue& v) {
    return TsText(table, v.ts) + ": " + ValueText(table.Value[v.ts]) + " -> " + std::to_string(v.value);
}

std::string CubeText(const interlock::TsTableData& table, const analysis::Cube& cube) {
    std::string s;
    for (const analysis::Literal& l : cube) {
        if (!s.empty()) s += ", ";
        s += TsText(table, l.ts) + " = " + std::to_string(l.value);
    }
    return s.empty() ? P().anyValues : s;
}

std::vector<TsValue> CubeValues(const interlock::TsTableData& table, const analysis::Cube& cube) {
    std::vector<TsValue> v;
    for (const analysis::Literal& l : cube) v.push_back({l.ts, l.value});
    return ExpandPairs(table, v);
}

// The governing side of block n, or the reason there is none usable.
struct Governing {
    std::optional<Side> side;
    std::string problem;  // empty when the logic can be judged
};

Governing GoverningOf(const interlock::Workspace& ws, const analysis::BlockAnalysis& r, int n) {
    if (!r.governing) return {std::nullopt, P().noStateSignal};
    const auto f = ws.Blocks[n].Of(*r.governing);
    if (f.Empty || f.Logic.empty()) return {r.governing, P().emptyLogic};
    if (f.Error) return {r.governing, AnalysisTexts().errorInLogic + OneLine(f.ErrorMessage)};
    return {r.governing, {}};
}

}  // namespace

std::vector<analysis::Problem> BlockErrors(const interlock::Workspace& ws) {
    const interlock::EngineTexts& e = interlock::Texts();
    std::vector<analysis::Problem> out;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        if (b.IsEmpty()) continue;
        const int s = std::abs(b.StateSignal);
        if (s == 0)
            out.push_back({"no_state_signal", analysis::Severity::Error, n, std::nullopt, 0, e.unknownState});
        else if (interlock::PairInvalid(ws, s))
            out.push_back({"bad_state_pair", analysis::Severity::Error, n, std::nullopt, 0, e.badStatePair});
        for (Side side : {Side::On, Side::Off}) {
            const auto f = b.Of(side);
            if (!f.Error) continue;
            out.push_back({"text_error", analysis::Severity::Error, n, side,
                           ErrorLineNumber(f.Logic, f.ErrorLine), OneLine(f.ErrorMessage)});
        }
    }
    return out;
}

Side GoverningSide(const interlock::Workspace& ws, int block, Side fallback) {
    if (block < 1 || block > interlock::kBlockCount) return fallback;
    const int s = ws.Blocks[block].StateSignal;
    if (s == 0 || interlock::PairInvalid(ws, std::abs(s))) return fallback;
    return interlock::ApparatusIsOn(ws, s) ? Side::Off : Side::On;
}

std::string TsText(const interlock::TsTableData& table, int ts) {
    std::string s = interlock::Texts().ts + std::to_string(ts);
    if (ts >= 1 && ts <= interlock::kTsCount && !table.Name[ts].empty()) s += " (" + table.Name[ts] + ")";
    return s;
}

std::vector<TsValue> ExpandPairs(const interlock::TsTableData& table, const std::vector<TsValue>& changes) {
    std::vector<TsValue> out;
    for (const TsValue& c : changes) {
        out.push_back(c);
        if (c.ts < interlock::kTsCount && table.TwoPosition[c.ts] && (c.value == 0 || c.value == 1))
            out.push_back({c.ts + 1, c.value ^ 1});
    }
    return out;
}

ApplyGate ApplyAllowed(interlock::TsEditRefusal refusal) {
    const AnalysisWindowTexts& t = AnalysisPageTexts();
    switch (refusal) {
        case interlock::TsEditRefusal::RtuReceiving:
            return {false, t.noApplyRtu};
        case interlock::TsEditRefusal::ServerReceiving:
            return {false, t.noApplyServer};
        case interlock::TsEditRefusal::ChangeTsOff:
            return {false, t.noApplyChange};
        case interlock::TsEditRefusal::None:
            break;
    }
    return {true, {}};
}

Page WhyPage(analysis::Analyser& analyser, const interlock::Workspace& ws) {
    const int n = ws.CurrentBlock;
    const analysis::BlockAnalysis r = analyser.Analyse(ws, n);
    Page p;
    p.columns = {P().columnSet, P().columnChanges};
    p.heading = BlockTitle(ws, n);
    const Governing g = GoverningOf(ws, r, n);
    if (!g.side || !g.problem.empty()) {
        if (g.side) p.heading += ": " + OperationWord(*g.side);
        p.empty = g.problem;
        return p;
    }
    const Side side = *g.side;
    const auto f = ws.Blocks[n].Of(side);
    const bool allowed = f.Result == 1;
    const bool hardware = f.Unreliability[0] == 2;
    // The verdict as the main window shows it: hardware unreliability forbids whatever the
    // logic gives, and the page says which TS do so and what the logic alone would give.
    const interlock::EngineTexts& e = interlock::Texts();
    const std::string& verdict = hardware          ? e.forbiddenTwoStars
                                 : allowed         ? e.allowed
                                 : f.HasCandidates ? e.forbiddenStar
                                                   : e.forbidden;
    p.heading += ": " + OperationWord(side) + " " + verdict;
    const AnalysisViewTexts& t = AnalysisTexts();
    if (f.Unreliability[0] != 0) {
        const int level = hardware ? 2 : 1;
        std::string list;
        for (int ts = 1; ts <= interlock::kTsCount; ++ts)
            if (f.Unreliability[ts] == level) list += (list.empty() ? "" : ", ") + TsText(ws.TsTable, ts);
        p.heading += "\n" + (hardware ? t.whyHardware : t.whyManual) + list;
    }
    if (hardware && allowed) {
        p.empty = t.whyLogicAllows;
        return p;
    }
    if (hardware) p.heading += "\n" + t.whyLogicForbids;
    if (allowed || !r.minChanges) {
        p.empty = P().allowedAsIs;
        return p;
    }
    const analysis::MinChanges& m = *r.minChanges;
    if (m.undetermined) {
        p.empty = P().smallestSets + analysis::Texts().undetermined;
        return p;
    }
    if (!m.exists) {
        p.empty = P().nothingAllows;
        return p;
    }
    p.heading += "\n" + P().smallestCount + std::to_string(m.size) + P().setCount +
                 std::to_string(m.sets.size()) + (m.truncated ? P().notAllShown : "");
    int i = 0;
    for (const std::vector<analysis::Change>& set : m.changes) {
        PageRow row;
        row.apply = SetValues(set);
        std::string text;
        for (const TsValue& v : row.apply) {
            if (!text.empty()) text += "; ";
            text += ChangeText(ws.TsTable, v);
        }
        row.cells = {std::to_string(++i), text};
        row.place = {n, side, 0};
        p.rows.push_back(std::move(row));
    }
    return p;
}

Page UnreliablePage(analysis::Analyser& analyser, const interlock::Workspace& ws) {
    const int n = ws.CurrentBlock;
    const analysis::BlockAnalysis r = analyser.Analyse(ws, n);
    Page p;
    p.columns = {interlock::Texts().ts, AnalysisPageTexts().pageUnreliable, P().columnValue,
                 P().columnDecisive, P().columnInList};
    p.heading = BlockTitle(ws, n);
    const Governing g = GoverningOf(ws, r, n);
    if (!g.side || !g.problem.empty()) {
        if (g.side) p.heading += ": " + OperationWord(*g.side);
        p.empty = g.problem;
        return p;
    }
    const Side side = *g.side;
    p.heading += ": " + OperationWord(side) + "\n";
    if (r.decisive.undetermined) {
        p.heading += P().decisiveHead + analysis::Texts().undetermined;
    } else if (r.decisive.ts.empty()) {
        p.heading += P().noneDecisive;
    } else {
        p.heading += P().mayDecide;
        for (size_t i = 0; i < r.decisive.ts.size(); ++i)
            p.heading += (i ? ", " : "") + interlock::Texts().ts + std::to_string(r.decisive.ts[i]);
    }
    // Every unreliable TS the logic reads, and whether the evaluator's own list (the warning
    // "запрещено**") has it for the present values.
    const auto f = ws.Blocks[n].Of(side);
    std::vector<char> read(interlock::kTsCount + 1, 0);
    for (const analysis::LogicLine& line : analysis::ReadLogic(f.Logic, n).lines)
        for (const analysis::Operand& o : line.operands)
            if (o.letter != 'M' && o.number >= 1 && o.number <= interlock::kTsCount) read[o.number] = 1;
    for (int ts = 1; ts <= interlock::kTsCount; ++ts) {
        const int level = ws.TsTable.Unreliability[ts];
        if (!read[ts] || !level) continue;
        bool decisive = false;
        for (int d : r.decisive.ts) decisive = decisive || d == ts;
        PageRow row;
        row.cells = {TsText(ws.TsTable, ts), level >= 2 ? P().hardware : P().manual,
                     ValueText(ws.TsTable.Value[ts]),
                     r.decisive.undetermined ? analysis::Texts().undetermined
                     : decisive              ? P().yes
                                             : P().no,
                     f.Unreliability[ts] ? P().yes : P().no};
        row.emphasised = decisive;
        row.place = {n, side, 0};
        p.rows.push_back(std::move(row));
    }
    p.empty = P().noUnreliable;
    return p;
}

Page ProblemsPage(const analysis::Analyser& analyser, const interlock::Workspace& ws) {
    Page p;
    p.columns = {topology::Texts().colBlock, P().columnLogic,   sequences::Texts().colLine,
                 P().columnSeverity,         P().columnMessage, P().columnCheck};
    std::vector<analysis::Problem> problems = BlockErrors(ws);
    const std::vector<analysis::Problem>& found = analyser.Problems();
    problems.insert(problems.end(), found.begin(), found.end());
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const analysis::Problem& a, const analysis::Problem& b) { return a.block < b.block; });
    for (const analysis::Problem& x : problems) {
        PageRow row;
        row.cells = {std::to_string(x.block),
                     x.side ? SideWord(*x.side) : std::string(),
                     x.line ? std::to_string(x.line) : std::string(),
                     analysis::SeverityText(x.severity),
                     x.message,
                     CheckName(x.check)};
        row.place = {x.block, x.side, x.line};
        row.emphasised = x.severity == analysis::Severity::Error;
        p.rows.push_back(std::move(row));
    }
    p.heading = P().problemCount + std::to_string(p.rows.size());
    p.empty = P().noProblems;
    return p;
}

Page RequirementsPage(const std::string& file, const analysis::RequirementsFile& parsed,
                      const std::vector<analysis::RequirementResult>& results,
                      const interlock::Workspace& ws) {
    Page p;
    p.columns = {P().columnRequirement, P().columnResult, P().columnDetails};
    if (file.empty()) {
        p.empty = P().noRequirementsFile;
        return p;
    }
    int proven = 0, refuted = 0;
    for (const analysis::RequirementError& e : parsed.errors) {
        PageRow row;
        row.cells = {P().line + std::to_string(e.line), analysis::Texts().error,
                     P().position + std::to_string(e.position) + ": " + e.message};
        row.emphasised = true;
        p.rows.push_back(std::move(row));
    }
    for (const analysis::RequirementResult& r : results) {
        const analysis::Requirement& q = r.requirement;
        PageRow row;
        std::string verdict = analysis::VerdictText(r.verdict), details = r.reason;
        proven += r.verdict == Verdict::Proven ? 1 : 0;
        refuted += r.verdict == Verdict::Refuted ? 1 : 0;
        if (r.counterexample) {
            analysis::Cube cube = r.counterexample->cube;
            if (r.state) cube.insert(cube.begin(), *r.state);
            details = analysis::Texts().counterexample + CubeText(ws.TsTable, cube);
            row.apply = CubeValues(ws.TsTable, cube);
        }
        row.cells = {q.label.empty() ? q.text : q.label + " (" + q.text + ")", verdict, details};
        row.place = {q.block, q.side, 0};
        row.emphasised = r.verdict == Verdict::Refuted;
        p.rows.push_back(std::move(row));
    }
    const analysis::AnalysisTexts& a = analysis::Texts();
    p.heading = P().fileHead + file + "\n" + Capitalised(a.proven) + " " + std::to_string(proven) + ", " +
                a.refuted + " " + std::to_string(refuted) + P().total + std::to_string(results.size()) +
                (parsed.errors.empty() ? "" : P().errorLines + std::to_string(parsed.errors.size()));
    p.empty = P().noRequirements;
    return p;
}

Page ComparePage(const std::string& file, const analysis::DiffResult& diff, const interlock::Workspace& a,
                 const interlock::Workspace& b) {
    Page p;
    p.columns = {topology::Texts().colBlock, P().columnLogic, P().columnBehaviour, P().columnDetails};
    p.heading = P().compareHead + file;
    auto verdict = [](int v) { return v ? interlock::Texts().allowed : interlock::Texts().forbidden; };
    for (const analysis::BlockDiff& d : diff.blocks) {
        if (d.NameChanged() || d.StateChanged()) {
            PageRow row;
            std::string s;
            if (d.NameChanged()) s = P().nameChange + d.nameA + "\" -> \"" + d.nameB + "\"";
            if (d.StateChanged())
                s += (s.empty() ? "" : "; ") + AnalysisTexts().whereStateSignal + ": " +
                     std::to_string(d.stateA) + " -> " + std::to_string(d.stateB);
            row.cells = {std::to_string(d.block), "", P().changed, s};
            row.place = {d.block, std::nullopt, 0};
            p.rows.push_back(std::move(row));
        }
        for (Side side : {Side::On, Side::Off}) {
            const analysis::LogicDiff& x = side == Side::On ? d.on : d.off;
            PageRow row;
            row.place = {d.block, side, 0};
            std::string status, details = x.reason;
            switch (x.status) {
                case analysis::LogicDiff::Status::Equivalent:
                    status = P().equivalent;
                    // The flag is the side's own: the other side's edit does not make this one "changed".
                    if (d.block >= 1 && d.block <= interlock::kBlockCount &&
                        a.Blocks[d.block].Of(side).Logic != b.Blocks[d.block].Of(side).Logic &&
                        details.empty())
                        details = AnalysisTexts().sameBehaviour;
                    break;
                case analysis::LogicDiff::Status::NotCompared:
                    status = P().notCompared;
                    break;
                case analysis::LogicDiff::Status::Different: {
                    status = analysis::Texts().differs;
                    row.emphasised = true;
                    analysis::Cube cube = x.state;
                    if (x.witness) cube.insert(cube.end(), x.witness->cube.begin(), x.witness->cube.end());
                    details = sequences::Texts().freeValues + CubeText(b.TsTable, cube) + P().inFile +
                              verdict(x.verdictA) + P().inMemory + verdict(x.verdictB);
                    if (x.bAllowsMore && x.aAllowsMore)
                        details += P().bothWays;
                    else if (x.bAllowsMore)
                        details += P().memoryAllowsMore;
                    else if (x.aAllowsMore)
                        details += P().memoryForbidsMore;
                    break;
                }
            }
            row.cells = {std::to_string(d.block), SideWord(side), status, details};
            p.rows.push_back(std::move(row));
        }
    }
    for (const analysis::AttributeChange& c : diff.attributes) {
        PageRow row;
        std::string s = TsText(b.TsTable, c.ts) + ": ";
        if (c.inverted) s += P().invertedChanged;
        if (c.twoPosition) s += (c.inverted ? "; " : "") + P().twoPositionChanged;
        row.cells = {"", "", P().attributes, s};
        row.emphasised = true;
        p.rows.push_back(std::move(row));
    }
    p.empty = P().identical;
    return p;
}

Page WhereUsedPage(const analysis::Analyser& analyser, const interlock::Workspace& ws, int ts) {
    Page p;
    p.columns = {topology::Texts().colBlock, P().columnLogic, sequences::Texts().colLine, P().columnOperand};
    if (ts < 1 || ts > interlock::kTsCount) {
        p.empty = P().enterTs;
        return p;
    }
    const AnalysisViewTexts& t = AnalysisTexts();
    const auto& table = ws.TsTable;
    // The second TS of a pair is read wherever its first is read as the pair (D).
    const bool second = ts > 1 && table.TwoPosition[ts - 1];
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const int s = ws.Blocks[n].StateSignal;
        const int a = std::abs(s);
        if (a == 0 || (a != ts && !(second && a == ts - 1))) continue;
        PageRow row;
        std::string operand = std::string(s < 0 ? "~" : "") + "S" + std::to_string(a);
        if (a != ts) operand += " (" + t.wherePairOf + std::to_string(a) + "/" + std::to_string(ts) + ")";
        row.cells = {BlockTitle(ws, n), t.whereStateSignal, "", operand};
        row.place = {n, std::nullopt, 0};
        p.rows.push_back(std::move(row));
    }
    auto add = [&](const analysis::Use& u, const std::string& note) {
        PageRow row;
        row.cells = {BlockTitle(ws, u.block), SideWord(u.side), std::to_string(u.line), u.operand + note};
        row.place = {u.block, u.side, u.line};
        p.rows.push_back(std::move(row));
    };
    for (const analysis::Use& u : analyser.WhereUsed(ts)) add(u, "");
    if (second) {
        const std::string note =
            " (" + t.wherePairOf + std::to_string(ts - 1) + "/" + std::to_string(ts) + ")";
        for (const analysis::Use& u : analyser.WhereUsed(ts - 1))
            if (u.operand.find('D') != std::string::npos) add(u, note);
    }
    p.heading = TsText(ws.TsTable, ts) + P().readPlaces + std::to_string(p.rows.size());
    p.empty = P().readNowhere;
    return p;
}

}  // namespace ui
