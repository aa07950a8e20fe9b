#pragma once

// The analysis of a configuration over all TS states: every logic that parses without a text
// error becomes a Boolean function of the TS values (built once per change of its text or of
// the TS attributes), and the answers are read from those functions: the smallest sets of TS
// changes that allow a forbidden operation, the unreliable TS that decide a verdict, logics
// that are never or always allowed, a list of problems, and where a TS is used.
//
// Domain: TS values 0 and 1; the second TS of a two-position pair is the complement of the
// first, and a change of the pair is one change named by its first TS. The apparatus state
// is held at the value in which the logic asked about governs: the OFF logic while the
// apparatus is ON, the ON logic while it is OFF. The answers about the present state (the
// smallest change sets, the decisive unreliable TS) keep the state TS and its partner at
// their present values, whatever those are, so that they agree with the verdict on screen.
//
// Texts are Windows-1251.

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/bdd_session.h"
#include "analysis/cube.h"
#include "analysis/logic_reader.h"
#include "analysis/model.h"
#include "interlock/compiled_logic.h"
#include "interlock/workspace.h"

namespace analysis {

enum class Severity { Error, Warning, Information };

// Check identifiers, stable for scripts that read the JSON report.
namespace check {
constexpr const char* kNeverAllowed = "never_allowed";
constexpr const char* kAlwaysAllowed = "always_allowed";
constexpr const char* kConstantLine = "constant_line";
constexpr const char* kMNeverRead = "m_never_read";
constexpr const char* kPairSecondRead = "pair_second_read";
constexpr const char* kDNotPair = "d_not_pair";
constexpr const char* kSOnPair = "s_on_pair";
constexpr const char* kSharedStateSignal = "shared_state_signal";
constexpr const char* kStateNotRead = "state_not_read";
constexpr const char* kNoTs = "no_ts";
constexpr const char* kUndetermined = "undetermined";
}  // namespace check

struct Problem {
    std::string check;
    Severity severity = Severity::Warning;
    int block = 0;
    std::optional<interlock::Side> side;
    int line = 0;  // from 1 within the logic; 0: the finding has no line
    std::string message;

    bool operator==(const Problem&) const = default;
};

struct LogicVerdicts {
    bool undetermined = false;
    bool never = false;   // false in every state of its apparatus state
    bool always = false;  // true in every such state
};

// One change of a set: the TS group it changes, named by its first TS, and the value it gives
// every TS of the group, so that a pair names the state it goes to with both TS. `flip`: a TS
// alone whose 0/1 value is turned over, which its number says well enough.
struct Change {
    int ts = 0;
    std::vector<Literal> values;
    bool flip = false;

    bool operator==(const Change&) const = default;
};

struct MinChanges {
    bool undetermined = false;
    bool exists = false;  // false: no set of changes allows the operation
    int size = 0;
    std::vector<std::vector<int>> sets;  // each sorted, the list sorted, at most kMaxSets
    // For each set, its changes in TS order. A group in neither of its 0/1 states goes to a
    // state that allows the operation (the nearer one when both do).
    std::vector<std::vector<Change>> changes;
    bool truncated = false;  // there were more sets of that size

    static constexpr size_t kMaxSets = 16;
};

struct Decisive {
    bool undetermined = false;
    std::vector<int> ts;
};

struct BlockAnalysis {
    std::optional<interlock::Side> governing;  // none without a usable state signal
    std::optional<MinChanges> minChanges;      // only for a forbidden governing operation
    Decisive decisive;
    std::optional<LogicVerdicts> on, off;  // none for an empty logic or one with a text error
    std::vector<Problem> problems;
};

// One operand that reads a TS.
struct Use {
    int block = 0;
    interlock::Side side = interlock::Side::On;
    int line = 0;  // from 1
    std::string operand;

    bool operator==(const Use&) const = default;
};

class Analyser {
public:
    // Opens the process's BDD session: one analyser at a time per process.
    explicit Analyser(int maxNodes = BddSession::kDefaultMaxNodes,
                      int initialNodes = BddSession::kDefaultInitialNodes);
    // A table start fitted to the size of a configuration's logic.
    static int InitialNodesFor(const interlock::Workspace& ws);
    ~Analyser();
    Analyser(const Analyser&) = delete;
    Analyser& operator=(const Analyser&) = delete;

