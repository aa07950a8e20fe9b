// One pass over a logic text: every line is checked against the grammar and evaluated at the
// same time. The first error ends the parse and is stored in the block.

#include "interlock/parser.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "interlock/int_rule.h"
#include "interlock/compiled_logic.h"
#include "interlock/engine_texts.h"
#include "interlock/flip_evaluator.h"
#include "interlock/line_reader.h"

namespace interlock {
namespace {

using line_reader::LineError;
using line_reader::Quoted;
using line_reader::ReadOperand;
using line_reader::ReadPlainOperand;

// What one parse keeps while it walks the lines.
struct ParseState {
    std::array<bool, kMCount + 1> assigned{};
    uint8_t maxUnreliability = 0;
    std::array<uint8_t, kTsCount + 1> unreliability{};
    bool outputAssigned = false;
};

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

// The TS, ascending, whose change alone makes the logic give 1: every TS marked used is tried,
// and the evaluation of the first one tried marks the TS the logic reads.
std::vector<uint16_t> AllowingTs(Workspace& ws, const FlipCode* code, const LogicText& logic) {
    std::vector<uint16_t> allowing;
    std::optional<FlipCode> decoded;
    std::optional<FlipEvaluator> evaluator;
    for (int n = 1; n <= kTsCount; ++n) {
        if (!ws.TsTable.UsedInLogic[n]) continue;
        if (!evaluator) {
            if (!code) code = &decoded.emplace(FlipCode::Decode(logic));
            evaluator.emplace(ws, *code);
        }
        if (evaluator->Allows(n)) allowing.push_back(static_cast<uint16_t>(n));
    }
    return allowing;
}

void BuildSideCandidates(Workspace& ws, Block& block, Side side) {
    Block::SideFields f = block.Of(side);
    if (f.Result != 0) return;
    const CompiledLogic* form = ws.ReadLogicAsText ? nullptr : &CompiledFormOf(f.Logic, block.Number);
    std::vector<uint16_t> computed;
    const std::vector<uint16_t>* allowing = &computed;
    if (form && form->flip) {
        // A refresh searches the same logic with the same values several times: the search
        // depends on nothing else, so the last one is taken again, marks included.
        std::optional<CompiledLogic::CandidateSearch>& last = form->lastSearch;
        const TsTableData& t = ws.TsTable;
        if (last && last->values == t.Value && last->usedBefore == t.UsedInLogic) {
            if (std::any_of(t.UsedInLogic.begin() + 1, t.UsedInLogic.begin() + 1 + kTsCount,
                            [](uint8_t used) { return used != 0; }))
                MarkUsed(ws, form->flip->read);
        } else {
            last.reset();
            CompiledLogic::CandidateSearch search{t.Value, t.UsedInLogic, {}};
            search.allowing = AllowingTs(ws, &*form->flip, f.Logic);
            last = std::move(search);
        }
        allowing = &last->allowing;
    } else {
        computed = AllowingTs(ws, nullptr, f.Logic);
    }
    for (uint16_t n : *allowing) {
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
    if (!ws.ReadLogicAsText) {
        EvaluateCompiled(ws, block, side);
        return;
    }
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
    const FlipCode code = FlipCode::Decode(block.Of(side).Logic);
    return FlipEvaluator(ws, code).Allows(k);
}

}  // namespace interlock
