#include "sequences/transition_system.h"

#include <algorithm>
#include <set>

#include "analysis/model.h"
#include "interlock/engine_texts.h"
#include "sequences/sequences_texts.h"

namespace sequences {
namespace {

using analysis::BddSession;
using analysis::Literal;
using interlock::Side;

constexpr Side kSides[] = {Side::On, Side::Off};

bdd Constant(bool v) { return v ? bddtrue : bddfalse; }

// The first word of an apparatus name.
std::string FirstWord(const std::string& name) {
    size_t a = name.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    size_t b = name.find_first_of(" \t", a);
    return name.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

// The value literals of a cube (a conjunction of literals), in variable order.
std::vector<Literal> LiteralsOf(bdd c) {
    std::vector<Literal> out;
    while (c != bddtrue && c != bddfalse) {
        const int var = bdd_var(c);
        const bool high = bdd_low(c) == bddfalse;
        if (BddSession::IsValueVar(var)) out.push_back({BddSession::TsOfVar(var), high ? 1 : 0});
        c = high ? bdd_high(c) : bdd_low(c);
    }
    return out;
}

// The variables f depends on, ascending.
std::set<int> Support(const bdd& f) {
    std::set<int> vars;
    std::set<int> seen;
    std::vector<bdd> stack{f};
    while (!stack.empty()) {
        const bdd x = stack.back();
        stack.pop_back();
        if (x == bddtrue || x == bddfalse || !seen.insert(x.id()).second) continue;
        vars.insert(bdd_var(x));
        stack.push_back(bdd_low(x));
        stack.push_back(bdd_high(x));
    }
    return vars;
}

bdd VarSet(const std::vector<int>& vars) {
    std::vector<int> v = vars;
    return bdd_makeset(v.data(), static_cast<int>(v.size()));
}

}  // namespace

System::System(analysis::Analyser& analyser, const interlock::Workspace& ws, FieldSpec field,
               TopologyInputs topology, Limits limits)
    : analyser_(analyser),
      ws_(ws),
      field_(std::move(field)),
      topology_(std::move(topology)),
      limits_(limits) {
    analyser_.Update(ws);
    const interlock::TsTableData& table = ws.TsTable;
    values_ = table.Value;
    for (auto [ts, v] : field_.held) {
        values_[ts] = v;
        // A pair named by its first TS is set as a pair unless its second TS is named too.
        if (ts < interlock::kTsCount && table.TwoPosition[ts] && (v == 0 || v == 1) &&
            !field_.held.count(ts + 1))
            values_[ts + 1] = static_cast<int16_t>(1 - v);
    }
    blockApparatus_.fill(-1);

    // The apparatus: every non-empty block whose state signal reads a valid 0/1 position.
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const interlock::Block& b = ws.Blocks[n];
        if (b.IsEmpty() || b.StateSignal == 0) continue;
        const int group = analysis::BitOf(table, std::abs(b.StateSignal)).ts;
        const int v = values_[group];
        bool usable = v == 0 || v == 1;
        if (group < interlock::kTsCount && table.TwoPosition[group] && !table.FromServer[group])
            usable = usable && values_[group + 1] == 1 - v;
        if (!usable) {
            fixed_.insert(group);
            continue;
        }
        auto [it, fresh] = groupApparatus_.emplace(group, static_cast<int>(apparatus_.size()));
        if (fresh) {
            Apparatus a;
            a.ts = group;
            a.label = FirstWord(b.Name);
            if (a.label.empty()) a.label = interlock::Texts().ts + std::to_string(group);
            apparatus_.push_back(a);
            present_.push_back(static_cast<uint8_t>(v & 1));
        }
        apparatus_[it->second].blocks.push_back(n);
        blockApparatus_[n] = it->second;
    }

    std::vector<int> stateVars;
    for (const Apparatus& a : apparatus_) stateVars.push_back(BddSession::ValueVar(a.ts));
    stateVars_ = VarSet(stateVars);
    std::vector<int> freeVars;
    if (field_.mode == FieldMode::Free) {
        for (int ts = 1; ts <= interlock::kTsCount; ++ts) {
            const int group = analysis::BitOf(table, ts).ts;
            if (group != ts || groupApparatus_.count(group) || fixed_.count(group)) continue;
            freeVars.push_back(BddSession::ValueVar(ts));
            freeTs_.insert(ts);
        }
    }
    freeVars_ = VarSet(freeVars) & topology_.unknown;
    // An indicator and a hazard read the held TS as they are held (free ones stay variables);
    // a position nobody knows may be either: an indicator reads 1 where it may be live.
    for (FollowingTs& f : topology_.indicators) f.value = bdd_exist(HeldIn(f.value), topology_.unknown);
    for (Hazard& h : topology_.hazards) h.positions = bdd_exist(HeldIn(h.positions), topology_.unknown);

