#include "tools/check_analysis.h"

#include "analysis/analysis_texts.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "tools/tool_texts.h"

namespace check {
namespace {

using analysis::Severity;
using interlock::Side;
using Json = nlohmann::ordered_json;

std::string Utf8(const std::string& text) { return cp1251::ToUtf8(text); }

Json SideJson(const std::optional<Side>& side) {
    return side ? Json(interlock::SideName(*side)) : Json(nullptr);
}

const char* SeverityName(Severity s) {
    switch (s) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Information:
            break;
    }
    return "information";
}

Json VerdictsJson(const std::optional<analysis::LogicVerdicts>& v) {
    if (!v) return nullptr;
    if (v->undetermined) return {{"never", nullptr}, {"always", nullptr}, {"undetermined", true}};
    return {{"never", v->never}, {"always", v->always}};
}

Json MinChangesJson(const std::optional<analysis::MinChanges>& m) {
    if (!m) return nullptr;
    Json j;
    j["size"] = m->exists ? Json(m->size) : Json(nullptr);
    j["sets"] = m->sets;
    Json values = Json::array();
    for (const std::vector<analysis::Change>& set : m->changes) {
        Json one = Json::array();
        for (const analysis::Change& c : set)
            for (const analysis::Literal& v : c.values) one.push_back({{"ts", v.ts}, {"value", v.value}});
        values.push_back(one);
    }
    j["values"] = values;
    j["truncated"] = m->truncated;
    if (m->undetermined) j["undetermined"] = true;
    return j;
}

Json BlockJson(const analysis::BlockAnalysis& a) {
    Json problems = Json::array();
    for (const analysis::Problem& p : a.problems) {
        problems.push_back({{"check", p.check},
                            {"severity", SeverityName(p.severity)},
                            {"side", SideJson(p.side)},
                            {"line", p.line > 0 ? Json(p.line) : Json(nullptr)},
                            {"message", Utf8(p.message)}});
    }
    return {{"governing", SideJson(a.governing)},
            {"min_changes", MinChangesJson(a.minChanges)},
            {"decisive_unreliable", a.decisive.undetermined ? Json(nullptr) : Json(a.decisive.ts)},
            {"on", VerdictsJson(a.on)},
            {"off", VerdictsJson(a.off)},
            {"problems", problems}};
}

std::string TsList(const std::vector<int>& ts) {
    std::string s;
    const std::string tsWord = Utf8(interlock::Texts().ts);
    for (size_t i = 0; i < ts.size(); ++i) s += (i ? ", " : "") + tsWord + std::to_string(ts[i]);
    return s;
}

// One set of changes: a TS of 0/1 alone by its number (the change is its flip); a pair, and a
// TS whose value is neither 0 nor 1, by the values it goes to, both TS of a pair named.
std::string SetText(const std::vector<analysis::Change>& set) {
    const std::string tsWord = Utf8(interlock::Texts().ts);
    const std::string& pairAnd = tools::Texts().pairAnd;
    std::string s;
    for (const analysis::Change& c : set) {
        s += s.empty() ? "" : ", ";
        if (c.flip) {
            s += tsWord + std::to_string(c.ts);
            continue;
        }
        for (size_t i = 0; i < c.values.size(); ++i)
            s += (i ? pairAnd : std::string()) + tsWord + std::to_string(c.values[i].ts) + "=" +
                 std::to_string(c.values[i].value);
    }
    return s;
}

}  // namespace

AnalysisResult RunAnalysis(analysis::Analyser& analyser, const interlock::Workspace& ws,
                           const CheckResult& check, std::optional<int> whereTs) {
    AnalysisResult result;
    std::vector<int> numbers;
    for (const BlockReport& b : check.blocks) numbers.push_back(b.number);
    std::vector<analysis::BlockAnalysis> all = analyser.AnalyseAll(ws, numbers);
    for (size_t i = 0; i < numbers.size(); ++i) {
        for (const analysis::Problem& p : all[i].problems) {
            result.hasErrorClass = result.hasErrorClass || p.severity == Severity::Error;
        }
        result.blocks.emplace(numbers[i], std::move(all[i]));
    }
    result.whereTs = whereTs;
    if (whereTs) result.whereUsed = analyser.WhereUsed(*whereTs);
    return result;
}

void AddToJson(nlohmann::ordered_json& report, const AnalysisResult& result) {
    for (Json& block : report["blocks"]) {
        auto it = result.blocks.find(block["number"].get<int>());
        if (it != result.blocks.end()) block["analysis"] = BlockJson(it->second);
    }
    if (!result.whereTs) return;
    Json uses = Json::array();
    for (const analysis::Use& u : result.whereUsed) {
        uses.push_back({u.block, interlock::SideName(u.side), u.line, Utf8(u.operand)});
    }
    report["where_used"] = uses;
}

void WriteAnalysisText(std::ostream& out, const CheckResult& check, const AnalysisResult& result) {
    const std::string undetermined = Utf8(analysis::Texts().undetermined);
    const tools::ToolTexts& tx = tools::Texts();
    for (const BlockReport& b : check.blocks) {
        auto it = result.blocks.find(b.number);
        if (it == result.blocks.end()) continue;
        const analysis::BlockAnalysis& a = it->second;
        std::string head = std::to_string(b.number);
        head.insert(0, head.size() < 2 ? " " : "");
        head += " " + (b.name.empty() ? std::string("-") : Utf8(b.name));
        if (a.minChanges) {
            const analysis::MinChanges& m = *a.minChanges;
            std::string line = head + " " + interlock::SideName(*a.governing) + ": ";
            if (m.undetermined) {
                line += tx.minChangesUndetermined + undetermined;
            } else if (!m.exists) {
                line += tx.cannotAllow;
            } else {
                line += tools::Fill(tx.minChanges, {std::to_string(m.size)});
                for (size_t i = 0; i < m.changes.size(); ++i)
                    line += (i ? "; " : " ") + SetText(m.changes[i]);
                if (m.truncated) line += "; ...";
            }
            out << line << "\n";
        }
        if (a.decisive.undetermined) {
            out << head << ": " << tx.decisive << undetermined << "\n";
        } else if (!a.decisive.ts.empty()) {
            out << head << ": " << tx.decisive << TsList(a.decisive.ts) << "\n";
        }
        for (const analysis::Problem& p : a.problems) {
            std::string line = head;
            if (p.side) line += std::string(" ") + interlock::SideName(*p.side);
            if (p.line > 0) line += " " + tx.lineShort + " " + std::to_string(p.line);
            line += ": " + p.check + " - " + Utf8(p.message);
            out << line << "\n";
        }
    }
    if (result.whereTs) {
        out << Utf8(interlock::Texts().ts) << *result.whereTs
            << (result.whereUsed.empty() ? ": " + tx.notUsed + "\n" : ":\n");
        for (const analysis::Use& u : result.whereUsed) {
            out << "  " << tools::Fill(tx.blockCase, {std::to_string(u.block)}) << " "
                << interlock::SideName(u.side) << " " << tx.lineShort << " " << u.line << ": "
                << Utf8(u.operand) << "\n";
        }
    }
}

}  // namespace check
