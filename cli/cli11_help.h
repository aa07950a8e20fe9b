#pragma once

// --help and --version of a program that parses its arguments with CLI11: the help comes from
// the catalogue, checked against the options the parser really has. An option the parser has
// and the catalogue lacks is still listed (with the parser's own description), and one the
// catalogue lists but the parser lacks is left out, so --help never lies; the test that
// compares --help with the catalogue then fails until the catalogue is mended.

#include <CLI/CLI.hpp>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "cli/help.h"

namespace cli {

class CatalogueFormatter : public CLI::Formatter {
public:
    explicit CatalogueFormatter(const ProgramHelp& help) : help_(help) {}

    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        ProgramHelp shown = help_;
        shown.options.clear();
        std::vector<std::string> known;
        for (const OptionHelp& o : help_.options) {
            for (const std::string& n : Split(o.names)) known.push_back(n);
            if (Has(*app, o)) shown.options.push_back(o);
        }
        for (const CLI::Option* opt : app->get_options()) {
            const std::string name = opt->get_name(true, true);
            bool documented = name.empty();  // a hidden option
            for (const std::string& n : Split(name))
                for (const std::string& k : known) documented = documented || n == k;
            if (!documented) {
                extra_.push_back(name);
                const char* text = extra_.back().c_str();
                extra_.push_back(opt->get_description());
                shown.options.push_back({text, "", {extra_.back().c_str(), extra_.back().c_str()}});
            }
        }
        return HelpText(shown, TerminalLanguage());
    }

    // The parser's option is the catalogue's when they share a name.
    static bool SameOption(const CLI::Option& opt, const OptionHelp& o) {
        for (const std::string& n : Split(opt.get_name(true, true)))
            for (const std::string& k : Split(o.names))
                if (n == k) return true;
        return false;
    }

private:
    // "-o, --out" or "-o,--out": "-o" and "--out".
    static std::vector<std::string> Split(const std::string& names) {
        std::vector<std::string> out;
        std::string word;
        for (char c : names + ",") {
            if (c == ',') {
                if (!word.empty()) out.push_back(word);
                word.clear();
            } else if (c != ' ') {
                word += c;
            }
        }
        return out;
    }

    static bool Has(const CLI::App& app, const OptionHelp& o) {
        for (const CLI::Option* opt : app.get_options())
            if (SameOption(*opt, o)) return true;
        return false;
    }

    const ProgramHelp& help_;
    mutable std::deque<std::string> extra_;  // texts of undocumented options, kept in place
};

// Gives the app its --help from the catalogue and a --version. Call it once every option is
// added (without descriptions): each option the catalogue documents takes its description
// from there, so the parser holds no second copy of the help.
inline void UseCatalogueHelp(CLI::App& app, const ProgramHelp& help) {
    const Language language = TerminalLanguage();
    app.description(help.summary.In(language));
    for (CLI::Option* opt : app.get_options())
        for (const OptionHelp& o : help.options)
            if (CatalogueFormatter::SameOption(*opt, o)) opt->description(o.text.In(language));
    app.formatter(std::make_shared<CatalogueFormatter>(help));
    std::string version = VersionText(help);
    version.pop_back();  // CLI11 adds the line break
    app.set_version_flag("--version", version);
}

}  // namespace cli
