#pragma once

// The logic language: the parse checks a logic text, evaluates it against the present TS
// values, stores the verdict or the first error in the block, and, for the current block, lists
// the single TS changes that would allow a forbidden operation. The compiled form of the text
// (compiled_logic.h) is the one reading of the language; everything else reads that form.

#include <string>

#include "interlock/workspace.h"

namespace interlock {

// Parses and evaluates one logic of a block; results go to the block's fields of that side,
// MVariables.Value and TsTable.UsedInLogic. The text is compiled once per change of it and its
// compiled form evaluated; Workspace::ParseText, when set, parses in its place.
void ParseLogic(Workspace& ws, Block& block, Side side);

// The message of a logic error as the block stores it: message, " в строке: ", CR CR and the
// line (or the message alone when line is null).
std::string LogicErrorMessage(const std::string& message, const std::string* line);

// Records an error of one logic: message, " в строке: ", CR CR and the line (or the message
// alone when line is null); paints the block's tab Erroneous.
void ReportLogicError(Workspace& ws, Block& block, const std::string& message, const std::string* line,
                      Side side);

// True when the logic, evaluated with TS k complemented, assigns 1 to its output (a logic with
// an error of its text up to its error). Changes nothing but UsedInLogic.
bool ReevaluateWithFlip(Workspace& ws, const Block& block, int k, Side side);

// Rebuilds both candidate lists of the block.
void BuildCandidates(Workspace& ws, Block& block);

// Only the first 100 characters of a logic line are read.
constexpr size_t kLogicLineLimit = 100;

}  // namespace interlock
