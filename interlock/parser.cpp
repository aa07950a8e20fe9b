// One pass over a logic text: every line is checked against the grammar and evaluated at the
// same time. The first error ends the parse and is stored in the block.

#include "interlock/parser.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "interlock/int_rule.h"
#include "interlock/engine_texts.h"

namespace interlock {
namespace {

// What one parse keeps while it walks the lines.
struct ParseState {
    std::array<bool, kMCount + 1> assigned{};
    uint8_t maxUnreliability = 0;
    std::array<uint8_t, kTsCount + 1> unreliability{};
    bool outputAssigned = false;
};

struct LineError {
    std::string message;
};

std::string Quoted(const std::string& prefix, std::string_view body) {
    std::string s = prefix;
    s.append(body);
    s.push_back('"');
    return s;
}

// Folds one operand value into the accumulator of an AND (decided by 0) or an OR (decided by 1).
void Fold(bool isAnd, uint8_t value, uint8_t& acc, bool& decided) {
    if (decided) return;
    if (isAnd && value == 0) {
        acc = 0;
        decided = true;
    } else if (!isAnd && value == 1) {
        acc = 1;
        decided = true;
    }
}

void RecordUnreliability(const Workspace& ws, int n, ParseState& st) {
    const uint8_t code = ws.TsTable.Unreliability[n];
    if (code == 0) return;
    if (code == 1 && st.maxUnreliability < 2) {
        st.maxUnreliability = 1;
        st.unreliability[n] = 1;
    } else if (code == 2) {
        st.maxUnreliability = 2;
        st.unreliability[n] = 2;
    }
}

uint32_t DigitValue(char c) { return static_cast<uint32_t>(static_cast<unsigned char>(c)) - '0'; }

// The common operand, read in one walk: an optional "~", the letter S, D or M, then one to three
// decimal digits that read 1..256, ended by "," or ")" or the end of the line. On success `end`
// is the position of the character that ended it. Any other operand, well formed or not, is
// left to the general reading of the line procedure.
bool ReadPlainOperand(std::string_view line, size_t start, size_t& end, bool& inverted, char& letter,
                      int32_t& n) {
    const char* const s = line.data();
    const size_t len = line.size();
    size_t i = start;
    const bool tilde = i < len && s[i] == '~';
    if (tilde) ++i;
    if (i + 1 >= len) return false;  // no room for the letter and a digit
    const char c = s[i];
    if (c != 'S' && c != 'D' && c != 'M') return false;
    uint32_t v = DigitValue(s[++i]);
    if (v > 9) return false;
    if (++i < len && DigitValue(s[i]) <= 9) {
        v = v * 10 + DigitValue(s[i]);
        if (++i < len && DigitValue(s[i]) <= 9) {
            v = v * 10 + DigitValue(s[i]);
            ++i;
        }
    }
    if (i < len && s[i] != ',' && s[i] != ')') return false;  // a fourth digit or anything else
    if (v < 1 || v > static_cast<uint32_t>(kTsCount)) return false;
    end = i;
    inverted = tilde;
    letter = c;
    n = static_cast<int32_t>(v);
    return true;
}

// Any operand, by the rules of the line procedure: the first character is taken whatever it is,
// then every character up to "," or ")" or the end of the line. Returns the operand's error, if
// any; otherwise `end` is the position of the character that ended it.
std::optional<LineError> ReadOperand(std::string_view line, size_t start, size_t& end, bool& inverted,
                                     char& letter, int32_t& n, const EngineTexts& tx) {
    const size_t len = line.size();
    bool opening = start < len && line[start] == '(';  // "(" anywhere in the operand is an error
    size_t q = start < len ? start + 1 : start;
    for (; q < len; ++q) {
        const char c = line[q];
        if (c == ')' || c == ',') break;
        if (c == '(') opening = true;
    }
    std::string_view operand = line.substr(start, q - start);
    if (opening) return LineError{tx.repeatedBracket};
    if (operand.empty() || operand == "~" || operand == ",~") return LineError{tx.emptyVariable};
    inverted = operand.front() == '~';
    if (inverted) operand.remove_prefix(1);
    if (!IsIntInRange(operand.substr(1), 1, kTsCount, &n))
        return LineError{Quoted(tx.badInputPrefix, operand)};
    letter = operand.front();
    if (letter != 'S' && letter != 'D' && letter != 'M')
        return LineError{Quoted(tx.badOperandPrefix, operand)};
    end = q;
    return std::nullopt;
}

// Checks and evaluates one line (already cut to 100 characters). Returns an error, if any.
std::optional<LineError> ParseLine(Workspace& ws, Block& block, Side side, std::string_view line,
                                   ParseState& st, const EngineTexts& tx) {
    const size_t len = line.size();
    if (len == 0) return std::nullopt;

    const char target = line[0];
    if (target != 'V' && target != 'M') return LineError{tx.badVariable};
    if (len > 1 && line[1] == '=') return LineError{tx.noTargetNumber};

    // Target number: from the second character (always taken) up to "=", "A" or "O".
    size_t j = 1;
    if (j < len) {
        ++j;
        while (j < len && line[j] != '=' && line[j] != 'A' && line[j] != 'O') ++j;
    }
    if (j >= len || line[j] != '=') return LineError{tx.noEquals};
    std::string_view numberText = line.substr(1, j - 1);
    int32_t targetNumber = 0;
    if (!IsIntInRange(numberText, 1, target == 'M' ? kMCount : kBlockCount, &targetNumber)) {
        std::string body(1, target);
        body.append(numberText);
        return LineError{Quoted(tx.badTargetPrefix, body)};
    }

    // Operation: between "=" and the first "(".
    const size_t opStart = j + 1;
    size_t bracket = opStart;
    while (bracket < len && line[bracket] != '(') ++bracket;
    std::string_view op = line.substr(opStart, bracket - opStart);
    if (op.empty()) return LineError{tx.noOperation};
    std::string_view opCut = op.substr(0, std::min<size_t>(op.size(), 15));
    if (bracket == len) return LineError{Quoted(tx.badOperationPrefix, opCut)};
    bool negated = false;
    std::string_view opName = opCut;
    if (!opName.empty() && opName.front() == '~') {
        negated = true;
        opName.remove_prefix(1);
    }
    bool isAnd;
    if (opName == "AND") {
        isAnd = true;
    } else if (opName == "OR") {
        isAnd = false;
    } else {
        return LineError{Quoted(tx.badOperationPrefix, opCut)};
    }
    uint8_t acc = isAnd ? 1 : 0;
    bool decided = false;

    // Operands. The first one is always looked at, even when the line ends right after "(".
    size_t p = bracket + 1;
    bool closed = false;
    do {
        if (closed) return LineError{tx.dataAfterBracket};
        const size_t start = std::min(p, len);
        size_t q = 0;
        bool inverted = false;
        int32_t n = 0;
        char letter = 0;
        if (!ReadPlainOperand(line, start, q, inverted, letter, n)) {
            if (std::optional<LineError> e = ReadOperand(line, start, q, inverted, letter, n, tx)) return e;
        }
        if (q < len && line[q] == ')') closed = true;
        uint8_t value = 0;
        if (letter == 'S' || letter == 'D') {
            TsTableData& t = ws.TsTable;
            t.UsedInLogic[n] = 1;
            if (t.TwoPosition[n]) {
                if (n == kTsCount) return LineError{tx.badPairD256};
                if (PairInvalid(ws, n)) {
                    std::string msg = tx.badPairData + std::to_string(n);
                    if (!t.Name[n].empty()) msg += "\n\r(" + t.Name[n] + ")\n\r";
                    return LineError{msg};
                }
            }
            value = static_cast<uint8_t>(t.Value[n] & 0xFF);
            if (inverted) value ^= 1;
            RecordUnreliability(ws, n, st);
        } else {
            if (n < 1 || n > kMCount) return LineError{Quoted(tx.badInputPrefix, "M" + std::to_string(n))};
            if (!st.assigned[n]) return LineError{Quoted(tx.unknownInputPrefix, "M" + std::to_string(n))};
            value = ws.MVariables.Value[n] == 1 ? 1 : 0;
            if (inverted) value ^= 1;
        }
        Fold(isAnd, value, acc, decided);
        p = q + 1;
    } while (p < len);

    if (!closed) return LineError{tx.noClosingBracket};
    if (negated) acc ^= 1;

    if (target == 'M') {
        st.assigned[targetNumber] = true;
        ws.MVariables.Value[targetNumber] = acc;
        return std::nullopt;
    }
    if (targetNumber != block.Number) return LineError{tx.wrongOutput};
    if (st.outputAssigned) return LineError{tx.repeatedOutput};
    st.outputAssigned = true;
    block.Of(side).Result = acc;
    return std::nullopt;
}

std::string CandidateEntry(const Workspace& ws, int n) {
    const std::string& name = ws.TsTable.Name[n];
    const std::string value = std::to_string(ws.TsTable.Value[n]);
    if (!name.empty()) return "\n\r- " + name + " = " + value + " (" + Texts().ts + std::to_string(n) + ")";
    return "\n\r- " + Texts().ts + std::to_string(n) + " = " + value;
}

// One operand as the re-evaluation reads it.
struct FlipOperand {
    enum Kind : uint8_t { None, Ts, M } kind = None;  // None: an operand that reads as 0
    bool inverted = false;
    int16_t n = 0;
};

// One line as the re-evaluation reads it: lines it passes over are left out. Its operands are
// operands_[first, last) of the evaluator.
struct FlipLine {
    bool isM = false;
    int target = 1;
    bool isAnd = false;
    bool negated = false;
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t mRead = 0;  // bit n: the line reads M n
};

// The re-evaluation of one logic for many TS. The logic is decoded once and evaluated once
// without any change. A TS tried re-evaluates only the lines that read it or read an M variable
// whose value it changed; while no M variable differs, the run jumps from one line that reads
// the TS to the next, taking the M values and the output the unchanged run had there, and
// once no later line reads it the rest gives what it gave unchanged.
//
// The re-evaluation reads leniently: lines without "=" or "(" are passed over, numbers that do
// not read are taken as 1, any operation other than AND is an OR, and operands after the
// closing bracket are ignored.
class FlipEvaluator {
public:
    // Decodes and evaluates the logic unchanged, which marks every TS it reads in UsedInLogic.
    FlipEvaluator(Workspace& ws, const std::vector<std::string>& logic) : ws_(ws) {
        Decode(logic);
        IndexReaders();

        Run run;
        int32_t lastOutput = -1;
        before_.reserve(lines_.size());
        base_.reserve(lines_.size());
        outputBefore_.reserve(lines_.size() + 1);
        for (size_t i = 0; i < lines_.size(); ++i) {
            const FlipLine& line = lines_[i];
            before_.push_back(run);
            outputBefore_.push_back(lastOutput);
            for (uint32_t j = line.first; j < line.last; ++j) {
                if (operands_[j].kind == FlipOperand::Ts) ws_.TsTable.UsedInLogic[operands_[j].n] = 1;
            }
            const uint8_t acc = Evaluate(line, run.m, 0);
            base_.push_back(acc);
            Assign(line, acc, run);
            if (!line.isM) lastOutput = static_cast<int32_t>(i);
        }
        outputBefore_.push_back(lastOutput);
        baseAllows_ = run.outputSeen && run.output == 1;
        // From line i on, the output of the unchanged run: set when a V line follows.
        laterOutput_.assign(lines_.size() + 1, -1);
        for (size_t i = lines_.size(); i-- > 0;) {
            laterOutput_[i] = lines_[i].isM ? laterOutput_[i + 1]
                                            : (laterOutput_[i + 1] >= 0 ? laterOutput_[i + 1] : base_[i]);
        }
    }