    // The guard of every operation of every apparatus.
    const analysis::TsReading reading = Reading(false, false);
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const int a = blockApparatus_[n];
        if (a < 0) continue;
        for (Side side : kSides) {
            Guard g;
            g.op = {n, side};
            g.apparatus = a;
            const int s = ws.Blocks[n].StateSignal;
            g.pre = analysis::GoverningState(table, s, side);
            g.post = analysis::GoverningState(table, s, side == Side::On ? Side::Off : Side::On);
            g.full = bddfalse;
            if (analyser_.Model(n, side)) {
                const interlock::CompiledLogic& form =
                    interlock::CompiledFormOf(ws.Blocks[n].Of(side).Logic, n);
                // A held pair that is invalid stops the parse of any logic that reads it.
                bool invalid = false;
                for (const interlock::CompiledLogic::FirstRead& r : form.firstReads) {
                    const int t = r.n;
                    if (t >= interlock::kTsCount || !table.TwoPosition[t]) continue;
                    if (groupApparatus_.count(t) || (field_.mode == FieldMode::Free && !fixed_.count(t)))
                        continue;
                    if (values_[t] == values_[t + 1] && !table.FromServer[t]) invalid = true;
                }
                if (!invalid) {
                    const analysis::LogicModel m = analysis::BuildModel(analyser_.Session(), form, reading);
                    if (m.undetermined) undetermined_ = true;
                    if (m.hasOutput) g.full = m.output;
                }
            }
            g.guard = bdd_exist(g.pre & g.full, freeVars_);
            guards_.push_back(g);
        }
    }
    for (const Guard& g : guards_) {
        const bdd var = VarSet({BddSession::ValueVar(apparatus_[g.apparatus].ts)});
        auto it = std::find_if(moves_.begin(), moves_.end(),
                               [&](const Move& m) { return m.var == var && m.post == g.post; });
        if (it == moves_.end()) {
            moves_.push_back({var, g.guard, g.post});
        } else {
            it->guard |= g.guard;
        }
    }
    if (analyser_.Session().Overflowed()) undetermined_ = true;
}

System::~System() = default;

analysis::TsReading System::Reading(bool constantsAsBits, bool allVariables) const {
    const interlock::TsTableData& table = ws_.TsTable;
    return [this, &table, constantsAsBits, allVariables](int ts) {
        for (const FollowingTs& f : topology_.indicators) {
            if (f.ts == ts) return analysis::TsConditions{!f.value, f.value};
        }
        const analysis::PairBit b = analysis::BitOf(table, ts);
        const bool variable = allVariables || groupApparatus_.count(b.ts) ||
                              (field_.mode == FieldMode::Free && !fixed_.count(b.ts));
        if (variable) {
            bdd bit = BddSession::Value(b.ts);
            if (b.flipped) bit = !bit;
            return analysis::TsConditions{!bit, bit};
        }
        if (constantsAsBits) {
            const bool v = (values_[ts] & 1) != 0;
            return analysis::TsConditions{Constant(!v), Constant(v)};
        }
        const int c = analysis::ValueClass(values_[ts]);
        return analysis::TsConditions{Constant(c == 0), Constant(c == 1)};
    };
}

bool System::IsOn(int block, const State& s) const {
    const int a = blockApparatus_[block];
    const int sig = ws_.Blocks[block].StateSignal;
    const analysis::PairBit b = analysis::BitOf(ws_.TsTable, std::abs(sig));
    const int value = s[a] ^ (b.flipped ? 1 : 0);
    return sig > 0 ? value == 1 : value == 0;
}

bdd System::Cube(const State& s) const {
    bdd c = bddtrue;
    for (size_t i = 0; i < apparatus_.size(); ++i) {
        const bdd v = BddSession::Value(apparatus_[i].ts);
        c &= s[i] ? v : !v;
    }
    return c;
}

