// The parse of a logic: its compiled form evaluated (compiled_logic.cpp), the errors it finds
// stored in the block, and the candidate search of the current block.

#include "interlock/parser.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "interlock/compiled_logic.h"
#include "interlock/engine_texts.h"
#include "interlock/flip_evaluator.h"

namespace interlock {
namespace {

std::string CandidateEntry(const Workspace& ws, int n) {
    const std::string& name = ws.TsTable.Name[n];
    const std::string value = std::to_string(ws.TsTable.Value[n]);
    if (!name.empty()) return "\n\r- " + name + " = " + value + " (" + Texts().ts + std::to_string(n) + ")";
    return "\n\r- " + Texts().ts + std::to_string(n) + " = " + value;
}

// The TS, ascending, whose change alone makes the logic give 1: every TS marked used is tried,
// and the evaluation of the first one tried marks the TS the logic reads.
std::vector<uint16_t> AllowingTs(Workspace& ws, const FlipCode& code) {
    std::vector<uint16_t> allowing;
    std::optional<FlipEvaluator> evaluator;
    for (int n = 1; n <= kTsCount; ++n) {
        if (!ws.TsTable.UsedInLogic[n]) continue;
        if (!evaluator) evaluator.emplace(ws, code);
        if (evaluator->Allows(n)) allowing.push_back(static_cast<uint16_t>(n));
    }
    return allowing;
}

void BuildSideCandidates(Workspace& ws, Block& block, Side side) {
    Block::SideFields f = block.Of(side);
    if (f.Result != 0) return;
    const CompiledLogic& form = CompiledFormOf(f.Logic, block.Number);
    if (!form.flip) return;  // a text with an error of its own has no verdict to change
    // A refresh searches the same logic with the same values several times: the search
    // depends on nothing else, so the last one is taken again, marks included.
    std::optional<CompiledLogic::CandidateSearch>& last = form.lastSearch;
    const TsTableData& t = ws.TsTable;
    if (last && last->values == t.Value && last->usedBefore == t.UsedInLogic) {
        if (std::any_of(t.UsedInLogic.begin() + 1, t.UsedInLogic.begin() + 1 + kTsCount,
                        [](uint8_t used) { return used != 0; }))
            MarkUsed(ws, form.flip->read);
    } else {
        last.reset();
        CompiledLogic::CandidateSearch search{t.Value, t.UsedInLogic, {}};
        search.allowing = AllowingTs(ws, *form.flip);
        last = std::move(search);
    }
    for (uint16_t n : last->allowing) {
        f.HasCandidates = true;
        f.Candidates += CandidateEntry(ws, n);
    }
}

}  // namespace

std::string LogicErrorMessage(const std::string& message, const std::string* line) {
    std::string text = message;
    if (line) {
        text += Texts().inLine;
        text += "\r\r";
        text += *line;
    }
    return text;
}

void ReportLogicError(Workspace& ws, Block& block, const std::string& message, const std::string* line,
                      Side side) {
    Block::SideFields f = block.Of(side);
    f.Error = true;
    f.ErrorMessage = LogicErrorMessage(message, line);
    if (line) {
        f.ErrorLine = *line;
    } else {
        f.ErrorLine.clear();
    }
    PaintBlockStatus(ws, block.Number, BlockStatus::Erroneous);
}

void ParseLogic(Workspace& ws, Block& block, Side side) {
    if (ws.ParseText) {
        ws.ParseText(ws, block, side);
        return;
    }
    EvaluateCompiled(ws, block, side);
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
    const CompiledLogic& form = CompiledFormOf(block.Of(side).Logic, block.Number);
    // A text with an error of its own is read up to its error.
    const FlipCode code = form.flip ? *form.flip : FlipCode::Index(form.lines, form.operands);
    return FlipEvaluator(ws, code).Allows(k);
}

}  // namespace interlock
