#pragma once

// The explicit-state reference for the sequence tests: generated small configurations and a
// plain breadth-first search over apparatus positions in which every operation is judged by
// the interlock evaluator itself (the block recalculated on the TS values of the state).

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "analysis/requirements.h"
#include "interlock/workspace.h"

namespace sequences::test {

struct RefApparatus {
    int ts = 0;
    bool pair = false;
    bool usable = true;  // false: an invalid pair at the start, never operated
};

struct RefField {
    int ts = 0;
    bool pair = false;
};

// What the generator made, known independently of the system under test.
struct Made {
    std::vector<RefApparatus> apparatus;  // in TS order
    std::vector<RefField> field;
    bool regular = true;  // every value 0/1 and every pair valid
};

inline std::string Operand(const std::vector<std::pair<int, bool>>& ts, std::mt19937& r) {
    const auto [n, pair] = ts[r() % ts.size()];
    return std::string(r() % 3 == 0 ? "~" : "") + (pair ? "D" : "S") + std::to_string(n);
}

inline std::vector<std::string> Logic(int block, const std::vector<std::pair<int, bool>>& ts,
                                      std::mt19937& r) {
    if (r() % 12 == 0) return {};
    static const char* const kOps[] = {"AND", "OR", "~AND", "~OR"};
    std::vector<std::string> lines;
    const int mLines = static_cast<int>(r() % 3);
    for (int m = 1; m <= mLines; ++m) {
        std::string line = "M" + std::to_string(m) + "=" + kOps[r() % 4] + "(";
        const int k = 1 + static_cast<int>(r() % 3);
        for (int j = 0; j < k; ++j) line += (j ? "," : "") + Operand(ts, r);
        lines.push_back(line + ")");
    }
    std::string v = "V" + std::to_string(block) + "=" + kOps[r() % 3 == 0 ? 2 + r() % 2 : r() % 2] + "(";
    const int k = 1 + static_cast<int>(r() % 3);
    for (int j = 0; j < k; ++j) {
        v += j ? "," : "";
        if (mLines && r() % 3 == 0) {
            v += std::string(r() % 3 == 0 ? "~" : "") + "M" + std::to_string(1 + r() % mLines);
        } else {
            v += Operand(ts, r);
        }
    }
    lines.push_back(v + ")");
    return lines;
}

// k apparatus (blocks 1..k, now and then one more block on a shared state TS) and f field TS.
inline Made Generate(std::mt19937& r, interlock::Workspace& ws, int k, int f, bool irregular) {
    Made made;
    int t = 1;
    std::vector<std::pair<int, bool>> operands;
    auto take = [&](bool pair) {
        const int n = t;
        if (pair) {
            ws.TsTable.TwoPosition[n] = 1;
            ws.TsTable.PairSecond[n + 1] = 1;
        }
        const int16_t v = static_cast<int16_t>(r() % 2);
        ws.TsTable.Value[n] = v;
        if (pair) ws.TsTable.Value[n + 1] = static_cast<int16_t>(1 - v);
        t += pair ? 2 : 1;
        operands.push_back({n, pair});
        if (pair && r() % 6 == 0) operands.push_back({n + 1, false});  // the second TS read alone
        return n;
    };
    for (int i = 0; i < k; ++i) {
        const bool pair = r() % 4 == 0;
        RefApparatus a{take(pair), pair, true};
        if (pair && irregular && r() % 8 == 0) {
            ws.TsTable.Value[a.ts + 1] = ws.TsTable.Value[a.ts];  // invalid at the start
            a.usable = false;
            made.regular = false;
        }
        made.apparatus.push_back(a);
    }
    for (int i = 0; i < f; ++i) {
        const bool pair = r() % 5 == 0;
        RefField x{take(pair), pair};
        if (irregular && r() % 10 == 0) {
            if (pair) {
                ws.TsTable.Value[x.ts + 1] = ws.TsTable.Value[x.ts];
            } else {
                ws.TsTable.Value[x.ts] = 2;
            }
            made.regular = false;
        }
        made.field.push_back(x);
    }
    int block = 1;
    for (int i = 0; i < k; ++i) {
        const int copies = (r() % 10 == 0) ? 2 : 1;
        for (int c = 0; c < copies; ++c) {
            interlock::Block& b = ws.Blocks[block];
            b.Name = "Q" + std::to_string(block) + " apparatus";
            b.StateSignal = static_cast<int16_t>(r() % 4 == 0 ? -made.apparatus[i].ts : made.apparatus[i].ts);
            b.OnLogic = Logic(block, operands, r);
            b.OffLogic = Logic(block, operands, r);
            if (b.IsEmpty()) b.OnLogic = {"V" + std::to_string(block) + "=AND(" + Operand(operands, r) + ")"};
            ++block;
        }
    }
    interlock::RecalculateAll(ws);
    return made;
}

// The explicit system: positions as bit masks over the usable apparatus.
class Reference {
public:
    Reference(const interlock::Workspace& ws, const Made& made, bool free)
        : ws_(ws), made_(made), free_(free) {
        for (const RefApparatus& a : made.apparatus)
            if (a.usable) usable_.push_back(a);
        const int states = 1 << usable_.size();
        for (int n = 1; n <= interlock::kBlockCount; ++n) {
            if (ws.Blocks[n].IsEmpty()) continue;
            const int ts = std::abs(ws.Blocks[n].StateSignal);
            for (size_t i = 0; i < usable_.size(); ++i)
                if (usable_[i].ts == ts) blocks_.push_back({n, static_cast<int>(i)});
        }
        allowed_.assign(states, std::vector<uint8_t>(2 * blocks_.size()));
        const int fieldCombos = free_ ? 1 << made.field.size() : 1;
        for (int s = 0; s < states; ++s) {
            for (int fc = 0; fc < fieldCombos; ++fc) {
                Set(s, fc);
                for (size_t j = 0; j < blocks_.size(); ++j) {
                    const int n = blocks_[j].first;
                    interlock::Recalculate(ws_, n);
                    const interlock::Block& b = ws_.Blocks[n];
                    const bool on = interlock::ApparatusIsOn(ws_, b.StateSignal);
                    if (!on && b.OnResult == 1 && !b.OnError) allowed_[s][2 * j] = 1;
                    if (on && b.OffResult == 1 && !b.OffError) allowed_[s][2 * j + 1] = 1;
                }
            }
        }
        start_ = 0;
        for (size_t i = 0; i < usable_.size(); ++i)
            if (ws.TsTable.Value[usable_[i].ts] & 1) start_ |= 1 << i;
        dist_.assign(states, -1);
        std::vector<int> queue{start_};
        dist_[start_] = 0;
        for (size_t q = 0; q < queue.size(); ++q) {
            const int s = queue[q];
            for (size_t j = 0; j < blocks_.size(); ++j) {
                for (int side = 0; side < 2; ++side) {
                    if (!allowed_[s][2 * j + side]) continue;
                    const int next = s ^ (1 << blocks_[j].second);
                    if (dist_[next] < 0) {
                        dist_[next] = dist_[s] + 1;
                        queue.push_back(next);
                    }
                }
            }
        }
    }

