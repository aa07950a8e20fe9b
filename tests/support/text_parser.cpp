#include "tests/support/text_parser.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "interlock/engine_texts.h"
#include "interlock/int_rule.h"
#include "interlock/line_reader.h"
#include "interlock/parser.h"

namespace interlock::twin {
namespace {

using line_reader::LineError;
using line_reader::Quoted;
using line_reader::ReadOperand;
using line_reader::ReadPlainOperand;

// How one reading of the text goes: the TS complemented (0: none), whether refused pairs stop
// it, and what it keeps while it walks the lines.
struct ParseState {
    int flipped = 0;
    bool checkPairs = true;
    std::array<bool, kMCount + 1> assigned{};
    uint8_t maxUnreliability = 0;
    std::array<uint8_t, kTsCount + 1> unreliability{};
    bool outputAssigned = false;
    uint8_t output = 0;
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
std::optional<LineError> ParseLine(Workspace& ws, int number, std::string_view line, ParseState& st,
                                   const EngineTexts& tx) {
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
            if (st.checkPairs && t.TwoPosition[n]) {
                if (n == kTsCount) return LineError{tx.badPairD256};
                if (PairInvalid(ws, n)) {
                    std::string msg = tx.badPairData + std::to_string(n);
                    if (!t.Name[n].empty()) msg += "\n\r(" + t.Name[n] + ")\n\r";
                    return LineError{msg};
                }
            }
            value = static_cast<uint8_t>(t.Value[n] & 0xFF);
            if (inverted) value ^= 1;
            if (n == st.flipped) value ^= 1;
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
    if (targetNumber != number) return LineError{tx.wrongOutput};
    if (st.outputAssigned) return LineError{tx.repeatedOutput};
    st.outputAssigned = true;
    st.output = acc;
    return std::nullopt;
}

// Reads every line of the text; the first error, with the line it stopped at, ends the reading.
std::optional<std::pair<LineError, std::string>> ReadText(Workspace& ws, int number, const LogicText& logic,
                                                          ParseState& st) {
    const EngineTexts& tx = Texts();
    for (const std::string& full : logic) {
        const std::string_view line(full.data(), std::min(full.size(), kLogicLineLimit));
        if (std::optional<LineError> e = ParseLine(ws, number, line, st, tx))
            return std::make_pair(std::move(*e), std::string(line));
    }
    return std::nullopt;
}

std::string CandidateEntry(const Workspace& ws, int n) {
    const std::string& name = ws.TsTable.Name[n];
    const std::string value = std::to_string(ws.TsTable.Value[n]);
    if (!name.empty()) return "\n\r- " + name + " = " + value + " (" + Texts().ts + std::to_string(n) + ")";
    return "\n\r- " + Texts().ts + std::to_string(n) + " = " + value;
}

// Every TS marked used, ascending, tried by parsing the whole text again with it complemented;
// the M values the tries leave are put back.
void SideCandidates(Workspace& ws, Block& block, Side side) {
    Block::SideFields f = block.Of(side);
    if (f.Result != 0) return;
    const auto mBefore = ws.MVariables.Value;
    // A text with an error of its own (not parsed since it changed) has nothing to search.
    const auto usedBefore = ws.TsTable.UsedInLogic;
    ParseState probe;
    probe.checkPairs = false;
    const bool sound = !ReadText(ws, block.Number, f.Logic, probe) && probe.outputAssigned;
    ws.TsTable.UsedInLogic = usedBefore;
    ws.MVariables.Value = mBefore;
    if (!sound) return;
    for (int n = 1; n <= kTsCount; ++n) {
        if (!ws.TsTable.UsedInLogic[n]) continue;
        if (AllowsWithFlip(ws, block, n, side)) {
            f.HasCandidates = true;
            f.Candidates += CandidateEntry(ws, n);
        }
    }
    ws.MVariables.Value = mBefore;
}

}  // namespace

bool AllowsWithFlip(Workspace& ws, const Block& block, int k, Side side) {
    ParseState st;
    st.flipped = k;
    st.checkPairs = false;
    const auto mBefore = ws.MVariables.Value;
    const bool allows =
        !ReadText(ws, block.Number, block.Of(side).Logic, st) && st.outputAssigned && st.output == 1;
    ws.MVariables.Value = mBefore;
    return allows;
}

void ParseText(Workspace& ws, Block& block, Side side) {
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
    if (auto e = ReadText(ws, block.Number, f.Logic, st)) {
        // A logic that stops at an error has no verdict.
        ReportLogicError(ws, block, e->first.message, &e->second, side);
        return;
    }
    if (!st.outputAssigned) {
        ReportLogicError(ws, block, Texts().noOutput, nullptr, side);
        return;
    }
    f.Result = st.output;
    f.Empty = false;
    if (st.maxUnreliability > 0) {
        f.Unreliability[0] = st.maxUnreliability;
        std::copy(st.unreliability.begin() + 1, st.unreliability.end(), f.Unreliability.begin() + 1);
    }
    if (block.Number != ws.CurrentBlock || IsErroneous(ws, block)) return;
    block.OnHasCandidates = false;
    block.OffHasCandidates = false;
    block.OnCandidates.clear();
    block.OffCandidates.clear();
    SideCandidates(ws, block, Side::On);
    SideCandidates(ws, block, Side::Off);
}

}  // namespace interlock::twin
