#include "interlock/compiled_logic.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "interlock/engine_texts.h"
#include "interlock/int_rule.h"
#include "interlock/line_reader.h"
#include "interlock/parser.h"

namespace interlock {
namespace {

using line_reader::LineError;
using line_reader::Quoted;
using line_reader::ReadOperand;
using line_reader::ReadPlainOperand;

// "~" or nothing, the letter and the number in plain decimal digits.
std::string PlainSpelling(const FlipOperand& o) {
    std::string s = o.inverted ? "~" : "";
    s.push_back(o.letter);
    s += std::to_string(o.n);
    return s;
}

// True when `written` is the plain spelling of the operand.
bool IsPlainSpelling(std::string_view written, const FlipOperand& o) {
    size_t i = 0;
    if (o.inverted && (written.empty() || written[i++] != '~')) return false;
    if (i >= written.size() || written[i++] != o.letter) return false;
    if (i >= written.size() || written[i] == '0') return false;
    int value = 0;
    for (; i < written.size(); ++i) {
        const unsigned digit = static_cast<unsigned char>(written[i]) - unsigned{'0'};
        if (digit > 9 || value > kTsCount) return false;
        value = value * 10 + static_cast<int>(digit);
    }
    return value == o.n;
}

struct CompileState {
    std::array<bool, kMCount + 1> assigned{};
    bool outputAssigned = false;
};

// The line procedure of the parse, keeping what it decides instead of evaluating: the same
// checks in the same order, so that the same first error comes out. The operands read go to
// the form as they are met, also those of a line that then fails.
std::optional<LineError> CompileLine(CompiledLogic& form, std::string_view line, CompileState& st,
                                     const EngineTexts& tx) {
    const size_t len = line.size();
    const char target = line[0];
    if (target != 'V' && target != 'M') return LineError{tx.badVariable};
    if (len > 1 && line[1] == '=') return LineError{tx.noTargetNumber};

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

    const size_t opStart = j + 1;
    size_t bracket = opStart;
    while (bracket < len && line[bracket] != '(') ++bracket;
    std::string_view op = line.substr(opStart, bracket - opStart);
    if (op.empty()) return LineError{tx.noOperation};
    std::string_view opCut = op.substr(0, std::min<size_t>(op.size(), 15));
    if (bracket == len) return LineError{Quoted(tx.badOperationPrefix, opCut)};
    FlipLine out;
    std::string_view opName = opCut;
    if (!opName.empty() && opName.front() == '~') {
        out.negated = true;
        opName.remove_prefix(1);
    }
    if (opName == "AND") {
        out.isAnd = true;
    } else if (opName == "OR") {
        out.isAnd = false;
    } else {
        return LineError{Quoted(tx.badOperationPrefix, opCut)};
    }
    out.first = static_cast<uint32_t>(form.operands.size());

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
        FlipOperand o;
        o.inverted = inverted;
        o.n = static_cast<int16_t>(n);
        o.letter = letter;
        o.at = static_cast<uint8_t>(start);
        o.size = static_cast<uint8_t>(q - start);
        const std::string_view written = line.substr(start, q - start);
        if (!IsPlainSpelling(written, o)) {
            form.spelled.emplace_back(static_cast<uint32_t>(form.operands.size()), std::string(written));
        }
        if (letter == 'S' || letter == 'D') {
            o.kind = FlipOperand::Ts;
            if (!form.read[n]) {
                form.read[n] = 0xFF;
                form.firstReads.push_back(
                    {static_cast<uint16_t>(n), static_cast<uint32_t>(form.operands.size())});
            }
        } else {
            if (n < 1 || n > kMCount) return LineError{Quoted(tx.badInputPrefix, "M" + std::to_string(n))};
            if (!st.assigned[n]) return LineError{Quoted(tx.unknownInputPrefix, "M" + std::to_string(n))};
            o.kind = FlipOperand::M;
            out.mRead |= 1u << n;
        }
        form.operands.push_back(o);
        p = q + 1;
    } while (p < len);

