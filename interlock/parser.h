#pragma once

// The logic language: one pass that checks a logic text line by line, evaluates it against
// the present TS values, stores the verdict or the first error in the block, and, for the
// current block, lists the single TS changes that would allow a forbidden operation.

#include <string>

#include "interlock/workspace.h"

namespace interlock {

// Parses and evaluates one logic of a block; results go to the block's fields of that side,
// MVariables.Value and TsTable.UsedInLogic. The text is compiled once per change of it and its
// compiled form evaluated (compiled_logic.h); with Workspace::ReadLogicAsText the text itself is
// read, with the same results.
void ParseLogic(Workspace& ws, Block& block, Side side);

// Records an error of one logic: message, " в строке: ", CR CR and the line (or the message
// alone when line is null); paints the block's tab Erroneous.
void ReportLogicError(Workspace& ws, Block& block, const std::string& message, const std::string* line,
                      Side side);

// True when the logic, evaluated with TS k complemented, assigns 1 to its output.
// Changes nothing but UsedInLogic.
bool ReevaluateWithFlip(Workspace& ws, const Block& block, int k, Side side);

// Rebuilds both candidate lists of the block.
void BuildCandidates(Workspace& ws, Block& block);

// Only the first 100 characters of a logic line are read.
constexpr size_t kLogicLineLimit = 100;

}  // namespace interlock