    // True when the logic, with TS k complemented, assigns 1 to its output.
    bool Allows(int k) const {
        if (k < 1 || k > kTsCount || readerStart_[k] == readerStart_[k + 1]) return baseAllows_;
        const uint32_t* reader = readers_.data() + readerStart_[k];
        const uint32_t* const readersEnd = readers_.data() + readerStart_[k + 1];
        size_t i = *reader;
        Run run = before_[i];
        uint32_t changed = 0;  // bit n: M n differs from its value without the change
        while (i < lines_.size()) {
            while (reader != readersEnd && *reader < i) ++reader;
            const bool readsK = reader != readersEnd && *reader == i;
            if (changed == 0 && !readsK) {
                if (reader == readersEnd) {
                    // Nothing differs any more: the rest runs as without the change.
                    if (laterOutput_[i] >= 0) return laterOutput_[i] == 1;
                    break;
                }
                // Up to the next line that reads k every line gives its unchanged value.
                const size_t next = *reader;
                run.m = before_[next].m;
                if (outputBefore_[next] >= static_cast<int32_t>(i)) {
                    run.outputSeen = true;
                    run.output = before_[next].output;
                }
                i = next;
                continue;
            }
            const FlipLine& line = lines_[i];
            const bool affected = readsK || (line.mRead & changed) != 0;
            const uint8_t acc = affected ? Evaluate(line, run.m, k) : base_[i];
            if (line.isM && line.target >= 1 && line.target <= kMCount) {
                if (acc != base_[i]) {
                    changed |= 1u << line.target;
                } else {
                    changed &= ~(1u << line.target);
                }
            }
            Assign(line, acc, run);
            ++i;
        }
        return run.outputSeen && run.output == 1;
    }

private:
    // The state of a run between two lines.
    struct Run {
        std::array<uint8_t, kMCount + 1> m{};
        bool outputSeen = false;
        uint8_t output = 0;
    };

