#pragma once

// Generated logics for the analysis tests: short texts over a few TS, with every form the
// evaluator treats specially: "~" on operands and operations, M variables assigned again,
// lines after the V line, the other ways of writing a number, and TS that form pairs.

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace analysis::test {

struct LogicShape {
    int tsCount = 8;  // operands read TS 1..tsCount
    int maxLines = 7;
    int maxOperands = 4;
    int mCount = 4;            // M1..mCount
    bool unassignedM = false;  // may read an M before it is assigned (the parser refuses it)
};

// An operand of TS n written in one of the ways the parser reads as n.
inline std::string TsText(std::mt19937& r, int n) {
    std::string letter = r() % 2 ? "S" : "D";
    switch (r() % 8) {
        case 0:
            return letter + "0" + std::to_string(n);
        case 1: {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(n));
            return letter + "$" + hex;
        }
        case 2:
            return letter + " " + std::to_string(n);
        default:
            return letter + std::to_string(n);
    }
}

inline std::vector<std::string> RandomLogic(std::mt19937& r, int block, const LogicShape& shape) {
    const int lines = 1 + static_cast<int>(r() % shape.maxLines);
    const int vAt = static_cast<int>(r() % lines);
    std::vector<bool> assigned(shape.mCount + 1);
    std::vector<std::string> out;
    for (int i = 0; i < lines; ++i) {
        if (r() % 9 == 0) out.push_back("");  // empty lines are skipped
        std::string line;
        int target = 0;
        if (i == vAt) {
            line = "V" + std::to_string(block);
        } else {
            target = 1 + static_cast<int>(r() % shape.mCount);
            line = "M" + std::to_string(target);
        }
        static const char* const kOps[] = {"AND", "OR", "~AND", "~OR"};
        line += std::string("=") + kOps[r() % 4] + "(";
        const int operands = 1 + static_cast<int>(r() % shape.maxOperands);
        for (int j = 0; j < operands; ++j) {
            if (j) line += ",";
            if (r() % 3 == 0) line += "~";
            std::vector<int> ms;
            for (int m = 1; m <= shape.mCount; ++m)
                if (assigned[m] || shape.unassignedM) ms.push_back(m);
            if (!ms.empty() && r() % 3 == 0) {
                line += "M" + std::to_string(ms[r() % ms.size()]);
            } else {
                line += TsText(r, 1 + static_cast<int>(r() % shape.tsCount));
            }
        }
        line += ")";
        if (target) assigned[target] = true;
        out.push_back(line);
    }
    return out;
}

// Random pairs among TS 1..tsCount-1; now and then two pairs in a chain.
inline void RandomPairs(std::mt19937& r, interlock::Workspace& ws, int tsCount) {
    for (int n = 1; n < tsCount; ++n) {
        if (r() % 5 != 0) continue;
        ws.TsTable.TwoPosition[n] = 1;
        ws.TsTable.PairSecond[n + 1] = 1;
        if (r() % 4 != 0) ++n;  // usually the second TS starts no pair of its own
    }
}

}  // namespace analysis::test
