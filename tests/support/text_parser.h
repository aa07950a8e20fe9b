#pragma once

// The plain twin of the compiled logic: one pass over the text that checks every line against
// the grammar and evaluates it at the same time, and a candidate search that parses the whole
// text again with each TS complemented. It reads the text as the engine did before it compiled
// it, and the tests compare the two through every operation of the window.

#include "interlock/workspace.h"

namespace interlock::twin {

// Parses and evaluates one logic of a block from its text, with the results and side effects
// of ParseLogic. Put into Workspace::ParseText to make every parse of a workspace read text.
void ParseText(Workspace& ws, Block& block, Side side);

// True when the logic's text, read with TS k complemented and no pair refused, assigns 1 to
// its output; changes nothing but UsedInLogic. The text must have no error of its own.
bool AllowsWithFlip(Workspace& ws, const Block& block, int k, Side side);

}  // namespace interlock::twin
