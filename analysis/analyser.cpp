#include "analysis/analyser.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>

#include "analysis/analysis_texts.h"
#include "interlock/one_line.h"

namespace analysis {
namespace {

using interlock::CompiledLogic;
using interlock::FlipOperand;
using interlock::Side;
using interlock::TsTableData;
using interlock::Workspace;

constexpr Side kSides[] = {Side::On, Side::Off};

// The bit of each TS group (a TS alone or a pair) that the logic reads, under the present
// values: 0 or 1, or -1 when the present values are not a 0/1 state of the group (a value
// other than 0 and 1, or a pair read through both TS that does not agree with itself).
std::map<int, int> PresentBits(const CompiledLogic& form, const Workspace& ws) {
    std::map<int, int> bits;
    for (const CompiledLogic::FirstRead& r : form.firstReads) {
        const PairBit b = BitOf(ws.TsTable, r.n);
        const int c = ValueClass(ws.TsTable.Value[r.n]);
        const int v = c < 0 ? -1 : (c ^ (b.flipped ? 1 : 0));
        auto [it, fresh] = bits.emplace(b.ts, v);
        if (!fresh && it->second != v) it->second = -1;
    }
    return bits;
}

// The end of the operands of the form's lines (those of a line that failed come after it).
uint32_t LinesEnd(const CompiledLogic& form) { return form.lines.empty() ? 0 : form.lines.back().last; }

// The TS whose variables f depends on. (Walked here: the library's own support operation
// keeps a buffer that does not survive the end of a session.)
std::set<int> SupportTs(const bdd& f) {
    std::set<int> ts;
    std::set<int> seen;
    std::vector<bdd> stack{f};
    while (!stack.empty()) {
        bdd node = stack.back();
        stack.pop_back();
        if (node == bddtrue || node == bddfalse || !seen.insert(node.id()).second) continue;
        ts.insert(BddSession::TsOfVar(bdd_var(node)));
        stack.push_back(bdd_low(node));
        stack.push_back(bdd_high(node));
    }
    return ts;
}

bdd ConstantOf(bool value) { return value ? bddtrue : bddfalse; }

// A reading in which the TS of the groups in `keep` follow the 0/1 domain and every other TS
// reads its present value as a constant.
TsReading PresentReading(const Workspace& ws, const std::set<int>& keep) {
    return [&ws, keep](int ts) {
        const PairBit b = BitOf(ws.TsTable, ts);
        if (keep.count(b.ts)) {
            bdd bit = BddSession::Value(b.ts);
            if (b.flipped) bit = !bit;
            return TsConditions{!bit, bit};
        }
        const int c = ValueClass(ws.TsTable.Value[ts]);
        return TsConditions{ConstantOf(c == 0), ConstantOf(c == 1)};
    };
}

// The compiled form of a logic text, compiled now when it has none.
std::shared_ptr<const interlock::CompiledLogic> FormOf(const interlock::LogicText& text, int n) {
    interlock::CompiledFormOf(text, n);
    return text.compiled();
}

Problem MakeProblem(const char* id, Severity severity, int block, std::optional<Side> side, int line,
                    std::string message) {
    return Problem{id, severity, block, side, line, std::move(message)};
}

// The TS of the group whose bit is TS `group`'s, each with whether it reads the complement.
std::vector<std::pair<int, bool>> Members(const TsTableData& table, int group) {
    std::vector<std::pair<int, bool>> members{{group, false}};
    for (int t = group + 1; t <= interlock::kTsCount + 1 && table.TwoPosition[t - 1]; ++t)
        members.push_back({t, !members.back().second});
    return members;
}

// True when every TS of the state group that the logic reads reads the value the governing
// state gives it: the present values and the governing state are then one and the same.
bool StateReadsGoverning(const CompiledLogic& form, const Workspace& ws, int stateSignal, Side side) {
    if (stateSignal == 0) return true;
    const Literal governing = GoverningLiteral(ws.TsTable, stateSignal, side);
    for (const CompiledLogic::FirstRead& r : form.firstReads) {
        const PairBit b = BitOf(ws.TsTable, r.n);
        if (b.ts != governing.ts) continue;
        if (ValueClass(ws.TsTable.Value[r.n]) != (governing.value ^ (b.flipped ? 1 : 0))) return false;
    }
    return true;
}

// The reading of the TS of the state group: their present values, as constants.
TsConditions PresentConstant(const TsTableData& table, int ts) {
    const int c = ValueClass(table.Value[ts]);
    return TsConditions{ConstantOf(c == 0), ConstantOf(c == 1)};
}

// The smallest sets of changes that lead from the present state to true. Each variable has a
// cost on either branch; variables a path skips keep their present values. A group in neither
// of its 0/1 states is changed on the low branch of its Other flag and then goes to the state
// its value bit takes on the path.
class ChangeSearch {
public:
    // costLow/costHigh: the cost of taking that branch at a variable.
    explicit ChangeSearch(std::map<int, std::pair<int, int>> costs) : costs_(std::move(costs)) {}

