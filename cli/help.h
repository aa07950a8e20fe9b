#pragma once

// --help, --version, the manual pages and the shell completion, all written from the help
// catalogue (cli/help_texts.h).

#include <optional>
#include <string>

#include "cli/help_texts.h"

namespace cli {

// The version of every program, fixed by the build (from git describe when built in a git tree).
const char* Version();
// "interlocks-check (interlocks) 1.2.3".
std::string VersionText(const ProgramHelp& help);

// Russian when the language of the messages' locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, the
// first one set) is Russian, English otherwise.
Language TerminalLanguage();

// The text --help prints, wrapped for an 80-column terminal.
std::string HelpText(const ProgramHelp& help, Language language);
// The manual page (man(7) macros, UTF-8), section 1.
std::string ManPage(const ProgramHelp& help, Language language);
// A bash completion script for the program's options and arguments.
std::string BashCompletion(const ProgramHelp& help);

// For a program without an option parser: --help or --version before any "--" prints the
// answer and gives the exit status 0; nullopt when neither is asked for.
std::optional<int> AnswerHelpOrVersion(int argc, char** argv, const ProgramHelp& help);

}  // namespace cli
