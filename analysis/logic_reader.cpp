#include "analysis/logic_reader.h"

#include "interlock/parser.h"

namespace analysis {

LogicStructure ReadLogic(const interlock::CompiledLogic& form) {
    LogicStructure s;
    s.outputLine = form.outputLine;
    s.lines.reserve(form.lines.size());
    for (size_t i = 0; i < form.lines.size(); ++i) {
        const interlock::FlipLine& from = form.lines[i];
        LogicLine& line = s.lines.emplace_back();
        line.index = static_cast<int>(form.lineSource[i]);
        line.target = from.isM ? 'M' : 'V';
        line.targetNumber = from.target;
        line.isAnd = from.isAnd;
        line.negated = from.negated;
        line.operands.reserve(from.last - from.first);
        for (uint32_t j = from.first; j < from.last; ++j) {
            const interlock::FlipOperand& o = form.operands[j];
            line.operands.push_back(Operand{o.letter, o.inverted, o.n, form.OperandText(j)});
        }
    }
    return s;
}

LogicStructure ReadLogic(const interlock::LogicText& text, int number) {
    return ReadLogic(interlock::CompiledFormOf(text, number));
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
    const interlock::LogicText& text = ws.Blocks[blockNumber].Of(side).Logic;
    if (text.empty()) {
        if (message) message->clear();
        return false;
    }
    // With every pair read as delivered, the parse refuses a pair only at a two-position TS 256;
    // otherwise it says what the compiled form says, which the text shares: no copy of a long
    // text is needed.
    const interlock::CompiledLogic& form = interlock::CompiledFormOf(text, blockNumber);
    if (!(scratch_->TsTable.TwoPosition[interlock::kTsCount] && form.read[interlock::kTsCount])) {
        if (message) {
            *message = form.hasError ? interlock::LogicErrorMessage(
                                           form.errorMessage, form.errorHasLine ? &form.errorLine : nullptr)
                                     : std::string();
        }
        return !form.hasError;
    }
    interlock::Block& b = scratch_->Blocks[blockNumber];
    b.Of(side).Logic = text;
    interlock::ParseLogic(*scratch_, b, side);
    const auto f = b.Of(side);
    if (message) *message = f.ErrorMessage;
    const bool accepted = !f.Error && !f.Empty;
    f.Logic.clear();  // the copy of a long text goes at once
    return accepted;
}

}  // namespace analysis
