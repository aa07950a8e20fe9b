#include "ui/model/report_model.h"

#include <algorithm>

#include "topology/proof.h"
#include "topology/topology_texts.h"

#include "analysis/analysis_texts.h"
#include "analysis/cover.h"
#include "interlock/cp1251.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "interlock/engine_texts.h"
#include "ui/model/report_texts.h"
#include "ui/model/window_analysis_texts.h"

namespace ui::report {
namespace {

using interlock::Side;
using interlock::Workspace;

std::string W(const char* utf8) { return cp1251::FromUtf8(utf8); }
const ReportTexts& R() { return ReportWords(); }

std::string Join(const analysis::Cube& c, const Workspace& ws, const std::string& joiner, bool brackets) {
    std::string s;
    for (const analysis::Literal& l : c) s += (s.empty() ? "" : " " + joiner + " ") + LiteralText(ws, l);
    return brackets && c.size() > 1 ? "(" + s + ")" : s;
}

}  // namespace

std::string LiteralText(const Workspace& ws, const analysis::Literal& l) {
    const std::string& ts = interlock::Texts().ts;
    const std::string value = ts + std::to_string(l.ts) + " = " + std::to_string(l.value);
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        if (b.StateSignal == 0 || b.IsEmpty()) continue;
        const int s = b.StateSignal > 0 ? b.StateSignal : -b.StateSignal;
        const analysis::PairBit bit = analysis::BitOf(ws.TsTable, s);
        if (bit.ts != l.ts) continue;
        const int onBit = (b.StateSignal > 0 ? 1 : 0) ^ (bit.flipped ? 1 : 0);
        const std::string name = b.Name.empty() ? R().apparatusOf + std::to_string(n) : b.Name;
        const interlock::EngineTexts& e = interlock::Texts();
        return name + " " + (l.value == onBit ? e.stateOn : e.stateOff) + " (" + value + ")";
    }
    const std::string& name = ws.TsTable.Name[l.ts];
    if (name.empty()) return value;
    return ts + std::to_string(l.ts) + W(" «") + name + W("» = ") + std::to_string(l.value);
}

Condition ConditionOf(analysis::Analyser& analyser, const Workspace& ws, int block, Side side) {
    Condition c;
    c.heading = side == Side::On ? R().onAllowedIf : R().offAllowedIf;
    const interlock::Block& b = ws.Blocks[block];
    if (b.Of(side).Logic.empty()) {
        c.sentence = R().emptyNever;
        return c;
    }
    const analysis::LogicModel* model = analyser.Model(block, side);
    if (!model) {
        c.sentence = R().errorNever + analyser.LogicError(block, side);
        for (char& ch : c.sentence)
            if (ch == '\r' || ch == '\n') ch = ' ';
        return c;
    }
    if (model->undetermined) {
        c.sentence = analysis::Texts().budget;
        return c;
    }
    const bdd f = bdd_restrict(model->output, analysis::GoverningState(ws.TsTable, b.StateSignal, side));
    if (f == bddfalse) {
        c.sentence = R().neverPrefix + analysis::Texts().reqNever;
        return c;
    }
    if (f == bddtrue) {
        c.sentence = R().always;
        return c;
    }
    const std::optional<analysis::TwoLevel> t = analysis::ReadableFormula(f);
    if (!t) {
        c.sentence = R().tooLong;
        return c;
    }
    const std::string inner = t->conjunctive ? R().orWord : R().andWord;
    const std::string outer = t->conjunctive ? R().andWord : R().orWord;
    // Sum of products: common AND (t1 OR t2 ...); product of sums: common OR (t1 AND t2 ...).
    std::vector<std::string> group;
    for (const analysis::Cube& term : t->terms) group.push_back(Join(term, ws, inner, t->terms.size() > 1));
    if (t->common.empty()) {
        c.joiner = outer;
        c.terms = group;
        return c;
    }
    c.joiner = inner;
    for (const analysis::Literal& l : t->common) c.terms.push_back(LiteralText(ws, l));
    if (!group.empty()) {
        std::string g;
        for (const std::string& x : group) g += (g.empty() ? "" : " " + outer + " ") + x;
        c.terms.push_back(group.size() > 1 ? "(" + g + ")" : g);
    }
    return c;
}

