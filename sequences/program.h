#pragma once

// Switching programs: a Windows-1251 text, one operation a line, checked step by step.
//
//     # Вывод линии Л-1 в ремонт
//     1. ОТКЛ Q2          # номер шага необязателен
//     ОТКЛ QS3
//     ON 7
//
// An operation is ВКЛ / ОТКЛ (also ВКЛЮЧИТЬ / ОТКЛЮЧИТЬ, ON / OFF) followed by the apparatus:
// its block number, its whole name or the first word of its name; case is ignored. "#" starts
// a comment. A malformed line is reported with its line and position; the others are read.

#include <string>
#include <vector>

#include "interlock/workspace.h"
#include "sequences/transition_system.h"

namespace sequences {

struct ProgramStep {
    int line = 0;  // from 1 in the file
    Operation op;
    std::string text;  // the operation as written, without number and comment
};

struct ProgramError {
    int line = 0;
    int position = 0;  // from 1 in the line
    std::string message;
};

struct Program {
    std::vector<ProgramStep> steps;
    std::vector<ProgramError> errors;
};

Program ParseProgram(const std::vector<std::string>& lines, const interlock::Workspace& ws);

struct CheckedStep {
    ProgramStep step;
    StepCheck check;
};

struct ProgramCheck {
    State start;
    std::vector<CheckedStep> steps;
    int Count(StepVerdict v) const;
    // Every step allowed or already in place, and no malformed line.
    bool Clean(const Program& program) const;
};

// Checks the steps in order from the present state; a step that is not allowed leaves the
// state as it is and the check goes on.
ProgramCheck CheckProgram(System& system, const Program& program);

// The name a program uses for block n: the first word of its name when that finds the block
// alone, else its number.
std::string ApparatusName(const interlock::Workspace& ws, int block);

// A program as text (Windows-1251, CR LF): "ОТКЛ Q2", one operation a line, each with its
// comment when it has one (a journal's time, verdict and mark). ParseProgram reads it back.
struct ProgramEntry {
    Operation op;
    std::string comment;  // Windows-1251, no line breaks
};
std::string WriteProgram(const std::vector<ProgramEntry>& entries, const interlock::Workspace& ws,
                         const std::string& title = {});

}  // namespace sequences