    int MinCost(const bdd& f) {
        if (f == bddtrue) return 0;
        if (f == bddfalse) return kInfinite;
        auto it = memo_.find(f.id());
        if (it != memo_.end()) return it->second;
        const auto [low, high] = Cost(bdd_var(f));
        const int a = Add(low, MinCost(bdd_low(f)));
        const int b = Add(high, MinCost(bdd_high(f)));
        const int best = std::min(a, b);
        memo_.emplace(f.id(), best);
        return best;
    }

    // One path: the groups it changes, ascending, and the value bits it fixes on the way.
    struct Path {
        std::vector<int> changed;
        std::map<int, int> bits;  // group -> bit
    };

    // Every path of cost k to true, changes first so that the sets come in ascending order;
    // stops after `limit` different sets. `prefer(group)` is the bit tried first where a bit
    // costs nothing either way.
    void Enumerate(const bdd& f, int budget, size_t limit, const std::function<int(int)>& prefer,
                   std::vector<Path>& out) {
        if (out.size() >= limit || f == bddfalse) return;
        if (f == bddtrue) {
            if (budget == 0 && seen_.insert(current_.changed).second) out.push_back(current_);
            return;
        }
        const int var = bdd_var(f);
        const int group = BddSession::TsOfVar(var);
        const auto [lowCost, highCost] = Cost(var);
        const bdd low = bdd_low(f);
        const bdd high = bdd_high(f);
        struct Branch {
            const bdd* node;
            int cost;
            int bit;
        };
        Branch first{&low, lowCost, 0};
        Branch second{&high, highCost, 1};
        // The branch that costs a change first; between free branches of a value bit, the
        // preferred bit.
        if (highCost > lowCost || (highCost == lowCost && BddSession::IsValueVar(var) && prefer(group) == 1))
            std::swap(first, second);
        for (const Branch& br : {first, second}) {
            if (Add(br.cost, MinCost(*br.node)) > budget) continue;
            const bool value = BddSession::IsValueVar(var);
            if (br.cost > 0) current_.changed.push_back(group);
            if (value) current_.bits[group] = br.bit;
            Enumerate(*br.node, budget - br.cost, limit, prefer, out);
            if (value) current_.bits.erase(group);
            if (br.cost > 0) current_.changed.pop_back();
        }
    }

    static constexpr int kInfinite = INT_MAX / 4;

private:
    std::pair<int, int> Cost(int var) const {
        auto it = costs_.find(var);
        return it == costs_.end() ? std::pair<int, int>{0, 0} : it->second;
    }
    static int Add(int a, int b) { return std::min(a + b, kInfinite); }