Report Build(analysis::Analyser& analyser, const Workspace& ws, const std::string& file,
             const std::string& requirementsPath, const std::string& date, const std::string& topologyPath) {
    // The verdicts and tab looks of a recalculation stay on the copy.
    auto copy = std::make_unique<Workspace>(ws);
    interlock::RecalculateAll(*copy);
    copy->Messages.clear();
    Workspace& w = *copy;

    Report r;
    r.file = file;
    r.date = date;
    analyser.Update(w);
    const std::vector<analysis::Problem> problems = analyser.Problems();

    std::vector<analysis::RequirementResult> results;
    if (!requirementsPath.empty()) {
        storage::ReadResult read = storage::ReadWholeFile(requirementsPath);
        if (read) {
            r.requirementsFile = requirementsPath;
            analysis::RequirementsFile parsed = analysis::ParseRequirementsFile(read.bytes);
            r.requirementErrors = parsed.errors;
            results = analysis::Prove(analyser, w, parsed.requirements);
        }
    }
    for (const analysis::RequirementResult& x : results) {
        if (x.verdict == analysis::Verdict::Proven)
            ++r.proven;
        else if (x.verdict == analysis::Verdict::Refuted)
            ++r.refuted;
        else
            ++r.notChecked;
    }

    topology::Topology topo;
    std::vector<topology::OperationResult> proofs;
    if (!topologyPath.empty()) {
        storage::ReadResult read = storage::ReadWholeFile(topologyPath);
        if (read) {
            r.topologyFile = topologyPath;
            topo = topology::ReadTopology(storage::SplitLines(read.bytes), w);
            proofs = topology::Prove(analyser, w, topo);
            r.topology = topo;
        }
    }

    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = w.Blocks[n];
        const interlock::BlockStatus status = interlock::StatusOf(w, b);
        if (status == interlock::BlockStatus::Empty)
            ++r.empty;
        else if (status == interlock::BlockStatus::Erroneous)
            ++r.erroneous;
        else
            ++r.normal;
        for (const analysis::Problem& p : problems) {
            if (p.block != n) continue;
            ++(p.severity == analysis::Severity::Error     ? r.errors
               : p.severity == analysis::Severity::Warning ? r.warnings
                                                           : r.information);
        }
        if (b.IsEmpty()) continue;

        BlockEntry e;
        e.number = n;
        e.name = b.Name;
        e.status = status;
        if (b.StateSignal == 0) {
            e.stateSignal = R().noStateSignal;
        } else {
            const int s = b.StateSignal > 0 ? b.StateSignal : -b.StateSignal;
            // As the user entered it and the file keeps it (always S); a pair is said in words.
            e.stateSignal = std::string(b.StateSignal < 0 ? "~" : "") + "S" + std::to_string(s);
            if (!w.TsTable.Name[s].empty()) e.stateSignal += W(" «") + w.TsTable.Name[s] + W("»");
            if (w.TsTable.TwoPosition[s] && s < interlock::kTsCount)
                e.stateSignal += AnalysisTexts().statePair + std::to_string(s) + "/" + std::to_string(s + 1);
            e.stateSignal += R().onWhen + std::to_string(s) + " = " + (b.StateSignal > 0 ? "1" : "0");
        }
        e.on = ConditionOf(analyser, w, n, Side::On);
        e.off = ConditionOf(analyser, w, n, Side::Off);
        for (const analysis::Problem& p : problems)
            if (p.block == n) e.problems.push_back(p);
        for (const analysis::RequirementResult& x : results)
            if (x.requirement.block == n) e.requirements.push_back(x);
        const topology::TopologyTexts& tt = topology::Texts();
        auto line = [&](std::string text, bool bad) {
            e.topology.push_back(std::move(text));
            e.topologyBad.push_back(bad);
        };
        bool rulesShown = false;
        for (const topology::OperationResult& o : proofs) {
            if (o.block != n) continue;
            if (!rulesShown) {
                // The rules of the apparatus in words, once.
                std::vector<int> rules;
                for (const topology::OperationResult& x : proofs)
                    if (x.block == n)
                        for (int rule : x.rules)
                            if (std::find(rules.begin(), rules.end(), rule) == rules.end())
                                rules.push_back(rule);
                std::sort(rules.begin(), rules.end());
                for (int rule : rules)
                    line(tt.ruleWord + " " + std::to_string(rule) + ": " +
                             topology::Rules()[static_cast<size_t>(rule - 1)].words(),
                         false);
                rulesShown = true;
            }
            const std::string op = o.side == Side::On ? tt.on : tt.off;
            line(op + ": " + (o.rules.empty() ? tt.noRules : topology::VerdictText(o)),
                 o.verdict == topology::Verdict::Violates);
            for (const topology::Violation& v : o.violations)
                line("  " + topology::ViolationText(topo, w, o, v), true);
        }
        r.blocks.push_back(std::move(e));
    }
    return r;
}

}  // namespace ui::report
