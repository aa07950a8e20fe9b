#pragma once

// The compiled form of one logic text: everything the parse decides from the text alone,
// worked out once per change of the text. Evaluating it against the present TS values gives
// exactly what a parse of the text gives: the result, the M values, the used-TS marks, the
// unreliability found and the first error with its message, including the errors that depend
// on the TS (a refused two-position pair), which are decided at evaluation in the order the
// parse meets the operands.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "interlock/flip_evaluator.h"
#include "interlock/logic_text.h"
#include "interlock/workspace.h"

namespace interlock {

struct CompiledLogic {
    int number = 0;  // the block it was compiled for: the output must be V<number>

    // The lines that pass every check of the text, in order (empty lines left out). Their
    // operands, and after them the operands the erroneous line reads before its error, are
    // `operands` in the order the parse meets them.
    std::vector<FlipLine> lines;
    std::vector<uint32_t> lineSource;  // the index in the text of each line
    std::vector<FlipOperand> operands;
    int outputLine = -1;  // the position in `lines` of the first V line, or -1

    // The operands not written as "~" (or nothing), the letter and the plain decimal number,
    // with their text as written: everything else of an operand's text follows from the operand.
    std::vector<std::pair<uint32_t, std::string>> spelled;
    // The text of operand j as written in its line, "~" included.
    std::string OperandText(uint32_t j) const;

    // The first error that the text alone decides, met after all of `operands`.
    bool hasError = false;
    std::string errorMessage;
    bool errorHasLine = false;
    std::string errorLine;  // the line as cut to 100 characters

    // The TS read by `operands`: 0xFF at their index, and each TS with the position of its first
    // reading, in the order the parse meets them.
    std::array<uint8_t, kTsCount + 8> read{};
    struct FirstRead {
        uint16_t n;
        uint32_t operand;
    };
    std::vector<FirstRead> firstReads;

    // The lines indexed for the candidate search, when the text has no error of its own. It
    // points into this form, which is never copied.
    std::optional<FlipCode> flip;

    // What the window's scans of the whole lines find (they do not stop at 100 characters):
    // the TS named as S or D operands, ascending, and the M variables read.
    std::vector<uint16_t> namedTs;
    uint32_t readM = 0;  // bit n: M n

    // The last candidate search over `flip`: the TS values and used-TS marks it started from,
    // and the TS whose change alone allows the operation. A search from the same values and
    // marks finds the same, so it is not run again.
    struct CandidateSearch {
        std::array<int16_t, kTsCount + 2> values;
        std::array<uint8_t, kTsCount + 2> usedBefore;
        std::vector<uint16_t> allowing;
    };
    mutable std::optional<CandidateSearch> lastSearch;
};

// Compiles the lines of one logic of block `number`.
std::shared_ptr<const CompiledLogic> CompileLogic(const std::vector<std::string>& lines, int number);

// The compiled form of the text for block `number`, compiled now when the text changed since.
const CompiledLogic& CompiledFormOf(const LogicText& text, int number);

// The parse of one logic from its compiled form: the same results and side effects as the
// parse of its text (the candidate search included).
void EvaluateCompiled(Workspace& ws, Block& block, Side side);

}  // namespace interlock
