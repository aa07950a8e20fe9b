#pragma once

// Configurations for the topology tests: block n reads its state from TS n (or as given),
// logics as written; the topology from lines.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "interlock/cp1251.h"
#include "interlock/parser.h"
#include "interlock/workspace.h"
#include "topology/proof.h"

namespace topology::test {

struct BlockSpec {
    int number = 0;
    std::string state;  // as entered: "S3", "~S3", "D5", "" for none
    std::vector<std::string> on, off;
    std::string name;
};

inline std::unique_ptr<interlock::Workspace> MakeWorkspace(const std::vector<BlockSpec>& blocks,
                                                           const std::vector<int>& pairs = {}) {
    auto ws = std::make_unique<interlock::Workspace>();
    for (int n : pairs) {
        ws->TsTable.TwoPosition[n] = 1;
        ws->TsTable.PairSecond[n + 1] = 1;
        ws->TsTable.Value[n + 1] = 1;
    }
    for (const BlockSpec& b : blocks) {
        ws->Blocks[b.number].OnLogic = b.on;
        ws->Blocks[b.number].OffLogic = b.off;
        ws->Blocks[b.number].Name = b.name;
        interlock::SetStateSignal(*ws, b.number, b.state);
    }
    interlock::RecalculateAll(*ws);
    return ws;
}

// The evaluator's verdict of one logic under `values`.
inline bool LogicAllows(const interlock::Workspace& ws, int block, interlock::Side side,
                        const interlock::TsTableData& values) {
    auto trial = std::make_unique<interlock::Workspace>(ws);
    trial->TsTable = values;
    interlock::ParseLogic(*trial, trial->Blocks[block], side);
    return trial->Blocks[block].Of(side).Result == 1 && !trial->Blocks[block].Of(side).Error;
}

}  // namespace topology::test