    void Decode(const std::vector<std::string>& logic) {
        lines_.reserve(logic.size());
        for (const std::string& full : logic) {
            std::string_view line(full.data(), std::min(full.size(), kLogicLineLimit));
            if (line.empty() || (line[0] != 'V' && line[0] != 'M')) continue;
            const size_t len = line.size();
            size_t eq = line.find('=');
            if (eq == std::string_view::npos) continue;
            size_t bracket = eq + 1;
            while (bracket < len && line[bracket] != '(') ++bracket;
            if (bracket == len) continue;

            FlipLine out;
            out.isM = line[0] == 'M';
            int32_t target = 0;
            out.target = IsIntInRange(line.substr(1, eq - 1), 1, kTsCount, &target) ? target : 1;
            std::string_view op = line.substr(eq + 1, bracket - eq - 1);
            out.negated = !op.empty() && op.front() == '~';
            if (out.negated) op.remove_prefix(1);
            out.isAnd = op == "AND";
            out.first = static_cast<uint32_t>(operands_.size());

            size_t p = bracket + 1;
            while (p < len) {
                size_t q = p + 1;
                while (q < len && line[q] != ')' && line[q] != ',') ++q;
                std::string_view operand = line.substr(p, q - p);
                FlipOperand o;
                o.inverted = operand.front() == '~';
                if (o.inverted) operand.remove_prefix(1);
                if (!operand.empty()) {
                    int32_t n = 0;
                    o.n = static_cast<int16_t>(IsIntInRange(operand.substr(1), 1, kTsCount, &n) ? n : 1);
                    char letter = operand.front();
                    if (letter == 'S' || letter == 'D') {
                        o.kind = FlipOperand::Ts;
                    } else if (letter == 'M') {
                        o.kind = FlipOperand::M;
                        if (o.n <= kMCount) out.mRead |= 1u << o.n;
                    }
                }
                operands_.push_back(o);
                if (q < len && line[q] == ')') break;
                p = q + 1;
            }
            out.last = static_cast<uint32_t>(operands_.size());
            lines_.push_back(out);
        }
    }