    std::map<int, std::pair<int, int>> costs_;
    std::unordered_map<int, int> memo_;
    Path current_;
    std::set<std::vector<int>> seen_;
};

}  // namespace

bdd GoverningState(const TsTableData& table, int stateSignal, Side side) {
    if (stateSignal == 0) return bddtrue;
    const int n = stateSignal > 0 ? stateSignal : -stateSignal;
    // ON while the state TS reads 1 (0 for an inverted state signal); the ON logic governs
    // while the apparatus is OFF.
    const bool on = side == Side::Off;
    const bool value = stateSignal > 0 ? on : !on;
    const PairBit b = BitOf(table, n);
    const bdd bit = BddSession::Value(b.ts);
    return (value != b.flipped) ? bit : !bit;
}

Literal GoverningLiteral(const TsTableData& table, int stateSignal, Side side) {
    const int n = stateSignal > 0 ? stateSignal : -stateSignal;
    const bool on = side == Side::Off;
    const bool value = stateSignal > 0 ? on : !on;
    const PairBit b = BitOf(table, n);
    return Literal{b.ts, value != b.flipped ? 1 : 0};
}

Analyser::Analyser(int maxNodes, int initialNodes)
    : session_(std::make_unique<BddSession>(maxNodes, initialNodes)) {}

int Analyser::InitialNodesFor(const Workspace& ws) {
    size_t bytes = 0;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        for (Side side : kSides)
            for (const std::string& line : ws.Blocks[n].Of(side).Logic) bytes += line.size();
    }
    // About ten nodes per character of logic: 100,000 for the heaviest configuration.
    return static_cast<int>(std::clamp<size_t>(bytes * 10, 10'000, BddSession::kDefaultInitialNodes));
}

Analyser::~Analyser() {
    // The diagrams must be released while the session is still open.
    for (auto& pair : logics_) {
        for (Logic& l : pair) l = Logic{};
    }
}

const LogicModel* Analyser::Model(int block, Side side) const {
    const Logic& l = At(block, side);
    return l.accepted ? &l.model : nullptr;
}

void Analyser::Rebuild(const Workspace& ws, int n, Side side, TextCheck& check) {
    Logic& l = At(n, side);
    l = Logic{};
    l.known = true;
    const interlock::LogicText& text = ws.Blocks[n].Of(side).Logic;
    l.form = FormOf(text, n);
    l.accepted = !text.empty() && check.Accepted(ws, n, side, &l.error);
    l.error = interlock::OneLine(l.error);
}

void Analyser::BuildFor(const Workspace& ws, int n, Side side) {
    Logic& l = At(n, side);
    l.stateSignal = ws.Blocks[n].StateSignal;
    l.model = LogicModel{};
    if (!l.accepted) return;
    const bdd state = GoverningState(ws.TsTable, l.stateSignal, side);
    l.model = BuildModel(*session_, *l.form, DomainReading(ws.TsTable), &state);
}

void Analyser::Judge(const Workspace& ws, int n, Side side) {
    Logic& l = At(n, side);
    const AnalysisTexts& tx = Texts();
    l.stateSignal = ws.Blocks[n].StateSignal;
    l.problems.clear();
    l.verdicts = LogicVerdicts{};
    if (!l.accepted) return;
    auto add = [&](const char* id, Severity severity, int line, std::string message) {
        l.problems.push_back(MakeProblem(id, severity, n, side, line, std::move(message)));
    };
    const TsTableData& table = ws.TsTable;

    // What the text shows without the model. An M line whose value no later line reads before
    // the next assignment of that M is found from the last line up.
    const CompiledLogic& form = *l.form;
    std::vector<uint8_t> neverRead(form.lines.size(), 0);
    uint32_t readLater = 0;  // bit m: a line below reads M m before assigning it again
    for (size_t i = form.lines.size(); i-- > 0;) {
        const interlock::FlipLine& line = form.lines[i];
        if (line.isM) {
            neverRead[i] = (readLater >> line.target & 1u) == 0;
            readLater &= ~(1u << line.target);
        }
        readLater |= line.mRead;
    }
    for (size_t i = 0; i < form.lines.size(); ++i) {
        const interlock::FlipLine& line = form.lines[i];
        const int index = static_cast<int>(form.lineSource[i]) + 1;
        for (uint32_t j = line.first; j < line.last; ++j) {
            const FlipOperand& o = form.operands[j];
            if (o.kind != FlipOperand::Ts) continue;
            const int t = o.n;
            if (t >= 2 && table.TwoPosition[t - 1]) {
                add(check::kPairSecondRead, Severity::Error, index, tx.pairSecond + form.OperandText(j));
            } else if (o.letter == 'D' && !table.TwoPosition[t]) {
                add(check::kDNotPair, Severity::Error, index, tx.dNotPair + form.OperandText(j));
            } else if (o.letter == 'S' && table.TwoPosition[t]) {
                add(check::kSOnPair, Severity::Error, index, tx.sOnPair + form.OperandText(j));
            }
        }
        if (neverRead[i])
            add(check::kMNeverRead, Severity::Warning, index, tx.mNeverRead + std::to_string(line.target));
    }

    if (l.model.undetermined) {
        l.verdicts.undetermined = true;
        add(check::kUndetermined, Severity::Information, 0, l.model.timedOut ? tx.timeBudget : tx.budget);
        std::stable_sort(l.problems.begin(), l.problems.end(),
                         [](const Problem& a, const Problem& b) { return a.line < b.line; });
        return;
    }
    const int outputLine = static_cast<int>(form.lineSource[static_cast<size_t>(form.outputLine)]) + 1;
    const bdd state = GoverningState(table, l.stateSignal, side);
    const bdd f = bdd_restrict(l.model.output, state);
    if (session_->Overflowed()) {
        l.verdicts.undetermined = true;
        add(check::kUndetermined, Severity::Information, 0, tx.budget);
        return;
    }
    l.verdicts.never = f == bddfalse;
    l.verdicts.always = f == bddtrue;
    if (l.verdicts.never) add(check::kNeverAllowed, Severity::Error, outputLine, tx.neverAllowed);
    if (l.verdicts.always) add(check::kAlwaysAllowed, Severity::Warning, outputLine, tx.alwaysAllowed);
    if (l.model.output == bddtrue || l.model.output == bddfalse)
        add(check::kNoTs, Severity::Warning, outputLine, tx.noTs);
    for (size_t i = 0; i < form.lines.size(); ++i) {
        if (static_cast<int>(i) == form.outputLine) continue;
        const int8_t v = l.model.constant[i];
        if (v >= 0) {
            add(check::kConstantLine, Severity::Error, static_cast<int>(form.lineSource[i]) + 1,
                v == 1 ? tx.constantOne : tx.constantZero);
        }
    }
    std::stable_sort(l.problems.begin(), l.problems.end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
}

void Analyser::Update(const Workspace& ws) {
    if (!attributesKnown_ || twoPosition_ != ws.TsTable.TwoPosition) {
        // The pairs decide which TS share a bit: every model is rebuilt.
        twoPosition_ = ws.TsTable.TwoPosition;
        attributesKnown_ = true;
        blockFindingsKnown_ = false;
        for (auto& pair : logics_) {
            for (Logic& l : pair) l.known = false;
        }
    }
    std::unique_ptr<TextCheck> textCheck;
    std::vector<std::pair<int, Side>> build;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        for (Side side : kSides) {
            Logic& l = At(n, side);
            if (!l.known || l.form != FormOf(ws.Blocks[n].Of(side).Logic, n)) {
                if (!textCheck) textCheck = std::make_unique<TextCheck>(ws);
                Rebuild(ws, n, side, *textCheck);
                build.push_back({n, side});
            } else if (l.stateSignal != ws.Blocks[n].StateSignal) {
                // Which lines are constant depends on the apparatus state held.
                build.push_back({n, side});
            }
        }
    }
    textCheck.reset();
    BuildWithinBudget(ws, build);
    for (auto [n, side] : build) Judge(ws, n, side);
    std::array<int16_t, interlock::kBlockCount + 1> stateSignals{};
    for (int n = 1; n <= interlock::kBlockCount; ++n) stateSignals[n] = ws.Blocks[n].StateSignal;
    if (build.empty() && blockFindingsKnown_ && stateSignals == stateSignals_) return;
    stateSignals_ = stateSignals;
    blockFindingsKnown_ = true;

    // Findings about the block as a whole.
    const AnalysisTexts& tx = Texts();
    std::map<int, std::vector<int>> byState;  // the bit of the state TS -> blocks
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        if (b.IsEmpty() || b.StateSignal == 0) continue;
        byState[BitOf(ws.TsTable, std::abs(b.StateSignal)).ts].push_back(n);
    }
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        std::vector<Problem>& out = blockProblems_[n];
        out.clear();
        const interlock::Block& b = ws.Blocks[n];
        if (b.IsEmpty() || b.StateSignal == 0) continue;
        const int stateBit = BitOf(ws.TsTable, std::abs(b.StateSignal)).ts;
        for (int other : byState[stateBit]) {
            if (other == n) continue;
            out.push_back(MakeProblem(check::kSharedStateSignal, Severity::Warning, n, std::nullopt, 0,
                                      tx.sharedState + std::to_string(other)));
        }
        bool reads = false;
        for (Side side : kSides) {
            const std::shared_ptr<const CompiledLogic>& form = At(n, side).form;
            const uint32_t end = form ? LinesEnd(*form) : 0;
            for (uint32_t j = 0; j < end && !reads; ++j) {
                const FlipOperand& o = form->operands[j];
                reads = o.kind == FlipOperand::Ts && BitOf(ws.TsTable, o.n).ts == stateBit;
            }
        }
        if (!reads) {
            out.push_back(MakeProblem(check::kStateNotRead, Severity::Information, n, std::nullopt, 0,
                                      tx.stateNotRead));
        }
    }
}

