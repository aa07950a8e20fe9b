#include "tools/check_topology.h"

#include <sstream>

#include "analysis/analysis_texts.h"
#include "interlock/cp1251.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "topology/topology_texts.h"

namespace check {
namespace {

using topology::Texts;
using topology::Verdict;

std::string U(const std::string& cp1251) { return cp1251::ToUtf8(cp1251); }

std::string OperationName(const TopologyReport& r, const topology::OperationResult& o) {
    return U(topology::OperationName(r.topology, o));
}

std::string ExampleText(const TopologyReport& r, const interlock::Workspace& ws, const analysis::Cube& cube,
                        const analysis::Literal& held) {
    return U(topology::ExampleText(r.topology, ws, cube, held));
}

std::string VerdictWords(const topology::OperationResult& o) { return U(topology::VerdictText(o)); }

const char* VerdictId(Verdict v) {
    switch (v) {
        case Verdict::Complies:
            return "complies";
        case Verdict::Violates:
            return "violates";
        case Verdict::NotChecked:
            return "not_checked";
        case Verdict::Undetermined:
            return "undetermined";
    }
    return "";
}

const char* SeverityId(topology::Severity s) {
    return s == topology::Severity::Error     ? "error"
           : s == topology::Severity::Warning ? "warning"
                                              : "information";
}

std::string ViolationText(const TopologyReport& r, const interlock::Workspace& ws,
                          const topology::OperationResult& o, const topology::Violation& v) {
    return U(topology::ViolationText(r.topology, ws, o, v));
}

nlohmann::ordered_json CubeJson(const TopologyReport& r, const interlock::Workspace& ws,
                                const analysis::Cube& cube) {
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (const analysis::Literal& l : cube)
        a.push_back(
            {{"ts", l.ts}, {"value", l.value}, {"text", U(topology::LiteralText(r.topology, ws, l))}});
    return a;
}

}  // namespace

bool TopologyReport::AllComply() const {
    if (topology.HasErrors()) return false;
    for (const topology::OperationResult& o : results)
        if (o.verdict != Verdict::Complies) return false;
    return true;
}

bool RunTopology(analysis::Analyser& analyser, const interlock::Workspace& ws, const std::string& file,
                 TopologyReport& report, std::string& error) {
    storage::ReadResult read = storage::ReadWholeFile(file);
    if (!read) {
        error = read.error;
        return false;
    }
    report.file = file;
    report.topology = topology::ReadTopology(storage::SplitLines(read.bytes), ws);
    analyser.Update(ws);
    report.results = topology::Prove(analyser, ws, report.topology);
    return true;
}

nlohmann::ordered_json TopologyJson(const TopologyReport& r, const interlock::Workspace& ws) {
    nlohmann::ordered_json j = {{"file", r.file}};
    nlohmann::ordered_json messages = nlohmann::ordered_json::array();
    for (const topology::Message& m : r.topology.messages)
        messages.push_back({{"line", m.line},
                            {"position", m.position},
                            {"severity", SeverityId(m.severity)},
                            {"message", U(m.text)}});
    j["messages"] = messages;
    nlohmann::ordered_json ops = nlohmann::ordered_json::array();
    int counts[4] = {};
    for (const topology::OperationResult& o : r.results) {
        ++counts[static_cast<int>(o.verdict)];
        nlohmann::ordered_json x = {
            {"apparatus", U(r.topology.elements[static_cast<size_t>(o.element)].label)},
            {"block", o.block},
            {"operation", interlock::SideName(o.side)},
            {"rules", o.rules},
            {"verdict", VerdictId(o.verdict)}};
        if (!o.reason.empty()) x["reason"] = U(topology::OneLine(o.reason));
        if (o.verdict == Verdict::Complies || o.verdict == Verdict::Violates) {
            x["held"] = {{"ts", o.held.ts},
                         {"value", o.held.value},
                         {"text", U(topology::LiteralText(r.topology, ws, o.held))}};
        }
        nlohmann::ordered_json vs = nlohmann::ordered_json::array();
        for (const topology::Violation& v : o.violations) {
            nlohmann::ordered_json path = nlohmann::ordered_json::array();
            for (const topology::Step& s : v.path) {
                if (s.isNode)
                    path.push_back({{"node", U(r.topology.nodes[static_cast<size_t>(s.index)].name)}});
                else
                    path.push_back(
                        {{"apparatus", U(r.topology.elements[static_cast<size_t>(s.index)].label)}});
            }
            vs.push_back({{"rule", v.rule},
                          {"every_state", v.everyState},
                          {"example", CubeJson(r, ws, v.example.cube)},
                          {"minimum", v.example.minimum},
                          {"path", path},
                          {"path_text", U(topology::PathText(r.topology, v.path))}});
        }
        x["violations"] = vs;
        if (o.stricter) x["stricter"] = {{"example", CubeJson(r, ws, o.stricter->cube)}};
        ops.push_back(x);
    }
    j["operations"] = ops;
    j["summary"] = {{"complies", counts[0]},
                    {"violates", counts[1]},
                    {"not_checked", counts[2]},
                    {"undetermined", counts[3]}};
    return j;
}

std::string TopologyText(const TopologyReport& r, const interlock::Workspace& ws) {
    const topology::TopologyTexts& tx = Texts();
    std::ostringstream s;
    s << U(tx.heading) << ": " << r.file << "\n";
    for (const topology::Message& m : r.topology.messages) {
        s << "  " << U(topology::SeverityText(m.severity));
        if (m.line > 0) s << ", " << U(tx.lineWord) << " " << m.line;
        if (m.position > 0) s << ", " << U(tx.positionWord) << " " << m.position;
        s << ": " << U(m.text) << "\n";
    }
    int counts[4] = {};
    for (const topology::OperationResult& o : r.results) {
        ++counts[static_cast<int>(o.verdict)];
        s << OperationName(r, o) << ": " << VerdictWords(o);
        if (o.rules.empty()) s << " (" << U(tx.noRules) << ")";
        s << "\n";
        for (const topology::Violation& v : o.violations) {
            const std::string& words = topology::Rules()[static_cast<size_t>(v.rule - 1)].words();
            s << "  " << v.rule << ". " << U(words) << "\n";
            if (v.everyState) s << "     " << U(tx.everyState) << "\n";
            s << "     " << U(tx.example) << ": " << ExampleText(r, ws, v.example.cube, o.held) << "\n";
            if (!v.path.empty())
                s << "     " << U(tx.pathWord) << ": " << U(topology::PathText(r.topology, v.path)) << "\n";
        }
        if (o.stricter)
            s << "  " << U(tx.stricter) << ", " << U(tx.witness) << ": "
              << ExampleText(r, ws, o.stricter->cube, o.held) << "\n";
    }
    s << U(tx.summary) << ": " << U(tx.complies) << " " << counts[0] << ", " << U(tx.violating) << " "
      << counts[1] << ", " << U(analysis::Texts().notChecked) << " " << counts[2];
    if (counts[3]) s << ", " << U(analysis::Texts().undetermined) << " " << counts[3];
    s << "\n";
    return s.str();
}

void AddTopologyFindings(const TopologyReport& r, const interlock::Workspace& ws,
                         const storage::ConfigLocations& where, FileFindings& f) {
    for (const topology::OperationResult& o : r.results) {
        const std::string name = OperationName(r, o);
        TestCase test{"topology",
                      name,
                      o.verdict == Verdict::Violates,
                      o.verdict == Verdict::NotChecked || o.verdict == Verdict::Undetermined,
                      {}};
        if (test.skipped) test.message = VerdictWords(o);
        for (const topology::Violation& v : o.violations) {
            const std::string message = ViolationText(r, ws, o, v);
            test.message += (test.message.empty() ? "" : "; ") + message;
            f.results.push_back({"topology_rule_" + std::to_string(v.rule), "error", name + ": " + message,
                                 where.Logic(o.block, o.side, o.outputLine > 0 ? o.outputLine : 1)});
        }
        f.tests.push_back(test);
    }
    for (const topology::Message& m : r.topology.messages) {
        if (m.severity != topology::Severity::Error) continue;
        f.tests.push_back({"topology", r.file + ":" + std::to_string(m.line), true, false, U(m.text)});
    }
}

}  // namespace check
