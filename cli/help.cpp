#include "cli/help.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

namespace cli {

extern const char* const kBuildVersion;  // written by the build (version.cmake)

namespace {

constexpr size_t kWidth = 80;
constexpr size_t kOptionColumn = 26;

size_t Columns(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// One paragraph wrapped at kWidth; the first line starts at column `at`, the others at `indent`.
std::string Wrap(const std::string& text, size_t indent, size_t at) {
    std::string out;
    size_t column = at;
    bool lineStart = true;
    for (const std::string& w : Words(text)) {
        if (!lineStart && column + 1 + Columns(w) > kWidth) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        out += w;
        column += Columns(w);
        lineStart = false;
    }
    return out + "\n";
}

std::vector<std::string> Paragraphs(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find("\n\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    out.push_back(text.substr(start));
    return out;
}

std::string OptionLabel(const OptionHelp& o) {
    return *o.argument ? std::string(o.names) + " " + o.argument : o.names;
}

// The names of an option: "-o, --out" gives "-o" and "--out".
std::vector<std::string> Names(const OptionHelp& o) {
    std::vector<std::string> names;
    for (std::string w : Words(o.names)) {
        if (!w.empty() && w.back() == ',') w.pop_back();
        names.push_back(w);
    }
    return names;
}

// Roff text: backslashes escaped, a line never starting with a control character.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\e") : std::string(1, c);
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
    return out;
}

// Option names in roff, every hyphen a minus sign.
std::string RoffName(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

std::string Upper(const char* s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return out;
}

std::string QuoteList(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
    return out;
}

}  // namespace

const char* Version() { return kBuildVersion; }

std::string VersionText(const ProgramHelp& help) {
    return std::string(help.name) + " (interlocks) " + Version() + "\n";
}

Language TerminalLanguage() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) return std::strncmp(v, "ru", 2) == 0 ? Language::Russian : Language::English;
    }
    return Language::English;
}

std::string HelpText(const ProgramHelp& help, Language l) {
    const HelpHeadings& h = Headings(l);
    std::string out = std::string(help.name) + " - " + help.summary.In(l) + "\n\n";
    out += Wrap(std::string(h.usage) + " " + help.name + " " + help.usage.In(l), 4, 0) + "\n";
    for (const std::string& p : Paragraphs(help.description.In(l))) out += Wrap(p, 0, 0) + "\n";
    for (bool positional : {true, false}) {
        bool any = false;
        for (const OptionHelp& o : help.options) {
            if (o.Positional() != positional) continue;
            if (!any) out += std::string(positional ? h.arguments : h.options) + "\n";
            any = true;
            std::string label = "  " + OptionLabel(o);
            if (Columns(label) + 2 > kOptionColumn) {
                out += label + "\n" + std::string(kOptionColumn, ' ');
            } else {
                out += label + std::string(kOptionColumn - Columns(label), ' ');
            }
            out += Wrap(o.text.In(l), kOptionColumn, kOptionColumn);
        }
        if (any) out += "\n";
    }
    out += Wrap(std::string(h.exitStatus) + " " + help.exitStatus.In(l), 0, 0);
    if (!help.files.Empty()) out += "\n" + Wrap(std::string(h.files) + " " + help.files.In(l), 0, 0);
    return out;
}

std::string ManPage(const ProgramHelp& help, Language l) {
    const HelpHeadings& h = Headings(l);
    auto section = [](const char* title) { return std::string(".SH \"") + title + "\"\n"; };
    std::string out =
        ".TH " + Upper(help.name) + " 1 \"\" \"interlocks " + Version() + "\" \"" + h.manSection + "\"\n";
    out += section(h.name) + RoffName(help.name) + " \\- " + Roff(help.summary.In(l)) + "\n";
    out += section(h.synopsis) + ".B " + RoffName(help.name) + "\n" + Roff(help.usage.In(l)) + "\n";
    out += section(h.description);
    bool first = true;
    for (const std::string& p : Paragraphs(help.description.In(l))) {
        if (!first) out += ".PP\n";
        out += Roff(p) + "\n";
        first = false;
    }
    for (bool positional : {true, false}) {
        bool any = false;
        for (const OptionHelp& o : help.options) {
            if (o.Positional() != positional) continue;
            if (!any) out += section(positional ? h.manArguments : h.manOptions);
            any = true;
            out += ".TP\n";
            out += positional ? ".I " + RoffName(o.names) + "\n" : "\\fB" + RoffName(o.names) + "\\fR";
            if (!positional) out += *o.argument ? std::string(" \\fI") + o.argument + "\\fR\n" : "\n";
            out += Roff(o.text.In(l)) + "\n";
        }
    }
    out += section(h.manExitStatus) + Roff(help.exitStatus.In(l)) + "\n";
    if (!help.files.Empty()) out += section(h.manFiles) + Roff(help.files.In(l)) + "\n";
    if (!help.seeAlso.empty()) {
        out += section(h.seeAlso);
        for (size_t i = 0; i < help.seeAlso.size(); ++i)
            out += ".BR " + RoffName(help.seeAlso[i]) + " (1)" + (i + 1 < help.seeAlso.size() ? ",\n" : "\n");
    }
    return out;
}

std::string BashCompletion(const ProgramHelp& help) {
    std::string function = "_" + std::string(help.name);
    for (char& c : function)
        if (c == '-') c = '_';
    std::vector<std::string> all, files, values;
    const OptionHelp* positional = nullptr;
    for (const OptionHelp& o : help.options) {
        if (o.Positional()) {
            positional = &o;
            continue;
        }
        for (const std::string& n : Names(o)) {
            all.push_back(n);
            if (o.completion == Completion::File)
                files.push_back(n);
            else if (*o.argument)
                values.push_back(n);
        }
    }
    auto alternatives = [](const std::vector<std::string>& names) {
        std::string out;
        for (const std::string& n : names) out += (out.empty() ? "" : "|") + n;
        return out;
    };
    std::string out = "# bash completion for " + std::string(help.name) + "\n" + function + "() {\n" +
                      "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n" +
                      "    COMPREPLY=()\n" + "    case $prev in\n";
    if (!files.empty())
        out += "        " + alternatives(files) +
               ")\n            compopt -o filenames\n"
               "            COMPREPLY=($(compgen -f -- \"$cur\"))\n            return ;;\n";
    if (!values.empty()) out += "        " + alternatives(values) + ")\n            return ;;\n";
    out += "    esac\n    if [[ $cur == -* ]]; then\n        COMPREPLY=($(compgen -W \"" + QuoteList(all) +
           "\" -- \"$cur\"))\n        return\n    fi\n";
    if (positional && positional->completion == Completion::ConfigOrFolder) {
        out +=
            "    compopt -o filenames\n"
            "    COMPREPLY=($(compgen -d -- \"$cur\") $(compgen -f -X '!*.blk' -- \"$cur\")"
            " $(compgen -f -X '!*.tmp' -- \"$cur\"))\n";
    } else if (positional && positional->completion == Completion::File) {
        out += "    compopt -o filenames\n    COMPREPLY=($(compgen -f -- \"$cur\"))\n";
    }
    out += "}\ncomplete -F " + function + " " + help.name + "\n";
    return out;
}

std::optional<int> AnswerHelpOrVersion(int argc, char** argv, const ProgramHelp& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") break;
        if (a == "-h" || a == "--help") {
            std::cout << HelpText(help, TerminalLanguage());
            return 0;
        }
        if (a == "--version") {
            std::cout << VersionText(help);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace cli