State System::Pick(const bdd& f) const {
    State s(apparatus_.size(), 0);
    for (const Literal& l : LiteralsOf(bdd_satoneset(f, stateVars_, bddfalse))) {
        auto it = groupApparatus_.find(l.ts);
        if (it != groupApparatus_.end()) s[it->second] = static_cast<uint8_t>(l.value);
    }
    return s;
}

bool System::Holds(const bdd& f, const State& s) const { return bdd_restrict(f, Cube(s)) != bddfalse; }

// Values of the TS f reads besides the state, as near the held values as f allows: each TS in
// turn keeps its held value when some completion still satisfies f.
std::vector<Literal> System::FieldValues(const bdd& f, const State& s) const {
    bdd r = bdd_restrict(f, Cube(s));
    if (r == bddfalse) return {};
    std::vector<Literal> out;
    for (int var : Support(r)) {
        if (!BddSession::IsValueVar(var)) continue;
        const int ts = BddSession::TsOfVar(var);
        const int held = values_[ts] & 1;
        const bdd keep = held ? bdd_ithvar(var) : bdd_nithvar(var);
        const bool kept = (r & keep) != bddfalse;
        r &= kept ? keep : !keep;
        out.push_back({ts, kept ? held : 1 - held});
    }
    return out;
}

bdd System::ConditionModel(const analysis::Condition& c) const {
    bdd v;
    if (c.kind == analysis::Condition::Kind::Ts) {
        v = Reading(true, false)(c.ts).one;
    } else {
        const bool isAnd = c.kind == analysis::Condition::Kind::And;
        v = isAnd ? bddtrue : bddfalse;
        for (const analysis::Condition& o : c.operands) {
            const bdd x = ConditionModel(o);
            v = isAnd ? (v & x) : (v | x);
        }
    }
    return c.negated ? !v : v;
}

bdd System::HeldIn(const bdd& f) const {
    bdd held = bddtrue;
    for (int var : Support(f)) {
        const int ts = BddSession::TsOfVar(var);
        if (!BddSession::IsValueVar(var) || groupApparatus_.count(ts) || freeTs_.count(ts)) continue;
        held &= (values_[ts] & 1) ? bdd_ithvar(var) : bdd_nithvar(var);
    }
    return bdd_restrict(f, held);
}

bdd System::Initial(const analysis::Condition* from) const {
    if (!from) return Cube(present_);
    return bdd_exist(ConditionModel(*from), freeVars_);
}

bool System::Expired() const { return std::chrono::steady_clock::now() > deadline_; }

bool System::Overflowed(std::string& reason) {
    if (analyser_.Session().Overflowed()) {
        reason = Texts().budget;
        return true;
    }
    if (Expired()) {
        reason = Texts().timeLimit;
        return true;
    }
    return false;
}

bool System::Saturate(const bdd& init, bdd& reached, std::string& reason) {
    const bool present = init == Cube(present_);
    if (present && reachedFromPresent_) {
        reached = *reachedFromPresent_;
        return true;
    }
    reached = init;
    if (undetermined_) {
        reason = Texts().budget;
        return false;
    }
    for (;;) {
        const bdd before = reached;
        for (const Move& m : moves_) {
            reached |= bdd_appex(reached, m.guard, bddop_and, m.var) & m.post;
            if (Overflowed(reason)) return false;
        }
        if (reached == before) break;
    }
    if (present) reachedFromPresent_ = reached;
    return true;
}

bdd System::Image(const bdd& frontier, const bdd& seen, bool forward) const {
    // The states seen before have their images seen already: the frontier may be anything on
    // them, whichever makes the smaller diagram.
    const bdd from = frontier == seen ? frontier : bdd_simplify(frontier, !(seen & !frontier));
    std::vector<bdd> parts;
    for (const Move& m : moves_) {
        parts.push_back(forward ? bdd_appex(from, m.guard, bddop_and, m.var) & m.post
                                : bdd_appex(from, m.post, bddop_and, m.var) & m.guard);
    }
    // Joined pairwise: one growing union costs its size once per move.
    while (parts.size() > 1) {
        std::vector<bdd> next;
        for (size_t k = 0; k + 1 < parts.size(); k += 2) next.push_back(parts[k] | parts[k + 1]);
        if (parts.size() % 2) next.push_back(parts.back());
        parts = std::move(next);
    }
    return parts.empty() ? bddfalse : parts[0] & !seen;
}