    // The TS values of position mask s and field combination fc (free mode).
    void Set(int s, int fc) {
        ws_.TsTable.Value = base_.TsTable.Value;
        for (size_t i = 0; i < usable_.size(); ++i) {
            const int16_t v = static_cast<int16_t>((s >> i) & 1);
            ws_.TsTable.Value[usable_[i].ts] = v;
            if (usable_[i].pair) ws_.TsTable.Value[usable_[i].ts + 1] = static_cast<int16_t>(1 - v);
        }
        if (!free_) return;
        for (size_t i = 0; i < made_.field.size(); ++i) {
            const int16_t v = static_cast<int16_t>((fc >> i) & 1);
            ws_.TsTable.Value[made_.field[i].ts] = v;
            if (made_.field[i].pair) ws_.TsTable.Value[made_.field[i].ts + 1] = static_cast<int16_t>(1 - v);
        }
    }

    int FieldCombos() const { return free_ ? 1 << made_.field.size() : 1; }
    int States() const { return 1 << usable_.size(); }
    int Start() const { return start_; }
    int Distance(int s) const { return dist_[s]; }
    int Reached() const {
        int n = 0;
        for (int d : dist_) n += d >= 0;
        return n;
    }
    // The shortest distance to a state where c holds (for some / every field combination).
    int DistanceTo(const analysis::Condition& c, bool negate = false) {
        int best = -1;
        for (int s = 0; s < States(); ++s) {
            if (dist_[s] < 0 || (best >= 0 && dist_[s] >= best)) continue;
            for (int fc = 0; fc < FieldCombos(); ++fc) {
                Set(s, fc);
                if (analysis::EvaluateCondition(c, ws_.TsTable) != negate) {
                    best = dist_[s];
                    break;
                }
            }
        }
        return best;
    }
    bool NeverAllowed(int block, interlock::Side side) const {
        for (size_t j = 0; j < blocks_.size(); ++j) {
            if (blocks_[j].first != block) continue;
            for (int s = 0; s < States(); ++s)
                if (dist_[s] >= 0 && allowed_[s][2 * j + (side == interlock::Side::Off)]) return false;
        }
        return true;
    }
    bool Allowed(int s, int block, interlock::Side side) const {
        for (size_t j = 0; j < blocks_.size(); ++j)
            if (blocks_[j].first == block) return allowed_[s][2 * j + (side == interlock::Side::Off)];
        return false;
    }
    // The fewest apparatus changes from a reached state to one that allows the operation.
    int FewestChanges(int block, interlock::Side side) const {
        int best = -1;
        for (int a = 0; a < States(); ++a) {
            if (!Allowed(a, block, side)) continue;
            for (int s = 0; s < States(); ++s) {
                if (dist_[s] < 0) continue;
                const int d = __builtin_popcount(static_cast<unsigned>(a ^ s));
                if (best < 0 || d < best) best = d;
            }
        }
        return best;
    }
    const std::vector<RefApparatus>& Usable() const { return usable_; }
    interlock::Workspace& Scratch() { return ws_; }

private:
    interlock::Workspace ws_;
    interlock::Workspace base_{ws_};
    const Made& made_;
    bool free_;
    std::vector<RefApparatus> usable_;
    std::vector<std::pair<int, int>> blocks_;  // block, usable apparatus index
    std::vector<std::vector<uint8_t>> allowed_;
    std::vector<int> dist_;
    int start_ = 0;
};

}  // namespace sequences::test
