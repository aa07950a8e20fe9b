#pragma once

// A checked switching program as the form printed with the interlock table: numbered steps,
// the operation, its verdict, the state after it, and the lines the program did not read.
// Texts are Windows-1251.

#include <string>
#include <vector>

#include "sequences/program.h"

namespace sequences {

struct FormRow {
    int number = 0;  // from 1
    int line = 0;    // in the program file
    std::string operation;
    std::string verdict;  // with the change sets of a forbidden step, the values a free step assumes
    std::string state;    // the positions after the step
    bool bad = false;     // forbidden or undetermined
};

struct SwitchingForm {
    std::string program;  // the program's name as given
    std::string mode;     // held or free TS, and the topology when there is one
    std::string start;    // the positions before the first step
    std::vector<FormRow> rows;
    std::vector<std::string> errors;  // malformed lines: "строка 3, позиция 1: ..."
    std::string summary;
    bool clean = false;
};

SwitchingForm MakeForm(const System& system, const interlock::Workspace& ws, const Program& program,
                       const ProgramCheck& check, const std::string& name);

// The verdict of a step in words.
const std::string& VerdictWords(StepVerdict v);

}  // namespace sequences
