#pragma once

// The headless check of a configuration: every block shown in turn as if the operator had
// selected it, and what the main window would then report, as plain values, as JSON and as
// readable lines. The check runs the interlock engine; it decides nothing of its own.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "interlock/workspace.h"

namespace check {

// What-if changes applied after the configuration is read, and the block to report.
struct Request {
    std::map<int, int16_t> values;      // TS number -> value
    std::map<int, uint8_t> unreliable;  // TS number -> unreliability code 0..2
    int block = 0;                      // 0: all 32 blocks
};

// One logic of a block after its display refresh. Texts are Windows-1251.
struct LogicReport {
    bool empty = false;  // the logic has no lines
    bool error = false;
    std::string message;  // the error message with its line
    std::string errorLine;
    int result = 0;
    std::vector<int> candidates;                     // TS whose single change allows the operation
    int maxUnreliability = 0;                        // 0..2
    std::vector<std::pair<int, int>> unreliability;  // (TS, code) of every unreliable TS read
};

// The verdict line of the main window. A hint is empty where the label shows none.
struct LabelsReport {
    std::string name, nameHint;
    std::string state, stateHint;
    interlock::Colour stateColour = 0;
    std::string operation;
    std::string verdict, verdictHint;
    interlock::Colour verdictColour = 0;
    bool warningVisible = false;
    std::string warningHint;
};

struct BlockReport {
    int number = 0;
    std::string name;
    std::string stateSignal;  // the state field after the block is shown: "S5", "~S5", "---"
    interlock::BlockStatus status = interlock::BlockStatus::Empty;
    interlock::Side view = interlock::Side::On;
    LogicReport on, off;
    LabelsReport labels;
};

struct CheckResult {
    std::vector<BlockReport> blocks;  // in block order
    std::vector<int> erroneous;       // numbers of the reported blocks that are erroneous
};

// "N=V,N=V,...": whole numbers, N within [nLo, nHi] and V within [vLo, vHi]. Nothing when
// the text is malformed or a number is out of range.
std::optional<std::map<int, int>> ParseAssignments(std::string_view text, int nLo, int nHi, int vLo, int vHi);

// Applies the request's values and unreliability to the workspace (which holds the read
// configuration), recalculates blocks 1..32 and shows each requested block in turn.
CheckResult RunCheck(interlock::Workspace& ws, const Request& request);

// The report as one JSON object; every text converted to UTF-8. `file` is UTF-8 already.
nlohmann::ordered_json ToJson(const CheckResult& result, const std::string& file);

// One UTF-8 line per block that is not empty, then a summary line.
std::string ToText(const CheckResult& result);

// "0x0000FF": the colour value in six hexadecimal digits.
std::string ColourText(interlock::Colour colour);

// A message on one line: every run of control characters becomes one space.
std::string OneLine(const std::string& text);

}  // namespace check