    // The time one Update may spend on building models, for all logics that changed together,
    // and one Analyse a quarter of it on the models of its answers: what is not built by then
    // is "не определено", so that no configuration keeps its caller waiting.
    static constexpr std::chrono::milliseconds kDefaultTimeBudget{600};
    void SetTimeBudget(std::chrono::milliseconds budget) { timeBudget_ = budget; }

    // Brings the models and the problem list up to date with the texts, state signals and TS
    // attributes of `ws`; only what changed is rebuilt. TS values are not read.
    void Update(const interlock::Workspace& ws);

    // The answers for block n under the present TS values of `ws`, whose blocks must be
    // recalculated. Calls Update first.
    BlockAnalysis Analyse(const interlock::Workspace& ws, int n);

    // The answers for every block of `blocks`, in that order, within one time budget for all
    // of them: the models first, then the answers of each block a share of what is left. A
    // model or an answer not found by then is "не определено".
    std::vector<BlockAnalysis> AnalyseAll(const interlock::Workspace& ws, const std::vector<int>& blocks);

    // Every problem of the configuration as of the last Update, in block order.
    std::vector<Problem> Problems() const;

    // Every operand of every logic that reads TS ts, in block, side (ON first) and line order.
    std::vector<Use> WhereUsed(int ts) const;

    // The model of a logic as of the last Update, or null for an empty logic or one with a
    // text error.
    const LogicModel* Model(int block, interlock::Side side) const;
    // The parser's message for a logic with a text error, on one line (empty otherwise).
    const std::string& LogicError(int block, interlock::Side side) const { return At(block, side).error; }
    BddSession& Session() { return *session_; }

private:
    struct Logic {
        bool known = false;
        // The compiled form of the text the model was built from: a text that changes gets a
        // new form, so the same form means the same text.
        std::shared_ptr<const interlock::CompiledLogic> form;
        bool accepted = false;
        std::string error;
        LogicModel model;
        int stateSignal = 0;  // the state signal the verdicts below were found with
        LogicVerdicts verdicts;
        std::vector<Problem> problems;
    };

    void Rebuild(const interlock::Workspace& ws, int n, interlock::Side side, class TextCheck& check);
    void BuildFor(const interlock::Workspace& ws, int n, interlock::Side side);
    void BuildWithinBudget(const interlock::Workspace& ws,
                           const std::vector<std::pair<int, interlock::Side>>& build);
    void Judge(const interlock::Workspace& ws, int n, interlock::Side side);
    Logic& At(int n, interlock::Side side) { return logics_[n][side == interlock::Side::On ? 0 : 1]; }
    const Logic& At(int n, interlock::Side side) const {
        return logics_[n][side == interlock::Side::On ? 0 : 1];
    }
    // The problems of block n: those of its ON logic, its OFF logic, then of the whole block.
    void AppendProblems(int n, std::vector<Problem>& out) const;
    MinChanges FindMinChanges(const interlock::Workspace& ws, int n, interlock::Side side);
    Decisive FindDecisive(const interlock::Workspace& ws, int n, interlock::Side side);

    std::unique_ptr<BddSession> session_;  // first: the diagrams below go before it does
    std::chrono::milliseconds timeBudget_ = kDefaultTimeBudget;
    // While AnalyseAll runs: when its budget ends, and when the answers of the block at hand must
    // be found.
    std::optional<BddSession::Clock::time_point> overallEnd_;
    std::optional<BddSession::Clock::time_point> answersEnd_;
    std::array<std::array<Logic, 2>, interlock::kBlockCount + 1> logics_;
    std::array<uint8_t, interlock::kTsCount + 2> twoPosition_{};
    bool attributesKnown_ = false;
    // The findings about each block as a whole; those of its logics are kept with them.
    std::array<std::vector<Problem>, interlock::kBlockCount + 1> blockProblems_;
    // What the findings about whole blocks were last drawn from, besides the models.
    std::array<int16_t, interlock::kBlockCount + 1> stateSignals_{};
    bool blockFindingsKnown_ = false;
};

// The literal that holds the apparatus of a block with state signal s in the state in which
// the logic of `side` governs; true for s = 0.
bdd GoverningState(const interlock::TsTableData& table, int stateSignal, interlock::Side side);
// The same as the first TS of the state signal's group and its value; s != 0.
Literal GoverningLiteral(const interlock::TsTableData& table, int stateSignal, interlock::Side side);

}  // namespace analysis
