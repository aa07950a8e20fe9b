#include "tools/cli_texts.h"

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/tool_texts.h"

namespace tools {
namespace {

// The option names a parser message mentions: its words that start with "-", without the
// punctuation after them.
std::vector<std::string> OptionNames(const std::string& message) {
    std::vector<std::string> names;
    std::istringstream words(message);
    for (std::string w; words >> w;) {
        while (!w.empty() && (w.back() == ':' || w.back() == ',')) w.pop_back();
        if (w.size() > 1 && w[0] == '-') names.push_back(w);
    }
    return names;
}

std::string Nth(const std::vector<std::string>& names, size_t i) {
    return i < names.size() ? names[i] : std::string("?");
}

std::string Message(const CLI::ParseError& e) {
    const ToolTexts& tx = Texts();
    const std::string what = e.what();
    const std::vector<std::string> names = OptionNames(what);
    if (dynamic_cast<const CLI::RequiredError*>(&e)) {
        // "--out is required", "CONFIG is required"
        return Fill(tx.argRequired, {names.empty() ? what.substr(0, what.find(' ')) : names[0]});
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
        const size_t colon = what.find(": ");
        return Fill(tx.argExtra, {colon == std::string::npos ? what : what.substr(colon + 2)});
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) return Fill(tx.argMissingValue, {Nth(names, 0)});
    if (dynamic_cast<const CLI::ExcludesError*>(&e))
        return Fill(tx.argExcludes, {Nth(names, 0), Nth(names, 1)});
    if (dynamic_cast<const CLI::RequiresError*>(&e)) return Fill(tx.argNeeds, {Nth(names, 0), Nth(names, 1)});
    if (dynamic_cast<const CLI::ValidationError*>(&e) || dynamic_cast<const CLI::ConversionError*>(&e))
        return Fill(tx.argValue, {Nth(names, 0)});
    return tx.argOther;
}

}  // namespace

int Parse(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help (and any other request that ends the program well)
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << Message(e) << "\n" << Fill(Texts().helpHint, {app.get_name()}) << "\n";
        return 2;
    }
    return -1;
}

}  // namespace tools