void Analyser::BuildWithinBudget(const Workspace& ws, const std::vector<std::pair<int, Side>>& build) {
    // One budget for all of them: first every model with an equal share of half of it, so that
    // a few heavy logics cannot starve the rest; then those that ran out of time share what is
    // left. A model that outgrows the node table is not tried again.
    using Clock = BddSession::Clock;
    const Clock::time_point end =
        std::min(Clock::now() + timeBudget_, overallEnd_.value_or(Clock::time_point::max()));
    std::vector<std::pair<int, Side>> again;
    const Clock::duration share = std::chrono::duration_cast<Clock::duration>(timeBudget_) / 2 /
                                  std::max<long>(static_cast<long>(build.size()), 1);
    for (auto [n, side] : build) {
        session_->SetDeadline(std::min<Clock::time_point>(end, Clock::now() + share));
        BuildFor(ws, n, side);
        if (At(n, side).model.undetermined && session_->TimedOut()) again.push_back({n, side});
    }
    for (size_t i = 0; i < again.size(); ++i) {
        const auto [n, side] = again[i];
        const Clock::time_point now = Clock::now();
        if (now >= end) break;
        session_->SetDeadline(now + (end - now) / static_cast<long>(again.size() - i));
        BuildFor(ws, n, side);
    }
    session_->SetDeadline(std::nullopt);
}