    if (!closed) return LineError{tx.noClosingBracket};
    out.last = static_cast<uint32_t>(form.operands.size());
    if (target == 'M') {
        st.assigned[targetNumber] = true;
        out.isM = true;
        out.target = targetNumber;
        form.lines.push_back(out);
        return std::nullopt;
    }
    if (targetNumber != form.number) return LineError{tx.wrongOutput};
    if (st.outputAssigned) return LineError{tx.repeatedOutput};
    st.outputAssigned = true;
    out.isM = false;
    form.outputLine = static_cast<int>(form.lines.size());
    out.target = targetNumber;
    form.lines.push_back(out);
    return std::nullopt;
}

// The scans of the window over the whole lines: TS named by S or D (not the D of AND or END)
// and M variables read, each up to the next ")" or ",".
void ScanNamed(CompiledLogic& form, const std::vector<std::string>& lines) {
    std::array<bool, kTsCount + 1> named{};
    for (const std::string& line : lines) {
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c != 'S' && c != 'D' && c != 'M') continue;
            size_t end = i + 1;
            while (end < line.size() && line[end] != ')' && line[end] != ',') ++end;
            const std::string_view token = std::string_view(line).substr(i + 1, end - i - 1);
            int32_t n = 0;
            if (c == 'M') {
                if (IsIntInRange(token, 1, kMCount, &n)) form.readM |= 1u << n;
            } else if ((i == 0 || line[i - 1] != 'N') && IsIntInRange(token, 1, kTsCount, &n)) {
                named[n] = true;
            }
        }
    }
    for (int n = 1; n <= kTsCount; ++n) {
        if (named[n]) form.namedTs.push_back(static_cast<uint16_t>(n));
    }
}

// True when some TS read by the form has a byte other than 0 in `table` (indices 1..256).
bool AnyRead(const CompiledLogic& form, const std::array<uint8_t, kTsCount + 2>& table) {
    uint64_t any = 0;
    for (size_t i = 0; i < 256; i += 8) {
        uint64_t t = 0;
        uint64_t m = 0;
        std::memcpy(&t, table.data() + 1 + i, 8);
        std::memcpy(&m, form.read.data() + 1 + i, 8);
        any |= t & m;
    }
    return any != 0;
}

// Runs lines[0, count) of the form: M values into MVariables, the output's value returned
// (0 when no line assigns it).
uint8_t Run(Workspace& ws, const CompiledLogic& form, size_t count) {
    const auto& values = ws.TsTable.Value;
    auto& m = ws.MVariables.Value;
    const FlipOperand* operands = form.operands.data();
    uint8_t output = 0;
    for (size_t i = 0; i < count; ++i) {
        const FlipLine& line = form.lines[i];
        // AND is decided by an operand of value 0, OR by one of value 1; the rest is not read.
        const uint8_t decider = line.isAnd ? 0 : 1;
        uint8_t acc = line.isAnd ? 1 : 0;
        for (uint32_t j = line.first; j < line.last; ++j) {
            const FlipOperand& o = operands[j];
            uint8_t value = o.kind == FlipOperand::Ts ? static_cast<uint8_t>(values[o.n] & 0xFF)
                                                      : static_cast<uint8_t>(m[o.n] == 1 ? 1 : 0);
            value ^= static_cast<uint8_t>(o.inverted);
            if (value == decider) {
                acc = decider;
                break;
            }
        }
        acc ^= static_cast<uint8_t>(line.negated);
        if (line.isM) {
            m[line.target] = acc;
        } else {
            output = acc;
        }
    }
    return output;
}

// The operand at which a refused two-position pair stops the parse, with its TS, if any.
std::optional<CompiledLogic::FirstRead> RefusedPair(const Workspace& ws, const CompiledLogic& form) {
    if (!AnyRead(form, ws.TsTable.TwoPosition)) return std::nullopt;
    for (const CompiledLogic::FirstRead& r : form.firstReads) {
        if (ws.TsTable.TwoPosition[r.n] && (r.n == kTsCount || PairInvalid(ws, r.n))) return r;
    }
    return std::nullopt;
}

}  // namespace