bool System::Meet(const bdd& init, const bdd& target, Meeting& m, std::string& reason) {
    if (undetermined_) {
        reason = Texts().budget;
        return false;
    }
    // Forward layers from the start (from the present state taken up where the last question
    // left them), backward layers from the target, each a set of states at one exact distance;
    // the smaller side grows by a layer until a forward layer meets a backward one. The first
    // meeting is a shortest sequence: a sequence of length L has, for every split, a state at
    // forward distance i and backward distance L - i.
    const bool present = init == Cube(present_);
    bdd reached = init;
    bool done = false;
    m.forward.assign(1, init);
    if (present && !presentLayers_.empty()) {
        m.forward = presentLayers_;
        reached = presentReached_;
        done = presentDone_;
    }
    const bool known = present && reachedFromPresent_.has_value();
    m.backward.assign(1, known ? target & *reachedFromPresent_ : target);
    bdd behind = m.backward[0];
    bool backDone = m.backward[0] == bddfalse;
    m.i = m.j = std::string::npos;
    auto meet = [&](size_t i, size_t j) {
        if ((m.forward[i] & m.backward[j]) == bddfalse) return;
        if (m.i == std::string::npos || i + j < m.i + m.j) m.i = i, m.j = j;
    };
    for (size_t i = 0; i < m.forward.size(); ++i) meet(i, 0);
    while (m.i == std::string::npos) {
        if (Overflowed(reason)) return false;
        // Once every reachable state is known, the backward layers keep to them.
        const bool grow =
            !done && (backDone || bdd_nodecount(m.forward.back()) <= bdd_nodecount(m.backward.back()));
        if (grow) {
            const bdd fresh = Image(m.forward.back(), reached, true);
            if (Overflowed(reason)) return false;
            if (fresh == bddfalse) {
                done = true;
            } else {
                reached |= fresh;
                m.forward.push_back(fresh);
                for (size_t j = 0; j < m.backward.size(); ++j) meet(m.forward.size() - 1, j);
            }
            if (present) {
                presentLayers_ = m.forward;
                presentReached_ = reached;
                presentDone_ = done;
                if (done) reachedFromPresent_ = reached;
            }
        } else if (!backDone) {
            bdd fresh = Image(m.backward.back(), behind, false);
            if (done) fresh &= reached;
            if (Overflowed(reason)) return false;
            if (fresh == bddfalse) {
                backDone = true;
            } else {
                behind |= fresh;
                m.backward.push_back(fresh);
                for (size_t i = 0; i < m.forward.size(); ++i) meet(i, m.backward.size() - 1);
            }
        }
        if (done && backDone) break;
    }
    return true;
}

ReachInfo System::Reach(const analysis::Condition* from) {
    deadline_ = std::chrono::steady_clock::now() + limits_.time;
    ReachInfo info;
    bdd reached;
    if (!Saturate(Initial(from), reached, info.reason)) {
        info.answer = Answer::Undetermined;
        return info;
    }
    if (reached == bddfalse) {
        info.states = 0;
    } else if (apparatus_.empty()) {
        info.states = 1;
    } else {
        info.states = bdd_satcountset(reached, stateVars_);
    }
    return info;
}

Witness System::Trace(const std::vector<bdd>& layers, const bdd& target) const {
    Witness w;
    w.answer = Answer::Yes;
    State s = Pick(layers.back() & target);
    std::vector<Step> steps;
    for (size_t j = layers.size() - 1; j > 0; --j) {
        bool found = false;
        for (const Guard& g : guards_) {
            if (!Holds(g.post, s)) continue;
            State p = s;
            p[g.apparatus] ^= 1;
            if (!Holds(layers[j - 1], p) || !Holds(g.guard, p)) continue;
            steps.push_back({g.op, FieldValues(g.pre & g.full, p), s});
            s = p;
            found = true;
            break;
        }
        if (!found) break;  // cannot happen: every state of layer j has a predecessor in j-1
    }
    std::reverse(steps.begin(), steps.end());
    w.start = s;
    w.steps = std::move(steps);
    return w;
}

