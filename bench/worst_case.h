#pragma once

// The heaviest configuration the benchmarks measure on: 40 lines of about 100 characters on
// each side of every block, operands running through all 256 TS, and an output line that
// stays 0 whatever one TS does, so that the current block's candidate search tries every
// marked TS. The same seed gives the same configuration in every benchmark.

#include <random>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace worst_case {

constexpr int kLinesPerSide = 40;
constexpr size_t kLineLimit = 100;
constexpr unsigned kSeed = 12345;

// Appends operands "S17", "~S18", ... to `line` while the closed line stays within the limit.
inline void FillOperands(std::string& line, int& next, std::mt19937& random) {
    bool first = true;
    for (;;) {
        std::string operand = (random() % 3 == 0 ? "~S" : "S") + std::to_string(next);
        if (line.size() + operand.size() + (first ? 0 : 1) + 1 > kLineLimit) break;
        if (!first) line += ',';
        line += operand;
        first = false;
        next = next % interlock::kTsCount + 1;
    }
    line += ')';
}

// One side of block n: 39 M lines, then the output line. The output reads S1 and ~S1, so it
// stays 0 whatever one TS does.
inline std::vector<std::string> Side(int n, int& next, std::mt19937& random) {
    std::vector<std::string> lines;
    for (int i = 0; i < kLinesPerSide - 1; ++i) {
        std::string line = "M" + std::to_string(i % 16 + 1) + (i % 2 ? "=OR(" : "=AND(");
        FillOperands(line, next, random);
        lines.push_back(line);
    }
    std::string output = "V" + std::to_string(n) + "=AND(M1,M2,M3,M4,M5,M6,M7,M8,M9,M10,M11,M12,S1,~S1,";
    FillOperands(output, next, random);
    lines.push_back(output);
    return lines;
}

// The whole configuration into the workspace: random TS values, then the OFF and the ON logic
// of every block, its name "Q<n>" and its state TS n + 2.
inline void Build(interlock::Workspace& ws) {
    std::mt19937 random(kSeed);
    for (int ts = 1; ts <= interlock::kTsCount; ++ts)
        ws.TsTable.Value[ts] = static_cast<int16_t>(random() % 2);
    int next = 1;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        interlock::Block& b = ws.Blocks[n];
        b.Name = "Q" + std::to_string(n);
        b.OffLogic = Side(n, next, random);
        b.OnLogic = Side(n, next, random);
        interlock::SetStateSignal(ws, n, "S" + std::to_string(n + 2));
    }
}

}  // namespace worst_case