void Analyser::AppendProblems(int n, std::vector<Problem>& out) const {
    for (Side side : kSides) {
        const Logic& l = At(n, side);
        out.insert(out.end(), l.problems.begin(), l.problems.end());
    }
    out.insert(out.end(), blockProblems_[n].begin(), blockProblems_[n].end());
}

std::vector<Problem> Analyser::Problems() const {
    std::vector<Problem> all;
    for (int n = 1; n <= interlock::kBlockCount; ++n) AppendProblems(n, all);
    return all;
}

std::vector<Use> Analyser::WhereUsed(int ts) const {
    std::vector<Use> uses;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        for (Side side : kSides) {
            const std::shared_ptr<const CompiledLogic>& form = At(n, side).form;
            if (!form) continue;
            for (size_t i = 0; i < form->lines.size(); ++i) {
                const interlock::FlipLine& line = form->lines[i];
                for (uint32_t j = line.first; j < line.last; ++j) {
                    const FlipOperand& o = form->operands[j];
                    if (o.kind == FlipOperand::Ts && o.n == ts)
                        uses.push_back(
                            {n, side, static_cast<int>(form->lineSource[i]) + 1, form->OperandText(j)});
                }
            }
        }
    }
    return uses;
}

BlockAnalysis Analyser::Analyse(const Workspace& ws, int n) {
    Update(ws);
    BlockAnalysis r;
    for (Side side : kSides) {
        const Logic& l = At(n, side);
        if (!l.accepted) continue;
        (side == Side::On ? r.on : r.off) = l.verdicts;
    }
    AppendProblems(n, r.problems);
    const interlock::Block& b = ws.Blocks[n];
    const int s = b.StateSignal;
    if (s == 0 || interlock::PairInvalid(ws, std::abs(s))) return r;
    const Side governing = interlock::ApparatusIsOn(ws, s) ? Side::Off : Side::On;
    r.governing = governing;
    const Logic& g = At(n, governing);
    if (!g.accepted) return r;
    const auto f = b.Of(governing);
    if (f.Error || f.Empty) return r;  // no verdict to change
    // The models of the answers read the present values as constants and are smaller than the
    // model itself: a quarter of the budget, so that all 32 blocks stay within a few budgets.
    session_->SetDeadline(answersEnd_ ? *answersEnd_ : BddSession::Clock::now() + timeBudget_ / 4);
    if (f.Result == 0) r.minChanges = FindMinChanges(ws, n, governing);
    r.decisive = FindDecisive(ws, n, governing);
    session_->SetDeadline(std::nullopt);
    return r;
}

