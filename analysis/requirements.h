#pragma once

// Safety requirements over all TS states, written in the logic language, and their proofs.
//
// A requirements file is Windows-1251 text; "#" starts a comment, one requirement per line:
//
//     [label:] ON|OFF block REQUIRES condition        whenever the operation is allowed, the condition holds
//     [label:] ON|OFF block FORBIDDEN WHEN condition  the operation is never allowed while the condition
//     holds [label:] ON|OFF block POSSIBLE                  the operation is allowed in at least one state
//
// A condition is an operand (S5, ~D7) or AND(...) / OR(...) / ~AND(...) / ~OR(...) of
// conditions, as in a logic line. Blanks may stand between the parts; keywords and letters may
// be written in either case. The label is everything before the last ":".
//
//     Заземлители отключены: ON 2 REQUIRES AND(~D4,~D9)

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analyser.h"
#include "analysis/cube.h"
#include "interlock/workspace.h"

namespace analysis {

struct Condition {
    enum class Kind { Ts, And, Or } kind = Kind::Ts;
    bool negated = false;
    int ts = 0;  // for Kind::Ts
    std::vector<Condition> operands;
};

struct Requirement {
    int line = 0;  // from 1 in the file
    std::string label;
    std::string text;  // the requirement as written, without label and comment
    interlock::Side side = interlock::Side::On;
    int block = 0;
    enum class Kind { Requires, ForbiddenWhen, Possible, NeverReachable, Always } kind = Kind::Requires;
    Condition condition;  // not for Possible

    // An invariant over the reachable states (block 0): proven by the sequences module.
    bool IsInvariant() const { return kind == Kind::NeverReachable || kind == Kind::Always; }
};

struct RequirementError {
    int line = 0;
    int position = 0;  // from 1 in the line
    std::string message;
};

struct RequirementsFile {
    std::vector<Requirement> requirements;
    std::vector<RequirementError> errors;
};

// Reads the file's lines; a malformed line gives an error and the others are still read. A
// condition may be nested at most kMaxConditionDepth levels deep; a deeper one is an error of
// its line, so no reading or proof of a condition recurses without bound.
constexpr int kMaxConditionDepth = 100;
RequirementsFile ParseRequirements(const std::vector<std::string>& lines);

// A whole requirements file's bytes: Windows-1251, or UTF-8 when the bytes are valid UTF-8 and
// hold a character beyond ASCII (converted to Windows-1251; what the code page lacks becomes
// "?"). CR LF, CR and LF each end a line.
RequirementsFile ParseRequirementsFile(std::string_view bytes);
// Reads a condition alone (as given on a command line); nothing, with `error` set, when malformed.
std::optional<Condition> ParseConditionText(std::string_view text, RequirementError* error = nullptr);

// The value of a condition under the present TS values, by the fold rules of the evaluator.
bool EvaluateCondition(const Condition& c, const interlock::TsTableData& table);

enum class Verdict { Proven, Refuted, NotChecked, Undetermined };

// "доказано", "опровергнуто", "не проверено", "не определено" (Windows-1251).
const std::string& VerdictText(Verdict v);

struct RequirementResult {
    Requirement requirement;
    Verdict verdict = Verdict::NotChecked;
    std::string reason;                        // why not checked, or what a refuted POSSIBLE means
    std::optional<CubeResult> counterexample;  // for a refuted REQUIRES / FORBIDDEN WHEN
    std::optional<Literal> state;              // the apparatus state the proof holds the state TS in
};

// Proves or refutes each requirement on the models of `analyser` (brought up to date with `ws`).
std::vector<RequirementResult> Prove(Analyser& analyser, const interlock::Workspace& ws,
                                     const std::vector<Requirement>& requirements);

// The requirements file kept beside a configuration: its name with the extension ".req".
std::string RequirementsFileFor(const std::string& configPath);

}  // namespace analysis
