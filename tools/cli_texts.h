#pragma once

// The command line of interlocks-check and interlocks-report in Russian: every parse error
// from the catalogue, whatever language the parser speaks. The help is the help catalogue's
// (cli/cli11_help.h).

#include <CLI/CLI.hpp>

namespace tools {

// Parses; on a parse error prints its Russian message and the help hint on standard error.
// Returns -1 when the program goes on, else its exit status (0 after --help, 2 for an error).
int Parse(CLI::App& app, int argc, char** argv);

}  // namespace tools