std::vector<BlockAnalysis> Analyser::AnalyseAll(const Workspace& ws, const std::vector<int>& blocks) {
    using Clock = BddSession::Clock;
    const Clock::time_point start = Clock::now();
    overallEnd_ = start + timeBudget_;
    Update(ws);
    std::vector<BlockAnalysis> all;
    all.reserve(blocks.size());
    for (size_t i = 0; i < blocks.size(); ++i) {
        // Each block a share of what is left, and never more than one Analyse alone would take.
        const Clock::time_point now = Clock::now();
        const Clock::duration left = std::max(*overallEnd_ - now, Clock::duration::zero());
        answersEnd_ =
            now + std::min<Clock::duration>(left / static_cast<long>(blocks.size() - i), timeBudget_ / 4);
        all.push_back(Analyse(ws, blocks[i]));
    }
    overallEnd_.reset();
    answersEnd_.reset();
    return all;
}

MinChanges Analyser::FindMinChanges(const Workspace& ws, int n, Side side) {
    MinChanges result;
    const Logic& l = At(n, side);
    if (l.model.undetermined) {
        result.undetermined = true;
        return result;
    }
    const TsTableData& table = ws.TsTable;
    const int s = ws.Blocks[n].StateSignal;
    const int stateBit = BitOf(table, std::abs(s)).ts;
    std::map<int, int> present = PresentBits(*l.form, ws);
    present.erase(stateBit);  // the state group is never changed
    std::set<int> irregular;
    for (auto [ts, bit] : present) {
        if (bit < 0) irregular.insert(ts);
    }

    bdd g;
    if (irregular.empty() && StateReadsGoverning(*l.form, ws, s, side)) {
        g = bdd_restrict(l.model.output, GoverningState(table, s, side));
    } else {
        // The state group reads its present values. A group whose present values are not a 0/1
        // state reads them as long as it is not changed (its Other flag set); a change puts it
        // in the 0/1 state its bit says.
        TsReading reading = [&](int ts) {
            const PairBit b = BitOf(table, ts);
            if (b.ts == stateBit) return PresentConstant(table, ts);
            bdd bit = BddSession::Value(b.ts);
            if (b.flipped) bit = !bit;
            if (!irregular.count(b.ts)) return TsConditions{!bit, bit};
            const bdd kept = BddSession::Other(b.ts);
            const int c = ValueClass(table.Value[ts]);
            return TsConditions{(kept & ConstantOf(c == 0)) | ((!kept) & (!bit)),
                                (kept & ConstantOf(c == 1)) | ((!kept) & bit)};
        };
        LogicModel presentModel = BuildModel(*session_, *l.form, reading);
        if (presentModel.undetermined) {
            result.undetermined = true;
            return result;
        }
        g = presentModel.output;
    }
    if (session_->Overflowed()) {
        result.undetermined = true;
        return result;
    }

    std::map<int, std::pair<int, int>> costs;
    for (auto [ts, bit] : present) {
        if (bit < 0) {
            costs[BddSession::OtherVar(ts)] = {1, 0};
        } else {
            costs[BddSession::ValueVar(ts)] = {bit == 1 ? 1 : 0, bit == 0 ? 1 : 0};
        }
    }
    // The bit a changed group in neither 0/1 state goes to when either would do: the state
    // that changes fewer of its TS, 1 between equals.
    auto nearer = [&](int group) {
        int differ[2] = {0, 0};
        for (auto [t, flipped] : Members(table, group)) {
            for (int bit : {0, 1}) differ[bit] += table.Value[t] != (bit ^ (flipped ? 1 : 0));
        }
        return differ[0] < differ[1] ? 0 : 1;
    };
    ChangeSearch search(std::move(costs));
    const int k = search.MinCost(g);
    if (k >= ChangeSearch::kInfinite) return result;
    result.exists = true;
    result.size = k;
    std::vector<ChangeSearch::Path> paths;
    search.Enumerate(g, k, MinChanges::kMaxSets + 1, nearer, paths);
    if (paths.size() > MinChanges::kMaxSets) {
        paths.resize(MinChanges::kMaxSets);
        result.truncated = true;
    }
    for (const ChangeSearch::Path& path : paths) {
        result.sets.push_back(path.changed);
        std::vector<Change> changes;
        for (int group : path.changed) {
            int bit = 0;
            if (!irregular.count(group)) {
                bit = present.at(group) ^ 1;
            } else {
                auto it = path.bits.find(group);
                bit = it != path.bits.end() ? it->second : nearer(group);
            }
            Change change{group, {}, false};
            for (auto [t, flipped] : Members(table, group))
                change.values.push_back({t, bit ^ (flipped ? 1 : 0)});
            change.flip = change.values.size() == 1 && !irregular.count(group);
            changes.push_back(std::move(change));
        }
        result.changes.push_back(std::move(changes));
    }
    return result;
}

