#pragma once

// May the operator set TS values by hand now. One rule for every place that asks: the TS grid,
// the state value, and a set of values applied at once from the analysis window.

#include "interlock/workspace.h"

namespace interlock {

// What the rule looks at: "Разрешить изменение ТС" and whether a source receives.
struct TsEditState {
    bool changeTs = false;
    bool rtuReceiving = false;
    bool serverReceiving = false;
};

// A value typed or double-clicked in the window needs only the check box (the next receipt of a
// running reception overwrites it, as it always has); a set of values applied at once also
// needs every reception off, or it would be half overwritten a moment later.
enum class TsEdit { Typed, Applied };

enum class TsEditRefusal { None, RtuReceiving, ServerReceiving, ChangeTsOff };

// Why the edit is refused, None when it is allowed. Receptions are named before the check box.
TsEditRefusal TsEditRule(const TsEditState& state, TsEdit edit);

// Whether TS n (1..kTsCount) takes an operator's value at all: the second TS of a pair fed by
// the server follows its first and is never set by hand.
bool OperatorSetsTs(const TsTableData& table, int n);

}  // namespace interlock