Witness System::FindPositions(const bdd& positions, const analysis::Condition* from) {
    deadline_ = std::chrono::steady_clock::now() + limits_.time;
    Witness w;
    const bdd target = bdd_exist(positions, freeVars_);
    const bdd init = Initial(from);
    const bool present = !from;
    // A reachable set found before answers "no" at once.
    if (present && reachedFromPresent_ && (*reachedFromPresent_ & target) == bddfalse) {
        w.answer = Answer::No;
        return w;
    }
    Meeting m;
    if (!Meet(init, target, m, w.reason)) {
        w.answer = Answer::Undetermined;
        return w;
    }
    if (m.i == std::string::npos) {
        w.answer = Answer::No;
        return w;
    }
    // To the meeting state by the forward layers, then on by the backward ones.
    m.forward.resize(m.i + 1);
    w = Trace(m.forward, m.backward[m.j]);
    State s = w.steps.empty() ? w.start : w.steps.back().after;
    for (size_t j = m.j; j > 0; --j) {
        for (const Guard& g : guards_) {
            if (!Holds(g.guard, s)) continue;
            State next = s;
            next[g.apparatus] ^= 1;
            if (!Holds(m.backward[j - 1], next)) continue;
            w.steps.push_back({g.op, FieldValues(g.pre & g.full, s), next});
            s = next;
            break;
        }
    }
    const State end = s;
    w.endField = FieldValues(positions, end);
    return w;
}

Witness System::Find(const analysis::Condition& target, const analysis::Condition* from) {
    return FindPositions(ConditionModel(target), from);
}

Witness System::Violation(const analysis::Requirement& invariant) {
    if (invariant.kind == analysis::Requirement::Kind::Always)
        return FindPositions(!ConditionModel(invariant.condition));
    return Find(invariant.condition);
}

std::vector<std::pair<std::string, Witness>> System::Hazards() {
    std::vector<std::pair<std::string, Witness>> out;
    for (const Hazard& h : topology_.hazards) {
        if (h.block == 0) {
            out.emplace_back(h.name, FindPositions(h.positions));
            continue;
        }
        // The operation allowed where it is dangerous: a shortest way there, then the operation.
        const Guard* g = GuardOf({h.block, h.side});
        if (!g) {
            out.emplace_back(h.name, Witness{});
            continue;
        }
        const bdd where = h.positions & g->pre & g->full;
        Witness w = FindPositions(where);
        if (w.answer == Answer::Yes) {
            const State end = w.steps.empty() ? w.start : w.steps.back().after;
            State after = end;
            after[g->apparatus] ^= 1;
            w.steps.push_back({g->op, FieldValues(where, end), after});
            w.endField.clear();
        }
        out.emplace_back(h.name, std::move(w));
    }
    return out;
}

Plan System::MakePlan(const analysis::Condition& target) {
    Plan plan;
    plan.witness = Find(target);
    if (plan.witness.answer != Answer::No) return plan;
    deadline_ = std::chrono::steady_clock::now() + limits_.time;
    std::string reason;
    bdd reached;
    if (!Saturate(Cube(present_), reached, reason)) return plan;
    for (const Guard& g : guards_) {
        if ((reached & g.guard) != bddfalse) continue;
        if (std::optional<NeverAllowed> n = Nearest(g, reached)) plan.neverAllowed.push_back(*n);
    }
    return plan;
}

