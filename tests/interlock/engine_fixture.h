#pragma once

// Shared helpers of the engine tests: a fresh workspace per test and short ways to set up TS
// values, attributes and block texts. Expected texts are written in UTF-8 and converted with W().

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "interlock/cp1251.h"
#include "interlock/workspace.h"

namespace interlock::test {

// A text of the system, written readably in UTF-8, as the engine holds it (Windows-1251).
inline std::string W(std::string_view utf8) { return cp1251::FromUtf8(utf8); }

using Lines = std::vector<std::string>;

// TS n as the first signal of a two-position pair (n, n+1), as every attribute writer keeps it.
inline void MakePair(Workspace& ws, int n) {
    ws.TsTable.TwoPosition[n] = 1;
    ws.TsTable.PairSecond[n + 1] = 1;
}

inline void SetValues(Workspace& ws, std::initializer_list<std::pair<int, int>> values) {
    for (auto [n, v] : values) ws.TsTable.Value[n] = static_cast<int16_t>(v);
}

inline std::vector<int> UsedTs(const Workspace& ws) {
    std::vector<int> used;
    for (int n = 0; n <= kTsCount + 1; ++n)
        if (ws.TsTable.UsedInLogic[n]) used.push_back(n);
    return used;
}

class EngineTest : public ::testing::Test {
protected:
    Workspace ws;

    Block& B(int n) { return ws.Blocks[n]; }
    void Pair(int n) { MakePair(ws, n); }
    void Values(std::initializer_list<std::pair<int, int>> values) { SetValues(ws, values); }

    // Makes block n the current one with the given state entry and texts, and shows it the way a
    // tab click does.
    void Show(int n, const std::string& stateEntry, const Lines& on, const Lines& off,
              const std::string& name = "") {
        Block& b = B(n);
        b.OnLogic = on;
        b.OffLogic = off;
        b.Name = name;
        SetStateSignal(ws, n, stateEntry);
        ws.CurrentBlock = n;
        ShowBlock(ws, n);
    }
};

}  // namespace interlock::test
