#include "sequences/form.h"

#include "analysis/analysis_texts.h"
#include "interlock/engine_texts.h"
#include "sequences/describe.h"
#include "sequences/sequences_texts.h"
#include "topology/topology_texts.h"

namespace sequences {

const std::string& VerdictWords(StepVerdict v) {
    switch (v) {
        case StepVerdict::Allowed:
            return interlock::Texts().allowed;
        case StepVerdict::Forbidden:
            return interlock::Texts().forbidden;
        case StepVerdict::Already:
            return Texts().already;
        case StepVerdict::NotOperated:
            return Texts().notOperated;
        case StepVerdict::Undetermined:
            break;
    }
    return analysis::Texts().undetermined;
}

SwitchingForm MakeForm(const System& system, const interlock::Workspace& ws, const Program& program,
                       const ProgramCheck& check, const std::string& name) {
    const SequenceTexts& tx = Texts();
    const Describer d(system, ws);
    SwitchingForm f;
    f.program = name;
    f.mode = system.Mode() == FieldMode::Free ? tx.modeFree : tx.modeHeld;
    f.start = d.StateText(check.start);
    State before = check.start;
    for (size_t i = 0; i < check.steps.size(); ++i) {
        const CheckedStep& s = check.steps[i];
        FormRow row;
        row.number = static_cast<int>(i) + 1;
        row.line = s.step.line;
        row.operation = d.Op(s.step.op);
        row.verdict = VerdictWords(s.check.verdict);
        if (s.check.verdict == StepVerdict::Forbidden)
            row.verdict += "; " + tx.changes + d.Changes(s.check.changes, before);
        if (!s.check.field.empty()) row.verdict += ", " + tx.freeValues + d.Values(s.check.field);
        row.state = d.StateText(s.check.after);
        row.bad = s.check.verdict == StepVerdict::Forbidden || s.check.verdict == StepVerdict::Undetermined;
        f.rows.push_back(std::move(row));
        before = s.check.after;
    }
    for (const ProgramError& e : program.errors)
        f.errors.push_back(topology::Texts().lineWord + " " + std::to_string(e.line) + ", " +
                           topology::Texts().positionWord + " " + std::to_string(e.position) + ": " +
                           e.message);
    const int other = static_cast<int>(check.steps.size()) - check.Count(StepVerdict::Allowed) -
                      check.Count(StepVerdict::Forbidden);
    f.summary = tx.summary + std::to_string(check.steps.size()) + "; " + tx.summaryAllowed +
                std::to_string(check.Count(StepVerdict::Allowed)) + ", " + tx.summaryForbidden +
                std::to_string(check.Count(StepVerdict::Forbidden)) + ", " + tx.summaryOther +
                std::to_string(other) + "; " + tx.summaryErrors + std::to_string(program.errors.size());
    f.clean = check.Clean(program);
    return f;
}

}  // namespace sequences
