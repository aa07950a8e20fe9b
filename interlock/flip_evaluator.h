#pragma once

// The check-free re-evaluation of one logic with one TS complemented, used by the candidate
// search of the current block. It runs over the lines and operands of the compiled form
// (compiled_logic.h), indexed once per text change by the TS each line reads, and evaluates
// them unchanged once per search; each TS tried then re-evaluates only the lines it can change.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace interlock {

// One operand of a compiled logic: what it reads, and where it is written in its line.
struct FlipOperand {
    enum Kind : uint8_t { None, Ts, M } kind = None;  // None: an operand that reads as 0
    bool inverted = false;
    int16_t n = 0;
    char letter = 0;   // 'S', 'D' or 'M' as written
    uint8_t at = 0;    // its first character in the line ("~" included)
    uint8_t size = 0;  // its characters up to the "," or ")" after it
};

// One line of a compiled logic (empty lines left out). Its operands are operands[first, last)
// of the form.
struct FlipLine {
    bool isM = false;
    int target = 1;
    bool isAnd = false;
    bool negated = false;
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t mRead = 0;  // bit n: the line reads M n
};

// The lines of a logic with the lines that read each TS.
struct FlipCode {
    const std::vector<FlipLine>* lines = nullptr;
    const std::vector<FlipOperand>* operands = nullptr;
    // For every TS the lines that read it, in order: readers[readerStart[k], readerStart[k + 1]).
    std::array<uint32_t, kTsCount + 2> readerStart{};
    std::vector<uint32_t> readers;
    // Every TS an operand of the lines names, as 0xFF at its index (0 elsewhere), indices 0..263.
    std::array<uint8_t, kTsCount + 8> read{};

    // Indexes the lines, which must outlive the code (the compiled form that holds both).
    static FlipCode Index(const std::vector<FlipLine>& lines, const std::vector<FlipOperand>& operands);
};

// Sets UsedInLogic to 1 for every TS whose byte in the mask is not 0 (indices 0..257).
void MarkUsed(Workspace& ws, const std::array<uint8_t, kTsCount + 8>& mask);

// The re-evaluation of one logic for many TS. The logic is evaluated once without any change.
// A TS tried re-evaluates only the lines that read it or read an M variable whose value it
// changed; while no M variable differs, the run jumps from one line that reads the TS to the
// next, taking the M values and the output the unchanged run had there, and once no later line
// reads it the rest gives what it gave unchanged.
class FlipEvaluator {
public:
    // Evaluates the logic unchanged and marks every TS it reads in UsedInLogic. The code must
    // outlive the evaluator.
    FlipEvaluator(Workspace& ws, const FlipCode& code);

    // True when the logic, with TS k complemented, assigns 1 to its output.
    bool Allows(int k) const;

private:
    // The state of a run between two lines.
    struct Run {
        std::array<uint8_t, kMCount + 1> m{};
        bool outputSeen = false;
        uint8_t output = 0;
    };

    uint8_t Evaluate(const FlipLine& line, const std::array<uint8_t, kMCount + 1>& m, int k) const;
    static void Assign(const FlipLine& line, uint8_t acc, Run& run);

    Workspace& ws_;
    const FlipCode& code_;
    std::vector<int32_t> outputBefore_;  // the last V line before line i, or -1
    std::vector<Run> before_;            // the unchanged run before every line
    std::vector<uint8_t> base_;          // the value of every line without any change
    std::vector<int8_t> laterOutput_;    // the unchanged output assigned from line i on, or -1
    bool baseAllows_ = false;
};

}  // namespace interlock
