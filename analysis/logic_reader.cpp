#include "analysis/logic_reader.h"

#include <algorithm>
#include <string_view>

#include "interlock/int_rule.h"
#include "interlock/parser.h"

namespace analysis {
namespace {

using interlock::IsIntInRange;

// One line cut to the length the parser reads. False when it does not read as an assignment
// with a closed operand list.
bool ReadLine(std::string_view line, LogicLine& out) {
    const size_t len = line.size();
    if (len < 2 || (line[0] != 'V' && line[0] != 'M')) return false;
    out.target = line[0];
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq < 2) return false;
    int32_t target = 0;
    if (!IsIntInRange(line.substr(1, eq - 1), 1,
                      out.target == 'M' ? interlock::kMCount : interlock::kBlockCount, &target))
        return false;
    out.targetNumber = target;
    const size_t bracket = line.find('(', eq);
    if (bracket == std::string_view::npos) return false;
    std::string_view op = line.substr(eq + 1, bracket - eq - 1);
    out.negated = !op.empty() && op.front() == '~';
    if (out.negated) op.remove_prefix(1);
    if (op == "AND") {
        out.isAnd = true;
    } else if (op == "OR") {
        out.isAnd = false;
    } else {
        return false;
    }
    size_t p = bracket + 1;
    bool closed = false;
    while (p < len && !closed) {
        // The first character is taken whatever it is, then everything up to "," or ")".
        size_t q = p + 1;
        while (q < len && line[q] != ',' && line[q] != ')') ++q;
        std::string_view text = line.substr(p, q - p);
        closed = q < len && line[q] == ')';
        Operand o;
        o.text = std::string(text);
        o.inverted = text.front() == '~';
        if (o.inverted) text.remove_prefix(1);
        int32_t n = 0;
        if (text.empty() || !IsIntInRange(text.substr(1), 1, interlock::kTsCount, &n)) return false;
        o.letter = text.front();
        o.number = n;
        if (o.letter != 'S' && o.letter != 'D' && o.letter != 'M') return false;
        if (o.letter == 'M' && n > interlock::kMCount) return false;
        out.operands.push_back(std::move(o));
        p = q + 1;
    }
    return closed && p >= len && !out.operands.empty();
}

}  // namespace

LogicStructure ReadLogic(const std::vector<std::string>& logic) {
    LogicStructure s;
    for (size_t i = 0; i < logic.size(); ++i) {
        const std::string& full = logic[i];
        LogicLine line;
        line.index = static_cast<int>(i);
        if (!ReadLine(std::string_view(full.data(), std::min(full.size(), interlock::kLogicLineLimit)), line))
            continue;
        if (line.target == 'V' && s.outputLine < 0) s.outputLine = static_cast<int>(s.lines.size());
        s.lines.push_back(std::move(line));
    }
    return s;
}

TextCheck::TextCheck(const interlock::Workspace& ws) : scratch_(std::make_unique<interlock::Workspace>()) {
    // Every pair reads as delivered by the server, so that no pair is invalid whatever the
    // values; the candidate search never runs in the scratch tables.
    scratch_->TsTable = ws.TsTable;
    scratch_->TsTable.FromServer.fill(1);
    scratch_->TsTable.Unreliability.fill(0);
    scratch_->CurrentBlock = 0;
}

TextCheck::~TextCheck() = default;

bool TextCheck::Accepted(const interlock::Workspace& ws, int blockNumber, interlock::Side side,
                         std::string* message) {
    interlock::Block& b = scratch_->Blocks[blockNumber];
    b.Of(side).Logic = ws.Blocks[blockNumber].Of(side).Logic;
    interlock::ParseLogic(*scratch_, b, side);
    const auto f = b.Of(side);
    if (message) *message = f.ErrorMessage;
    const bool accepted = !f.Error && !f.Empty;
    f.Logic.clear();  // the copy of a long text goes at once
    return accepted;
}

}  // namespace analysis