    // For every TS the lines that read it, in order: readers_[readerStart_[k], readerStart_[k + 1]).
    void IndexReaders() {
        readerStart_.fill(0);
        std::array<uint32_t, kTsCount + 2> lastReader;
        lastReader.fill(UINT32_MAX);
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            for (uint32_t j = lines_[i].first; j < lines_[i].last; ++j) {
                const FlipOperand& o = operands_[j];
                if (o.kind != FlipOperand::Ts || lastReader[o.n] == i) continue;
                lastReader[o.n] = i;
                ++readerStart_[o.n + 1];
            }
        }
        for (int k = 1; k <= kTsCount + 1; ++k) readerStart_[k] += readerStart_[k - 1];
        readers_.resize(readerStart_[kTsCount + 1]);
        std::array<uint32_t, kTsCount + 2> fill = readerStart_;
        lastReader.fill(UINT32_MAX);
        for (uint32_t i = 0; i < lines_.size(); ++i) {
            for (uint32_t j = lines_[i].first; j < lines_[i].last; ++j) {
                const FlipOperand& o = operands_[j];
                if (o.kind != FlipOperand::Ts || lastReader[o.n] == i) continue;
                lastReader[o.n] = i;
                readers_[fill[o.n]++] = i;
            }
        }
    }

    // One decoded line with the M values m and TS k complemented (k = 0: none). The operands
    // after the one that decides the line are not looked at.
    uint8_t Evaluate(const FlipLine& line, const std::array<uint8_t, kMCount + 1>& m, int k) const {
        const auto& values = ws_.TsTable.Value;
        uint8_t acc = line.isAnd ? 1 : 0;
        for (uint32_t j = line.first; j < line.last; ++j) {
            const FlipOperand& o = operands_[j];
            uint8_t value = 0;
            if (o.kind == FlipOperand::Ts) {
                value = static_cast<uint8_t>(values[o.n] & 0xFF);
                if (o.inverted) value ^= 1;
                if (o.n == k) value ^= 1;
            } else if (o.kind == FlipOperand::M) {
                value = (o.n <= kMCount && m[o.n] == 1) ? 1 : 0;
                if (o.inverted) value ^= 1;
            }
            if (line.isAnd ? value == 0 : value == 1) {
                acc = line.isAnd ? 0 : 1;
                break;
            }
        }
        if (line.negated) acc ^= 1;
        return acc;
    }

