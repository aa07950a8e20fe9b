#include "tools/check_sequences.h"

#include <cmath>
#include <filesystem>

#include "analysis/analysis_texts.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "sequences/describe.h"
#include "sequences/form.h"
#include "sequences/program.h"
#include "sequences/sequences_texts.h"
#include "storage/config_text.h"
#include "storage/file_io.h"
#include "topology/topology_texts.h"

namespace check {
namespace {

using interlock::Side;
using Json = nlohmann::ordered_json;
using sequences::Answer;
using sequences::State;
using sequences::StepVerdict;
using sequences::System;

std::string U(const std::string& cp) { return cp1251::ToUtf8(cp); }
const sequences::SequenceTexts& Tx() { return sequences::Texts(); }

// Reports of one system: positions and operations by apparatus label.
class Writer {
public:
    Writer(System& sys, const interlock::Workspace& ws) : sys_(sys), ws_(ws), d_(sys, ws) {}

    std::string StateText(const State& s) const { return U(d_.StateText(s)); }
    Json StateJson(const State& s) const {
        Json j = Json::array();
        for (size_t i = 0; i < s.size(); ++i)
            j.push_back(
                {{"apparatus", U(sys_.Apparatuses()[i].label)}, {"on", d_.On(static_cast<int>(i), s[i])}});
        return j;
    }
    std::string Op(const sequences::Operation& op) const { return U(d_.Op(op)); }
    Json OpJson(const sequences::Operation& op) const {
        return {{"block", op.block},
                {"operation", op.side == Side::On ? "on" : "off"},
                {"apparatus", U(sequences::ApparatusName(ws_, op.block))}};
    }
    std::string Values(const std::vector<analysis::Literal>& values) const { return U(d_.Values(values)); }
    Json ValuesJson(const std::vector<analysis::Literal>& values) const {
        Json j = Json::array();
        for (const analysis::Literal& l : values) {
            const int a = d_.ApparatusOfTs(l.ts);
            Json x = {{"ts", l.ts}, {"value", l.value}};
            if (a >= 0) x["apparatus"] = U(sys_.Apparatuses()[a].label), x["on"] = d_.On(a, l.value);
            j.push_back(x);
        }
        return j;
    }
    std::string Steps(const std::vector<sequences::Step>& steps) const {
        std::string out;
        for (size_t i = 0; i < steps.size(); ++i) {
            const sequences::Step& s = steps[i];
            out += "  " + std::to_string(i + 1) + ". " + Op(s.op) + " - " + U(interlock::Texts().allowed);
            if (!s.field.empty()) out += ", " + U(Tx().freeValues) + Values(s.field);
            out += "\n     " + U(Tx().stateAfter) + StateText(s.after) + "\n";
        }
        return out;
    }
    Json WitnessJson(const sequences::Witness& w) const {
        Json j = {{"answer", w.answer == Answer::Yes  ? "reachable"
                             : w.answer == Answer::No ? "unreachable"
                                                      : "undetermined"}};
        if (w.answer == Answer::Undetermined) j["reason"] = U(w.reason);
        if (w.answer != Answer::Yes) return j;
        j["start"] = StateJson(w.start);
        Json steps = Json::array();
        for (const sequences::Step& s : w.steps) {
            Json x = OpJson(s.op);
            x["verdict"] = "allowed";
            x["free_ts"] = ValuesJson(s.field);
            x["state_after"] = StateJson(s.after);
            steps.push_back(x);
        }
        j["steps"] = steps;
        j["end_free_ts"] = ValuesJson(w.endField);
        return j;
    }
    // "не определено: ...", "недостижимо", or "достижимо, шагов: 3" with the steps below.
    std::string WitnessText(const sequences::Witness& w) const {
        if (w.answer == Answer::Undetermined) return U(w.reason) + "\n";
        if (w.answer == Answer::No) return U(Tx().unreachable) + "\n";
        std::string out = U(Tx().reachable) + ", " + U(Tx().stepsNeeded) + std::to_string(w.steps.size());
        if (w.steps.empty()) out += " (" + U(Tx().alreadyHolds) + ")";
        if (!w.endField.empty()) out += ", " + U(Tx().endValues) + Values(w.endField);
        return out + "\n" + Steps(w.steps);
    }
    std::string Changes(const analysis::MinChanges& c, const State& s) const { return U(d_.Changes(c, s)); }
    Json ChangesJson(const analysis::MinChanges& c, const State& s) const {
        Json sets = Json::array();
        for (const std::vector<int>& set : c.sets) sets.push_back(ValuesJson(d_.ChangeValues(set, s)));
        return {{"undetermined", c.undetermined},
                {"exists", c.exists},
                {"sets", sets},
                {"truncated", c.truncated}};
    }

private:
    System& sys_;
    const interlock::Workspace& ws_;
    sequences::Describer d_;
};

const char* VerdictName(StepVerdict v) {
    switch (v) {
        case StepVerdict::Allowed:
            return "allowed";
        case StepVerdict::Forbidden:
            return "forbidden";
        case StepVerdict::Already:
            return "already";
        case StepVerdict::NotOperated:
            return "not_operated";
        case StepVerdict::Undetermined:
            break;
    }
    return "undetermined";
}

const std::string& VerdictText(StepVerdict v) { return sequences::VerdictWords(v); }

std::optional<analysis::Condition> Condition(const std::string& text, const char* option, std::ostream& err) {
    analysis::RequirementError e;
    std::optional<analysis::Condition> c = analysis::ParseConditionText(cp1251::FromUtf8(text), &e);
    if (!c) err << option << " " << text << ": " << e.position << ": " << U(e.message) << "\n";
    return c;
}

}  // namespace

bool LoadSubstation(const std::string& file, const std::string& config, const interlock::Workspace& ws,
                    std::unique_ptr<sequences::Substation>& out, std::ostream& err) {
    out.reset();
    const std::string path = file.empty() ? topology::TopologyFileFor(config) : file;
    std::error_code ec;
    if (file.empty() && !std::filesystem::exists(path, ec)) return true;
    const storage::ReadResult read = storage::ReadWholeFile(path);
    if (!read) {
        err << U(read.error) << "\n";
        return false;
    }
    out = sequences::ReadSubstation(storage::SplitLines(read.bytes), ws);
    if (out->Usable()) return true;
    for (const topology::Message& m : out->layout.messages) {
        if (m.severity != topology::Severity::Error) continue;
        err << path << ":" << m.line << ":" << m.position << ": " << U(m.text) << "\n";
    }
    out.reset();
    return false;
}

int RunSequences(const SequenceRequest& request, analysis::Analyser& analyser, const interlock::Workspace& ws,
                 const std::string& config, const storage::ConfigLocations& where, bool json,
                 std::ostream& out, std::ostream& err, FileFindings* findings) {
    std::optional<analysis::Condition> reach, plan, from;
    if (!request.reach.empty() && !(reach = Condition(request.reach, "--reach", err))) return 2;
    if (!request.plan.empty() && !(plan = Condition(request.plan, "--plan", err))) return 2;
    if (!request.from.empty() && !(from = Condition(request.from, "--from", err))) return 2;
    std::optional<storage::ReadResult> programFile;
    if (!request.program.empty()) {
        programFile = storage::ReadWholeFile(request.program);
        if (!*programFile) {
            err << U(programFile->error) << "\n";
            return 2;
        }
    }

    std::unique_ptr<sequences::Substation> substation;
    if (!request.noTopology && !LoadSubstation(request.topology, config, ws, substation, err)) return 2;
    System sys(analyser, ws, request.field, substation ? substation->inputs : sequences::TopologyInputs{});
    Writer w(sys, ws);
    const bool free = request.field.mode == sequences::FieldMode::Free;
    int status = 0;
    Json j = {{"file", config}, {"mode", free ? "free" : "held"}};
    Json held = Json::object();
    for (auto [ts, v] : request.field.held) held[std::to_string(ts)] = v;
    j["held"] = held;
    Json apparatus = Json::array();
    for (const sequences::Apparatus& a : sys.Apparatuses())
        apparatus.push_back({{"ts", a.ts}, {"label", U(a.label)}, {"blocks", a.blocks}});
    j["apparatus"] = apparatus;
    j["start"] = w.StateJson(sys.Present());
    std::string text = U(free ? Tx().modeFree : Tx().modeHeld) + "\n" + U(Tx().apparatusCount) +
                       std::to_string(sys.Apparatuses().size()) + "\n" + U(Tx().startState) +
                       w.StateText(sys.Present()) + "\n";
    const std::string topologyPath = !substation                ? std::string()
                                     : request.topology.empty() ? topology::TopologyFileFor(config)
                                                                : request.topology;
    if (substation) text += U(Tx().topologyFile) + topologyPath + "\n";
    j["topology"] = substation ? Json(topologyPath) : Json(nullptr);

    if (reach) {
        const sequences::ReachInfo info = sys.Reach(from ? &*from : nullptr);
        const sequences::Witness wit = sys.Find(*reach, from ? &*from : nullptr);
        Json r = {{"condition", request.reach}};
        if (info.answer == Answer::Undetermined) {
            r["states"] = nullptr;
            r["reason"] = U(info.reason);
            text += U(Tx().reachableStates) + U(info.reason) + "\n";
        } else {
            r["states"] = std::llround(info.states);
            text += U(Tx().reachableStates) + std::to_string(std::llround(info.states)) + "\n";
        }
        r["witness"] = w.WitnessJson(wit);
        j["reach"] = r;
        text += U(Tx().condition) + " " + request.reach + ": " + w.WitnessText(wit);
        if (wit.answer != Answer::Yes) status = 1;
        if (findings) {
            findings->tests.push_back({"reach", request.reach, wit.answer != Answer::Yes, false,
                                       wit.answer == Answer::Yes
                                           ? ""
                                           : U(wit.answer == Answer::No ? Tx().unreachable : wit.reason)});
        }
    }

    if (plan) {
        const sequences::Plan p = sys.MakePlan(*plan);
        Json r = {{"target", request.plan}, {"witness", w.WitnessJson(p.witness)}};
        text += U(Tx().plan) + " " + request.plan + ": ";
        if (p.witness.answer == Answer::No) {
            text += U(Tx().noProgram) + "\n" + U(Tx().neverAllowed) + "\n";
            Json never = Json::array();
            for (const sequences::NeverAllowed& n : p.neverAllowed) {
                Json x = w.OpJson(n.op);
                x["possible"] = n.possible;
                text += "  " + w.Op(n.op) + ": ";
                if (!n.possible) {
                    const interlock::Block& b = ws.Blocks[n.op.block];
                    const std::string why =
                        b.Of(n.op.side).Logic.empty() ? analysis::Texts().reqEmptyLogic
                        : !analyser.Model(n.op.block, n.op.side)
                            ? analysis::Texts().reqLogicError + analyser.LogicError(n.op.block, n.op.side)
                            : Tx().noChange;
                    x["reason"] = U(why);
                    text += U(why) + "\n";
                } else {
                    x["at"] = w.StateJson(n.at);
                    x["changes"] = w.ValuesJson(n.changes);
                    text += U(Tx().nearestState) + " (" + w.StateText(n.at) + ") " + U(Tx().changes) +
                            w.Values(n.changes) + "\n";
                }
                never.push_back(x);
            }
            r["never_allowed"] = never;
        } else {
            text += w.WitnessText(p.witness);
        }
        j["plan"] = r;
        if (p.witness.answer != Answer::Yes) status = 1;
        if (findings) {
            findings->tests.push_back(
                {"plan", request.plan, p.witness.answer != Answer::Yes, false,
                 p.witness.answer == Answer::Yes
                     ? ""
                     : U(p.witness.answer == Answer::No ? Tx().noProgram : p.witness.reason)});
        }
    }

    if (programFile) {
        const sequences::Program program =
            sequences::ParseProgram(storage::SplitLines(programFile->bytes), ws);
        const sequences::ProgramCheck check = sequences::CheckProgram(sys, program);
        text += U(Tx().program) + " " + request.program + "\n";
        Json steps = Json::array();
        // Steps and malformed lines in line order.
        size_t e = 0;
        auto errorsBefore = [&](int line) {
            for (; e < program.errors.size() && program.errors[e].line < line; ++e) {
                const sequences::ProgramError& x = program.errors[e];
                text += "  " + U(topology::Texts().lineWord) + " " + std::to_string(x.line) + ", " +
                        U(topology::Texts().positionWord) + " " + std::to_string(x.position) + ": " +
                        U(x.message) + "\n";
                if (findings) {
                    findings->tests.push_back({"program", request.program + ":" + std::to_string(x.line),
                                               true, false, U(x.message)});
                }
            }
        };
        State before = check.start;
        for (size_t i = 0; i < check.steps.size(); ++i) {
            const sequences::CheckedStep& s = check.steps[i];
            errorsBefore(s.step.line);
            const std::string name = std::to_string(i + 1) + ". " + w.Op(s.step.op);
            std::string line = "  " + U(topology::Texts().lineWord) + " " + std::to_string(s.step.line) +
                               ": " + name + " - " + U(VerdictText(s.check.verdict));
            Json x = {{"line", s.step.line}, {"text", U(s.step.text)}};
            x.update(w.OpJson(s.step.op));
            x["verdict"] = VerdictName(s.check.verdict);
            std::string message;
            if (s.check.verdict == StepVerdict::Forbidden) {
                message = U(Tx().changes) + w.Changes(s.check.changes, before);
                line += "; " + message;
                x["changes"] = w.ChangesJson(s.check.changes, before);
            }
            if (!s.check.field.empty()) {
                line += ", " + U(Tx().freeValues) + w.Values(s.check.field);
                x["free_ts"] = w.ValuesJson(s.check.field);
            }
            x["state_after"] = w.StateJson(s.check.after);
            text += line + "\n     " + U(Tx().stateAfter) + w.StateText(s.check.after) + "\n";
            steps.push_back(x);
            const bool failed =
                s.check.verdict == StepVerdict::Forbidden || s.check.verdict == StepVerdict::Undetermined;
            if (findings) {
                findings->tests.push_back(
                    {"program", name, failed, s.check.verdict == StepVerdict::NotOperated,
                     failed || s.check.verdict != StepVerdict::Allowed
                         ? U(VerdictText(s.check.verdict)) + (message.empty() ? "" : "; " + message)
                         : ""});
                if (failed) {
                    findings->results.push_back({"program_step_forbidden", "error",
                                                 request.program + ":" + std::to_string(s.step.line) + ": " +
                                                     name + " - " + U(VerdictText(s.check.verdict)) +
                                                     (message.empty() ? "" : "; " + message),
                                                 where.Logic(s.step.op.block, s.step.op.side, 1)});
                }
            }
            before = s.check.after;
        }
        errorsBefore(INT32_MAX);
        Json errors = Json::array();
        for (const sequences::ProgramError& x : program.errors)
            errors.push_back({{"line", x.line}, {"position", x.position}, {"message", U(x.message)}});
        const int other = static_cast<int>(check.steps.size()) - check.Count(StepVerdict::Allowed) -
                          check.Count(StepVerdict::Forbidden);
        text += U(Tx().summary) + std::to_string(check.steps.size()) + "; " + U(Tx().summaryAllowed) +
                std::to_string(check.Count(StepVerdict::Allowed)) + ", " + U(Tx().summaryForbidden) +
                std::to_string(check.Count(StepVerdict::Forbidden)) + ", " + U(Tx().summaryOther) +
                std::to_string(other) + "; " + U(Tx().summaryErrors) + std::to_string(program.errors.size()) +
                "\n";
        j["program"] = {
            {"file", request.program}, {"steps", steps}, {"errors", errors}, {"clean", check.Clean(program)}};
        if (!check.Clean(program)) status = 1;
    }

    if (substation) {
        // The hazards of the topology, written nowhere, each with a shortest way to it.
        text += U(Tx().hazards) + "\n";
        Json hazards = Json::array();
        const std::vector<sequences::Hazard>& list = sys.HazardList();
        const auto found = sys.Hazards();
        for (size_t i = 0; i < found.size(); ++i) {
            const sequences::Hazard& h = list[i];
            const sequences::Witness& wit = found[i].second;
            Json x = {{"kind", h.kind}, {"name", U(h.name)}};
            if (h.block) x.update(w.OpJson({h.block, h.side}));
            x["witness"] = w.WitnessJson(wit);
            hazards.push_back(x);
            text += "  " + U(h.name) + " - " + w.WitnessText(wit);
            if (wit.answer != Answer::No) status = 1;
            if (!findings) continue;
            const std::string why =
                wit.answer == Answer::No ? ""
                : wit.answer == Answer::Yes
                    ? U(Tx().hazardReached) + ", " + U(Tx().stepsNeeded) + std::to_string(wit.steps.size())
                    : U(wit.reason);
            findings->tests.push_back({"hazards", U(h.name), wit.answer != Answer::No, false, why});
            if (wit.answer == Answer::Yes) {
                std::string steps;
                for (const sequences::Step& s : wit.steps) steps += (steps.empty() ? "" : ", ") + w.Op(s.op);
                findings->results.push_back({"hazard_reachable", "error",
                                             U(h.name) + ": " + why + (steps.empty() ? "" : ": " + steps),
                                             h.block ? where.Logic(h.block, h.side, 1) : 0});
            }
        }
        j["hazards"] = hazards;
    }

    if (json) {
        out << j.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    } else {
        out << text;
    }
    return status;
}

void ProveInvariants(analysis::Analyser& analyser, const interlock::Workspace& ws,
                     const sequences::FieldSpec& field, RequirementsReport& report,
                     const sequences::TopologyInputs& topology) {
    std::optional<System> sys;
    for (analysis::RequirementResult& r : report.results) {
        if (!r.requirement.IsInvariant()) continue;
        if (!sys) sys.emplace(analyser, ws, field, topology);
        const sequences::Witness v = sys->Violation(r.requirement);
        r.reason.clear();
        if (v.answer == Answer::No) {
            r.verdict = analysis::Verdict::Proven;
        } else if (v.answer == Answer::Undetermined) {
            r.verdict = analysis::Verdict::Undetermined;
            r.reason = v.reason;
        } else {
            r.verdict = analysis::Verdict::Refuted;
            Writer w(*sys, ws);
            std::string steps;
            for (const sequences::Step& s : v.steps) {
                steps += (steps.empty() ? "" : ", ") + w.Op(s.op);
                if (!s.field.empty()) steps += " (" + w.Values(s.field) + ")";
            }
            std::string text = U(Tx().violation) + std::to_string(v.steps.size());
            if (!steps.empty()) text += ": " + steps;
            if (!v.endField.empty()) text += "; " + U(Tx().endValues) + w.Values(v.endField);
            r.reason = cp1251::FromUtf8(text);
        }
    }
}

}  // namespace check
