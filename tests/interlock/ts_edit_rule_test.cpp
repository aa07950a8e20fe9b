// The operator's TS-edit rule: a value typed in the window needs only the check box, a set of
// values applied at once needs every reception off too; receptions are named first.
#include "interlock/ts_edit_rule.h"

#include <gtest/gtest.h>

namespace {

using interlock::TsEdit;
using interlock::TsEditRefusal;

struct RuleCase {
    bool changeTs, rtu, server;
    TsEditRefusal typed, applied;
};

TEST(TsEditRule, TypedAndAppliedEdits) {
    const RuleCase cases[] = {
        {true, false, false, TsEditRefusal::None, TsEditRefusal::None},
        {false, false, false, TsEditRefusal::ChangeTsOff, TsEditRefusal::ChangeTsOff},
        {true, true, false, TsEditRefusal::None, TsEditRefusal::RtuReceiving},
        {true, false, true, TsEditRefusal::None, TsEditRefusal::ServerReceiving},
        {false, true, true, TsEditRefusal::ChangeTsOff, TsEditRefusal::RtuReceiving},
    };
    for (const RuleCase& c : cases) {
        const interlock::TsEditState state{c.changeTs, c.rtu, c.server};
        EXPECT_EQ(interlock::TsEditRule(state, TsEdit::Typed), c.typed) << c.changeTs << c.rtu << c.server;
        EXPECT_EQ(interlock::TsEditRule(state, TsEdit::Applied), c.applied)
            << c.changeTs << c.rtu << c.server;
    }
}

TEST(TsEditRule, WhichTsTakeAnOperatorsValue) {
    interlock::TsTableData table;
    table.PairSecond[8] = 1;  // the second of a pair fed by the server follows its first
    table.FromServer[8] = 1;
    table.PairSecond[10] = 1;  // a pair set by hand: both TS take values
    table.FromServer[12] = 1;  // a single TS from the server: the operator may still set it
    for (const auto& [n, expected] : {std::pair{1, true},
                                      {8, false},
                                      {10, true},
                                      {12, true},
                                      {0, false},
                                      {interlock::kTsCount, true},
                                      {interlock::kTsCount + 1, false},
                                      {-3, false}})
        EXPECT_EQ(interlock::OperatorSetsTs(table, n), expected) << n;
}

}  // namespace