    static void Assign(const FlipLine& line, uint8_t acc, Run& run) {
        if (line.isM) {
            if (line.target >= 1 && line.target <= kMCount) run.m[line.target] = acc;
        } else {
            run.outputSeen = true;
            run.output = acc;
        }
    }

    Workspace& ws_;
    std::vector<FlipLine> lines_;
    std::vector<FlipOperand> operands_;
    std::array<uint32_t, kTsCount + 2> readerStart_;  // see IndexReaders
    std::vector<uint32_t> readers_;
    std::vector<int32_t> outputBefore_;  // the last V line before line i, or -1
    std::vector<Run> before_;            // the unchanged run before every line
    std::vector<uint8_t> base_;          // the value of every line without any change
    std::vector<int8_t> laterOutput_;    // the unchanged output assigned from line i on, or -1
    bool baseAllows_ = false;
};

void BuildSideCandidates(Workspace& ws, Block& block, Side side) {
    Block::SideFields f = block.Of(side);
    if (f.Result != 0) return;
    // The logic is decoded and evaluated on the first TS tried, which marks every TS it reads.
    std::optional<FlipEvaluator> evaluator;
    for (int n = 1; n <= kTsCount; ++n) {
        if (!ws.TsTable.UsedInLogic[n]) continue;
        if (!evaluator) evaluator.emplace(ws, f.Logic);
        if (!evaluator->Allows(n)) continue;
        f.HasCandidates = true;
        f.Candidates += CandidateEntry(ws, n);
    }
}

}  // namespace

void ReportLogicError(Workspace& ws, Block& block, const std::string& message, const std::string* line,
                      Side side) {
    Block::SideFields f = block.Of(side);
    f.Error = true;
    f.ErrorMessage = message;
    if (line) {
        f.ErrorMessage += Texts().inLine;
        f.ErrorMessage += "\r\r";
        f.ErrorMessage += *line;
        f.ErrorLine = *line;
    } else {
        f.ErrorLine.clear();
    }
    PaintBlockStatus(ws, block.Number, BlockStatus::Erroneous);
}

void ParseLogic(Workspace& ws, Block& block, Side side) {
    Block::SideFields f = block.Of(side);
    f.Result = 0;
    f.Error = false;
    f.ErrorMessage.clear();
    f.Unreliability[0] = 0;
    if (f.Logic.empty()) {
        f.Empty = true;
        return;
    }
    std::fill(f.Unreliability.begin() + 1, f.Unreliability.end(), 0);
    ParseState st;
    const EngineTexts& tx = Texts();

    for (const std::string& full : f.Logic) {
        const std::string_view line(full.data(), std::min(full.size(), kLogicLineLimit));
        if (std::optional<LineError> e = ParseLine(ws, block, side, line, st, tx)) {
            // A logic that stops at an error has no verdict.
            f.Result = 0;
            const std::string cut(line);
            ReportLogicError(ws, block, e->message, &cut, side);
            return;
        }
    }
    if (!st.outputAssigned) {
        ReportLogicError(ws, block, tx.noOutput, nullptr, side);
        return;
    }
    f.Empty = false;
    if (st.maxUnreliability > 0) {
        f.Unreliability[0] = st.maxUnreliability;
        std::copy(st.unreliability.begin() + 1, st.unreliability.end(), f.Unreliability.begin() + 1);
    }
    if (block.Number == ws.CurrentBlock && !IsErroneous(ws, block)) BuildCandidates(ws, block);
}

void BuildCandidates(Workspace& ws, Block& block) {
    block.OnHasCandidates = false;
    block.OffHasCandidates = false;
    block.OnCandidates.clear();
    block.OffCandidates.clear();
    BuildSideCandidates(ws, block, Side::On);
    BuildSideCandidates(ws, block, Side::Off);
}

bool ReevaluateWithFlip(Workspace& ws, const Block& block, int k, Side side) {
    return FlipEvaluator(ws, block.Of(side).Logic).Allows(k);
}

}  // namespace interlock
