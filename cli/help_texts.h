#pragma once

// The help of every program in one catalogue: --help prints it and the build writes the
// manual pages and the shell completion from it, so that the three cannot drift apart.
// Texts are UTF-8 (they go to a terminal or a manual page, never into the program's
// Windows-1251 texts); each has a Russian and an English version.

#include <string>
#include <vector>

namespace cli {

enum class Language { Russian, English };

struct Text {
    const char* ru = "";
    const char* en = "";
    const char* In(Language l) const { return l == Language::Russian ? ru : en; }
    bool Empty() const { return !*ru && !*en; }
};

// What the shell completes after an option, or for a positional argument.
enum class Completion { None, File, Folder, ConfigOrFolder };

struct OptionHelp {
    const char* names;     // "-o, --out", "--json", or a positional argument's name ("CONFIG")
    const char* argument;  // the option's value as shown ("FILE"), "" for a flag or a positional
    Text text;
    Completion completion = Completion::None;
    bool Positional() const { return names[0] != '-'; }
};

struct ProgramHelp {
    const char* name;
    Text summary;      // one line: the manual page's NAME and the first line of --help
    Text usage;        // after the program's name: "[OPTIONS] CONFIG..."
    Text description;  // paragraphs separated by blank lines
    std::vector<OptionHelp> options;
    Text exitStatus;
    Text files;  // empty when the program keeps no files
    std::vector<const char*> seeAlso;
};

// The headings of --help and of the manual pages.
struct HelpHeadings {
    const char* usage;
    const char* options;
    const char* arguments;
    const char* exitStatus;
    const char* files;
    const char* name;
    const char* synopsis;
    const char* description;
    const char* seeAlso;
    const char* manArguments;
    const char* manOptions;
    const char* manExitStatus;
    const char* manFiles;
    const char* manSection;  // the title of section 1
};
const HelpHeadings& Headings(Language language);

// The four programs' help, in the order of the manual pages.
const std::vector<ProgramHelp>& AllPrograms();
const ProgramHelp& Interlocks();
const ProgramHelp& InterlocksCheck();
const ProgramHelp& InterlocksReport();
const ProgramHelp& RtuSim();
// The program of that name, or nullptr.
const ProgramHelp* FindProgram(const std::string& name);

}  // namespace cli