// The allowing state nearest to the reached ones: balls of growing radius around the reached
// states (one more variable flipped per round) until one meets the states that allow it.
std::optional<NeverAllowed> System::Nearest(const Guard& g, const bdd& reached) {
    NeverAllowed n;
    n.op = g.op;
    bdd allow;
    bdd from = reached;
    std::vector<int> vars;
    for (const Apparatus& a : apparatus_) vars.push_back(BddSession::ValueVar(a.ts));
    if (field_.mode == FieldMode::Free) {
        allow = g.guard;
    } else {
        // Held TS may change too: the logic over every TS, starting from the held bits.
        allow = bddfalse;
        if (analyser_.Model(g.op.block, g.op.side)) {
            const analysis::LogicModel m = analysis::BuildModel(
                analyser_.Session(),
                interlock::CompiledFormOf(ws_.Blocks[g.op.block].Of(g.op.side).Logic, g.op.block),
                Reading(true, true));
            if (m.undetermined) return std::nullopt;
            if (m.hasOutput) allow = g.pre & m.output;
        }
        for (int var : Support(allow)) {
            const int ts = BddSession::TsOfVar(var);
            if (groupApparatus_.count(ts)) continue;
            vars.push_back(var);
            from &= (values_[ts] & 1) ? bdd_ithvar(var) : bdd_nithvar(var);
        }
    }
    n.possible = allow != bddfalse;
    if (!n.possible) {
        n.at = Pick(reached);
        return n;
    }
    bdd ball = from;
    int radius = 0;
    while ((ball & allow) == bddfalse) {
        bdd next = ball;
        for (int var : vars) next |= bdd_exist(ball, bdd_ithvar(var));
        std::string reason;
        if (next == ball || Overflowed(reason)) return std::nullopt;
        ball = next;
        ++radius;
    }
    // Ties go to the present and held values, so that the answer reads from the present state.
    auto near = [&](bdd f) {
        bdd cube = bddtrue;
        for (int var : vars) {
            const int ts = BddSession::TsOfVar(var);
            auto it = groupApparatus_.find(ts);
            const int want = it != groupApparatus_.end() ? present_[it->second] : (values_[ts] & 1);
            const bdd keep = want ? bdd_ithvar(var) : bdd_nithvar(var);
            const bdd lit = (f & keep) != bddfalse ? keep : !keep;
            f &= lit;
            cube &= lit;
        }
        return cube;
    };
    const bdd a = near(ball & allow);
    // A reached state within the same radius of a.
    bdd around = a;
    for (int i = 0; i < radius; ++i) {
        bdd next = around;
        for (int var : vars) next |= bdd_exist(around, bdd_ithvar(var));
        around = next;
    }
    const bdd r = near(around & from);
    const std::vector<Literal> target = LiteralsOf(a);
    const std::vector<Literal> origin = LiteralsOf(r);
    for (size_t i = 0; i < target.size() && i < origin.size(); ++i) {
        if (target[i].value != origin[i].value) n.changes.push_back(target[i]);
    }
    n.at = Pick(r);
    return n;
}

const System::Guard* System::GuardOf(const Operation& op) const {
    for (const Guard& g : guards_) {
        if (g.op == op) return &g;
    }
    return nullptr;
}

bool System::Allows(const Operation& op, const State& s, const std::vector<Literal>& field) const {
    const Guard* g = GuardOf(op);
    if (!g) return false;
    bdd c = Cube(s);
    for (const Literal& l : field) c &= l.value ? BddSession::Value(l.ts) : !BddSession::Value(l.ts);
    return bdd_restrict(g->pre & g->full, c) != bddfalse;
}

void System::Apply(const State& s, interlock::TsTableData& table) const {
    table.Value = values_;
    for (size_t i = 0; i < apparatus_.size(); ++i) {
        const int ts = apparatus_[i].ts;
        table.Value[ts] = s[i];
        if (ts < interlock::kTsCount && table.TwoPosition[ts])
            table.Value[ts + 1] = static_cast<int16_t>(1 - s[i]);
    }
}

StepCheck System::CheckStep(const State& s, const Operation& op) {
    deadline_ = std::chrono::steady_clock::now() + limits_.time;
    StepCheck c;
    c.after = s;
    const Guard* g = GuardOf(op);
    if (!g) {
        c.verdict = StepVerdict::NotOperated;
        return c;
    }
    if (IsOn(op.block, s) == (op.side == Side::On)) {
        c.verdict = StepVerdict::Already;
        return c;
    }
    if (undetermined_) {
        c.verdict = StepVerdict::Undetermined;
        return c;
    }
    if (Holds(g->guard, s)) {
        c.verdict = StepVerdict::Allowed;
        c.field = FieldValues(g->pre & g->full, s);
        c.after[g->apparatus] ^= 1;
        return c;
    }
    c.verdict = StepVerdict::Forbidden;
    if (field_.mode == FieldMode::Held && topology_.indicators.empty()) {
        // The analysis engine's answer at this state (it would take an indicator for a TS of its
        // own: with indicators following the positions the nearest allowing state answers).
        if (!scratch_) scratch_ = std::make_unique<interlock::Workspace>(ws_);
        Apply(s, scratch_->TsTable);
        interlock::Recalculate(*scratch_, op.block);
        const analysis::BlockAnalysis a = analyser_.Analyse(*scratch_, op.block);
        if (a.minChanges) c.changes = *a.minChanges;
        return c;
    }
    std::optional<NeverAllowed> n = Nearest(*g, Cube(s));
    if (!n) {
        c.changes.undetermined = true;
    } else if (n->possible) {
        c.changes.exists = true;
        c.changes.size = static_cast<int>(n->changes.size());
        std::vector<int> set;
        for (const Literal& l : n->changes) set.push_back(l.ts);
        c.changes.sets.push_back(set);
    }
    return c;
}

}  // namespace sequences
