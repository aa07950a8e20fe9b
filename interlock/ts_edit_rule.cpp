#include "interlock/ts_edit_rule.h"

namespace interlock {

TsEditRefusal TsEditRule(const TsEditState& state, TsEdit edit) {
    if (edit == TsEdit::Applied) {
        if (state.rtuReceiving) return TsEditRefusal::RtuReceiving;
        if (state.serverReceiving) return TsEditRefusal::ServerReceiving;
    }
    return state.changeTs ? TsEditRefusal::None : TsEditRefusal::ChangeTsOff;
}

bool OperatorSetsTs(const TsTableData& table, int n) {
    return n >= 1 && n <= kTsCount && !(table.PairSecond[n] && table.FromServer[n]);
}

}  // namespace interlock
