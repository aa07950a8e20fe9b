#pragma once

// The structure of a logic text: its lines with their targets, operations and operands, as its
// compiled form (interlock/compiled_logic.h) read them: the lines before its first error.

#include <memory>
#include <string>
#include <vector>

#include "interlock/compiled_logic.h"
#include "interlock/workspace.h"

namespace analysis {

struct Operand {
    char letter = 'S';  // 'S', 'D' or 'M'
    bool inverted = false;
    int number = 0;    // TS 1..256 or M 1..16
    std::string text;  // as written, "~" included
};

struct LogicLine {
    int index = 0;      // position in the logic text, from 0 (empty lines counted)
    char target = 'M';  // 'M' or 'V'
    int targetNumber = 0;
    bool isAnd = true;
    bool negated = false;
    std::vector<Operand> operands;
};

struct LogicStructure {
    std::vector<LogicLine> lines;  // the non-empty lines that read as assignments
    int outputLine = -1;           // position in `lines` of the V line, or -1
};

// The structure of the compiled form.
LogicStructure ReadLogic(const interlock::CompiledLogic& form);
// The structure of the text as a logic of block `number`.
LogicStructure ReadLogic(const interlock::LogicText& text, int number);

// Asks the logic parser whether it accepts a text with every two-position pair valid: the
// errors left are those of the text and the TS attributes, not of the present TS values.
class TextCheck {
public:
    // Takes the TS attributes of `ws`; the check runs in a scratch copy of the tables.
    explicit TextCheck(const interlock::Workspace& ws);
    ~TextCheck();

    // True when the logic of that block and side has lines and parses without error;
    // otherwise `message` (when given) receives the parser's message.
    bool Accepted(const interlock::Workspace& ws, int blockNumber, interlock::Side side,
                  std::string* message = nullptr);

private:
    std::unique_ptr<interlock::Workspace> scratch_;
};

}  // namespace analysis