std::shared_ptr<const CompiledLogic> CompileLogic(const std::vector<std::string>& lines, int number) {
    auto form = std::make_shared<CompiledLogic>();
    form->number = number;
    // An operand takes at least two characters and its separator one.
    size_t characters = 0;
    for (const std::string& line : lines) characters += std::min(line.size(), kLogicLineLimit);
    form->operands.reserve(characters / 3 + 1);
    form->lines.reserve(lines.size());
    form->lineSource.reserve(lines.size());
    const EngineTexts& tx = Texts();
    CompileState st;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& full = lines[i];
        const std::string_view line(full.data(), std::min(full.size(), kLogicLineLimit));
        if (line.empty()) continue;
        const size_t before = form->lines.size();
        if (std::optional<LineError> e = CompileLine(*form, line, st, tx)) {
            form->hasError = true;
            form->errorMessage = std::move(e->message);
            form->errorHasLine = true;
            form->errorLine = std::string(line);
            break;
        }
        if (form->lines.size() != before) form->lineSource.push_back(static_cast<uint32_t>(i));
    }
    if (!form->hasError && !st.outputAssigned) {
        form->hasError = true;
        form->errorMessage = tx.noOutput;
    }
    // The reservation above counts the shortest operands; a long logic gives the rest back.
    if (form->operands.capacity() > form->operands.size() + 4096) form->operands.shrink_to_fit();
    if (!form->hasError) form->flip = FlipCode::Index(form->lines, form->operands);
    ScanNamed(*form, lines);
    return form;
}

std::string CompiledLogic::OperandText(uint32_t j) const {
    const auto it = std::lower_bound(spelled.begin(), spelled.end(), j,
                                     [](const auto& entry, uint32_t k) { return entry.first < k; });
    if (it != spelled.end() && it->first == j) return it->second;
    return PlainSpelling(operands[j]);
}

const CompiledLogic& CompiledFormOf(const LogicText& text, int number) {
    const std::shared_ptr<const CompiledLogic>& form = text.compiled();
    if (form && form->number == number) return *form;
    text.setCompiled(CompileLogic(text, number));
    return *text.compiled();
}

void EvaluateCompiled(Workspace& ws, Block& block, Side side) {
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
    const CompiledLogic& form = CompiledFormOf(f.Logic, block.Number);

    if (std::optional<CompiledLogic::FirstRead> refused = RefusedPair(ws, form)) {
        // The parse stops at that operand: the TS up to it are marked, the lines before its
        // line have assigned their M variables.
        const uint32_t at = refused->operand;
        for (uint32_t j = 0; j <= at; ++j) {
            const FlipOperand& o = form.operands[j];
            if (o.kind == FlipOperand::Ts) ws.TsTable.UsedInLogic[o.n] = 1;
        }
        size_t done = 0;
        while (done < form.lines.size() && form.lines[done].last <= at) ++done;
        Run(ws, form, done);
        const int n = refused->n;
        const EngineTexts& tx = Texts();
        std::string message;
        if (n == kTsCount) {
            message = tx.badPairD256;
        } else {
            message = tx.badPairData + std::to_string(n);
            if (!ws.TsTable.Name[n].empty()) message += "\n\r(" + ws.TsTable.Name[n] + ")\n\r";
        }
        std::string line;
        if (done < form.lines.size()) {
            const std::string& full = f.Logic[form.lineSource[done]];
            line.assign(full, 0, std::min(full.size(), kLogicLineLimit));
        } else {
            line = form.errorLine;
        }
        f.Result = 0;
        ReportLogicError(ws, block, message, &line, side);
        return;
    }

    MarkUsed(ws, form.read);
    const uint8_t output = Run(ws, form, form.lines.size());
    if (form.hasError) {
        f.Result = 0;
        ReportLogicError(ws, block, form.errorMessage, form.errorHasLine ? &form.errorLine : nullptr, side);
        return;
    }
    f.Result = output;
    f.Empty = false;
    if (AnyRead(form, ws.TsTable.Unreliability)) {
        // A TS of manual unreliability counts only when met before any of hardware unreliability.
        uint8_t highest = 0;
        for (const CompiledLogic::FirstRead& r : form.firstReads) {
            const uint8_t code = ws.TsTable.Unreliability[r.n];
            if (code == 2 || (code == 1 && highest < 2)) {
                highest = code;
                f.Unreliability[r.n] = code;
            }
        }
        f.Unreliability[0] = highest;
    }
    if (block.Number == ws.CurrentBlock && !IsErroneous(ws, block)) BuildCandidates(ws, block);
}

}  // namespace interlock
