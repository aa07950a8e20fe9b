#include "tools/check_proofs.h"

#include <algorithm>

#include "analysis/analysis_texts.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/sequences_texts.h"
#include "tools/check_report.h"
#include "tools/tool_texts.h"

namespace check {
namespace {

using analysis::Verdict;
using interlock::Side;
using Json = nlohmann::ordered_json;

std::string Utf8(const std::string& text) { return cp1251::ToUtf8(text); }

std::string VerdictWord(Verdict v) { return Utf8(analysis::VerdictText(v)); }

std::string TsWord() { return Utf8(interlock::Texts().ts); }

std::string StateText(int s) {
    if (s == 0) return "-";
    return (s < 0 ? "~S" : "S") + std::to_string(std::abs(s));
}

}  // namespace

const char* VerdictName(Verdict v) {
    switch (v) {
        case Verdict::Proven:
            return "proven";
        case Verdict::Refuted:
            return "refuted";
        case Verdict::NotChecked:
            return "not_checked";
        case Verdict::Undetermined:
            break;
    }
    return "undetermined";
}

bool RequirementsReport::AllProven() const {
    if (!parsed.errors.empty()) return false;
    for (const auto& r : results)
        if (r.verdict != Verdict::Proven) return false;
    return true;
}

std::string CubeText(const analysis::Cube& cube, const interlock::Workspace& ws,
                     const std::vector<int>& flipped) {
    const std::string ts = TsWord();
    std::string s;
    for (const analysis::Literal& l : cube) {
        if (!s.empty()) s += ", ";
        s += ts + std::to_string(l.ts) + "=" + std::to_string(l.value);
        if (!ws.TsTable.Name[l.ts].empty()) s += " (" + Utf8(ws.TsTable.Name[l.ts]) + ")";
        if (l.ts < interlock::kTsCount && ws.TsTable.TwoPosition[l.ts])
            s += " [" + ts + std::to_string(l.ts + 1) + "=" + std::to_string(l.value ^ 1) + "]";
        // A TS read inverted by B: its value in B's own reading as well.
        if (std::find(flipped.begin(), flipped.end(), l.ts) != flipped.end()) {
            s += " {" + tools::Texts().inB + ts + std::to_string(l.ts) + "=" + std::to_string(l.value ^ 1);
            if (l.ts < interlock::kTsCount && ws.TsTable.TwoPosition[l.ts])
                s += " [" + ts + std::to_string(l.ts + 1) + "=" + std::to_string(l.value) + "]";
            s += "}";
        }
    }
    return s.empty() ? tools::Texts().anyValues : s;
}

Json CubeJson(const analysis::Cube& cube, const interlock::Workspace& ws, const std::vector<int>& flipped) {
    Json list = Json::array();
    for (const analysis::Literal& l : cube) {
        Json j = {{"ts", l.ts}, {"name", Utf8(ws.TsTable.Name[l.ts])}, {"value", l.value}};
        if (l.ts < interlock::kTsCount && ws.TsTable.TwoPosition[l.ts])
            j["pair_second"] = {{"ts", l.ts + 1}, {"value", l.value ^ 1}};
        if (std::find(flipped.begin(), flipped.end(), l.ts) != flipped.end()) j["value_b"] = l.value ^ 1;
        list.push_back(j);
    }
    return list;
}

Json RequirementsJson(const RequirementsReport& r, const interlock::Workspace& ws) {
    Json list = Json::array();
    for (const analysis::RequirementResult& x : r.results) {
        const analysis::Requirement& q = x.requirement;
        Json j = {{"line", q.line},
                  {"label", Utf8(q.label)},
                  {"text", Utf8(q.text)},
                  {"block", q.block},
                  {"side", interlock::SideName(q.side)},
                  {"result", VerdictName(x.verdict)},
                  {"reason", Utf8(x.reason)}};
        if (x.state) j["state"] = {{"ts", x.state->ts}, {"value", x.state->value}};
        if (x.counterexample) {
            j["counterexample"] = CubeJson(x.counterexample->cube, ws);
            j["minimal"] = x.counterexample->minimum;
        } else {
            j["counterexample"] = nullptr;
        }
        list.push_back(j);
    }
    Json errors = Json::array();
    for (const analysis::RequirementError& e : r.parsed.errors)
        errors.push_back({{"line", e.line}, {"position", e.position}, {"message", Utf8(e.message)}});
    return {{"requirements_file", r.file},
            {"all_proven", r.AllProven()},
            {"requirements", list},
            {"errors", errors}};
}

std::string RequirementsText(const RequirementsReport& r, const interlock::Workspace& ws) {
    const tools::ToolTexts& tx = tools::Texts();
    std::string out;
    int counts[4] = {};
    for (const analysis::RequirementError& e : r.parsed.errors) {
        out += r.file + ":" + std::to_string(e.line) + ":" + std::to_string(e.position) + ": " +
               Utf8(analysis::Texts().error) + ": " + Utf8(e.message) + "\n";
    }
    for (const analysis::RequirementResult& x : r.results) {
        const analysis::Requirement& q = x.requirement;
        ++counts[static_cast<int>(x.verdict)];
        std::string line =
            "[" + VerdictWord(x.verdict) + "] " + tx.lineShort + " " + std::to_string(q.line) + " ";
        line += q.label.empty() ? Utf8(q.text) : Utf8(q.label) + " (" + Utf8(q.text) + ")";
        if (x.counterexample) {
            line += " - " + Utf8(analysis::Texts().counterexample) + CubeText(x.counterexample->cube, ws);
            if (x.state)
                line += "; " + Utf8(sequences::Texts().stateAfter) + TsWord() + std::to_string(x.state->ts) +
                        "=" + std::to_string(x.state->value);
        }
        if (!x.reason.empty()) line += " - " + OneLine(Utf8(x.reason));
        out += line + "\n";
    }
    out += tx.requirementsHead;
    for (Verdict v : {Verdict::Proven, Verdict::Refuted, Verdict::NotChecked, Verdict::Undetermined})
        out += VerdictWord(v) + " " + std::to_string(counts[static_cast<int>(v)]) + ", ";
    out += tools::Fill(tx.fileErrors, {std::to_string(r.parsed.errors.size())}) + "\n";
    return out;
}

namespace {

const char* Direction(const analysis::LogicDiff& d) {
    if (d.bAllowsMore && d.aAllowsMore) return "both";
    return d.bAllowsMore ? "b_allows_more" : "a_allows_more";
}

const char* StatusName(analysis::LogicDiff::Status s) {
    switch (s) {
        case analysis::LogicDiff::Status::Equivalent:
            return "equivalent";
        case analysis::LogicDiff::Status::Different:
            return "different";
        case analysis::LogicDiff::Status::NotCompared:
            break;
    }
    return "not_compared";
}

Json LogicDiffJson(const analysis::LogicDiff& d, const interlock::Workspace& b,
                   const std::vector<int>& flipped) {
    Json j = {{"status", StatusName(d.status)}};
    if (d.status == analysis::LogicDiff::Status::Different) {
        j["direction"] = Direction(d);
        j["witness"] = d.witness ? CubeJson(d.witness->cube, b, flipped) : Json(nullptr);
        j["state"] = CubeJson(d.state, b, flipped);
        j["verdict_a"] = d.verdictA;
        j["verdict_b"] = d.verdictB;
    }
    if (!d.reason.empty()) j["reason"] = Utf8(d.reason);
    return j;
}

std::string LogicDiffText(const char* side, const analysis::LogicDiff& d, const interlock::Workspace& b,
                          const std::vector<int>& flipped) {
    const tools::ToolTexts& tx = tools::Texts();
    switch (d.status) {
        case analysis::LogicDiff::Status::Equivalent:
            return std::string(side) + ": " + tx.same;
        case analysis::LogicDiff::Status::NotCompared:
            return std::string(side) + ": " + tx.notCompared + " - " + OneLine(Utf8(d.reason));
        case analysis::LogicDiff::Status::Different:
            break;
    }
    std::string s = std::string(side) + ": " + Utf8(analysis::Texts().differs) + " (";
    s += d.bAllowsMore && d.aAllowsMore ? tx.bothWays : d.bAllowsMore ? tx.bAllowsMore : tx.aAllowsMore;
    s += ")";
    if (d.witness) {
        s += ", " + tx.forExample + CubeText(d.witness->cube, b, flipped);
        if (!d.state.empty())
            s += " (" + Utf8(sequences::Texts().stateAfter) + CubeText(d.state, b, flipped) + ")";
        s += ": A " + std::to_string(d.verdictA) + ", B " + std::to_string(d.verdictB);
    }
    if (!d.reason.empty()) s += " - " + Utf8(d.reason);
    return s;
}

}  // namespace

Json DiffJson(const analysis::DiffResult& d, const interlock::Workspace& a, const interlock::Workspace& b) {
    (void)a;
    Json blocks = Json::array();
    for (const analysis::BlockDiff& x : d.blocks) {
        blocks.push_back({{"number", x.block},
                          {"name_a", Utf8(x.nameA)},
                          {"name_b", Utf8(x.nameB)},
                          {"state_signal_a", StateText(x.stateA)},
                          {"state_signal_b", StateText(x.stateB)},
                          {"text_changed", x.textChanged},
                          {"on", LogicDiffJson(x.on, b, d.flipped)},
                          {"off", LogicDiffJson(x.off, b, d.flipped)}});
    }
    Json attributes = Json::array();
    for (const analysis::AttributeChange& c : d.attributes)
        attributes.push_back({{"ts", c.ts}, {"inverted", c.inverted}, {"two_position", c.twoPosition}});
    return {{"logics_differ", d.logicsDiffer}, {"blocks", blocks}, {"attributes", attributes}};
}

std::string DiffText(const analysis::DiffResult& d, const interlock::Workspace& a,
                     const interlock::Workspace& b) {
    (void)a;
    const tools::ToolTexts& tx = tools::Texts();
    std::string out;
    int differing = 0;
    for (const analysis::BlockDiff& x : d.blocks) {
        std::string head = std::to_string(x.block);
        head.insert(0, head.size() < 2 ? " " : "");
        out += head + " " + (x.nameB.empty() ? std::string("-") : Utf8(x.nameB)) + ":";
        if (x.NameChanged()) out += " " + tools::Fill(tx.nameChanged, {Utf8(x.nameA), Utf8(x.nameB)});
        if (x.StateChanged())
            out += " " + tools::Fill(tx.stateChanged, {StateText(x.stateA), StateText(x.stateB)});
        out += " " + LogicDiffText("on", x.on, b, d.flipped) + "; " +
               LogicDiffText("off", x.off, b, d.flipped) + "\n";
        differing += x.LogicChanged() ? 1 : 0;
    }
    for (const analysis::AttributeChange& c : d.attributes) {
        out += TsWord() + std::to_string(c.ts) + ": " + tx.attributeChanged;
        if (c.inverted) out += " " + tx.inverted;
        if (c.twoPosition) out += " " + tx.twoPosition;
        out += "\n";
    }
    out += tools::Fill(tx.differingBlocks, {std::to_string(differing)}) + "\n";
    return out;
}

}  // namespace check
