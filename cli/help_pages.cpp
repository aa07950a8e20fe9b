// help-pages: writes the manual pages and the shell completion from the help catalogue.
//   help-pages DIR                      DIR/man/man1/P.1, DIR/man/ru/man1/P.1 for every program,
//                                       DIR/completions/interlocks-check
//   help-pages --help-text PROGRAM ru|en   the text PROGRAM --help prints in that language

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "cli/help.h"

namespace {

bool Write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) std::cerr << "help-pages: cannot write " << path.string() << "\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--help-text") {
        const cli::ProgramHelp* help = cli::FindProgram(argv[2]);
        if (!help) return 2;
        std::cout << cli::HelpText(
            *help, std::string(argv[3]) == "ru" ? cli::Language::Russian : cli::Language::English);
        return 0;
    }
    if (argc != 2) {
        std::cerr << "usage: help-pages DIR | help-pages --help-text PROGRAM ru|en\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    bool ok = true;
    for (const cli::ProgramHelp& p : cli::AllPrograms()) {
        const std::string page = std::string(p.name) + ".1";
        ok = Write(dir / "man" / "man1" / page, cli::ManPage(p, cli::Language::English)) && ok;
        ok = Write(dir / "man" / "ru" / "man1" / page, cli::ManPage(p, cli::Language::Russian)) && ok;
    }
    ok = Write(dir / "completions" / "interlocks-check", cli::BashCompletion(cli::InterlocksCheck())) && ok;
    return ok ? 0 : 1;
}