Decisive Analyser::FindDecisive(const Workspace& ws, int n, Side side) {
    Decisive result;
    const Logic& l = At(n, side);
    const TsTableData& table = ws.TsTable;
    const int s = ws.Blocks[n].StateSignal;
    const int stateBit = BitOf(table, std::abs(s)).ts;
    std::set<int> unreliable;  // TS read by the logic
    std::set<int> free;        // their groups
    for (const CompiledLogic::FirstRead& r : l.form->firstReads) {
        if (table.Unreliability[r.n] == 0) continue;
        const int group = BitOf(table, r.n).ts;
        if (group == stateBit) continue;
        unreliable.insert(r.n);
        free.insert(group);
    }
    if (unreliable.empty()) return result;
    if (l.model.undetermined) {
        result.undetermined = true;
        return result;
    }

    // Every other group at its present values: with those all 0/1 the model is restricted,
    // otherwise it is built again with the present values as constants.
    std::map<int, int> present = PresentBits(*l.form, ws);
    bool regular = StateReadsGoverning(*l.form, ws, s, side);
    bdd cube = GoverningState(table, s, side);
    for (auto [ts, bit] : present) {
        if (free.count(ts) || ts == stateBit) continue;
        if (bit < 0) regular = false;
        cube &= bit ? BddSession::Value(ts) : !BddSession::Value(ts);
    }
    bdd g;
    if (regular) {
        g = bdd_restrict(l.model.output, cube);
    } else {
        // The state group reads its present values with the rest.
        LogicModel m = BuildModel(*session_, *l.form, PresentReading(ws, free));
        if (m.undetermined) {
            result.undetermined = true;
            return result;
        }
        g = m.output;
    }
    if (session_->Overflowed()) {
        result.undetermined = true;
        return result;
    }
    const std::set<int> support = SupportTs(g);
    for (int t : unreliable) {
        if (support.count(BitOf(table, t).ts)) result.ts.push_back(t);
    }
    return result;
}

}  // namespace analysis
